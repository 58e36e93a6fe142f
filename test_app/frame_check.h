// Stage 0 of a run: the library's frame encoder builds one frame for each of
// nine commands and the library prints each behind a label. Needs no device.
#ifndef VR815_FRAME_CHECK_H
#define VR815_FRAME_CHECK_H

/// Prints header 0, the nine labelled frames and the closing OK line.
/// Always completes; it shows frames, it does not judge them.
void run_frame_check();

#endif  // VR815_FRAME_CHECK_H
