// The two waits of a run that touch the machine: the pause before each
// device call and the operator's final key press. One implementation per
// platform: console-posix.cpp, console-win32.cpp.
#ifndef VR815_CONSOLE_H
#define VR815_CONSOLE_H

#include <cstdint>

/// Blocks the calling thread for ms milliseconds (0 or less: returns at once).
void console_sleep_ms(int32_t ms);

/// Prompts "Press any key to continue . . . ", waits for one key and ends
/// the line. Standard output is flushed first, so the prompt follows
/// everything printed before it. On a terminal one key is enough, no Enter,
/// and keys typed before the prompt do not count; otherwise one byte of
/// standard input is read through stdio. At end of input it returns at once.
void console_wait_for_key();

#endif  // VR815_CONSOLE_H
