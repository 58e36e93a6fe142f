// One exchange with the device: send a request, read its one reply.
#ifndef VR815_TRANSACTION_H
#define VR815_TRANSACTION_H

#include <cstdint>
#include <vector>

#include "line.h"

namespace vr815 {

/// Sends the request with a tag of its own and waits for the reply that
/// carries it: VR815_OK with the reply's payload words in *reply, the
/// device's non-zero status, or VR815_ERR_LINE, _TIMEOUT, _BAD_REPLY. Input
/// received before the request is discarded, and sound replies with
/// another tag that arrive during the wait are dropped. The write takes at
/// most VR815_WRITE_TIMEOUT_MS and the reply wait VR815_REPLY_TIMEOUT_MS
/// after it; a hang-up ends the wait at once.
int32_t transact(Line* line, uint8_t command, uint16_t param,
                 const std::vector<uint32_t>& words,
                 std::vector<uint32_t>* reply);

}  // namespace vr815

#endif  // VR815_TRANSACTION_H
