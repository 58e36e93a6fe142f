// The simulated device's side of the line: bytes in, answers out.
#ifndef VR815_SIM_SESSION_H
#define VR815_SIM_SESSION_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device_state.h"
#include "sim_options.h"

namespace vr815::sim {

/// A frame whose bytes stop coming for longer than this is dropped, as a
/// device's receiver resets after a gap in the middle of a frame. A host
/// writes a whole frame at once, so on any line its bytes follow each other
/// within a character time, 3.4 ms at the lowest rate (VR815_MIN_BAUD).
constexpr uint64_t kInterByteTimeoutMs = 100;

/// Bytes --noise sends before each answer; none of them is a reply marker.
constexpr uint8_t kNoise[] = {0x00, 0xFF, 0x3C};

struct Session {
  DeviceState device;
  std::vector<uint8_t> pending;  ///< received bytes not yet a whole frame
  uint64_t last_byte_ms = 0;     ///< when the last byte came
  uint64_t frames = 0;           ///< whole request frames received
  bool hung_up = false;
};

/// What to do for one request frame received.
struct Event {
  std::string log_line;  ///< the frame as DumpFrame shows it, no line end
  std::vector<uint8_t> answer;  ///< bytes to send; empty: no answer
  int delay_ms = 0;             ///< how long after the frame to send them
  bool hang_up = false;         ///< close the line instead of answering
};

/// The session at power-on, with the options' temperature.
Session new_session(const Options& options);

/// Takes bytes received from the line at now_ms (a steady clock in ms) and
/// gives one event per whole request frame, in order. A partial frame that
/// waited longer than the inter-byte timeout for these bytes is dropped
/// first.
/// Bytes that cannot start a frame (wrong marker, bad checksum) are dropped
/// one at a time until a frame starts.
/// After a hang-up event nothing more is taken.
std::vector<Event> take_bytes(Session& session, const Options& options,
                              const uint8_t* data, size_t len, uint64_t now_ms);

/// The bytes sent for an answer to the command: the reply frame carrying
/// the request's tag, with noise before it and a bad checksum as the options
/// ask.
std::vector<uint8_t> answer_bytes(uint8_t command, uint8_t tag,
                                  const Answer& answer, const Options& options);

}  // namespace vr815::sim

#endif  // VR815_SIM_SESSION_H
