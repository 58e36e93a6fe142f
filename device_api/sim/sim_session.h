// The simulated device's side of the line: bytes in, answers out.
#ifndef VR815_SIM_SESSION_H
#define VR815_SIM_SESSION_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "device_state.h"
#include "protocol.h"

namespace vr815::sim {

/// A frame whose bytes stop coming for longer than this is dropped, as a
/// device's receiver resets after a gap in the middle of a frame. A host
/// writes a whole frame at once, so on any line its bytes follow each other
/// within a character time, 3.4 ms at the lowest rate (VR815_MIN_BAUD).
constexpr uint64_t kInterByteTimeoutMs = 100;

/// Bytes --noise sends before each answer; none of them is a reply marker.
constexpr uint8_t kNoise[] = {0x00, 0xFF, 0x3C};

/// How the device answers, whatever the host asks of it: what it reports,
/// its faults and its timing. The command line fills it (sim_options.h);
/// the session keeps it.
struct DeviceSettings {
  int32_t milli_celsius = protocol::kPowerOnMilliCelsius;  ///< at power-on
  FailTable fails;       ///< commands answered with a status of their own
  bool silent = false;   ///< no answer at all
  bool corrupt = false;  ///< every answer with a bad checksum
  bool noise = false;    ///< kNoise before every answer
  /// The line closes when this frame arrives, unanswered; 0: it is down
  /// before the first; empty: never.
  std::optional<uint64_t> hangup_after;
  int delay_ms = 0;  ///< how long after its frame an answer goes out
  /// Frame number -> how much later than delay_ms its answer goes out.
  std::map<uint64_t, int> late_ms;
};

struct Session {
  DeviceSettings settings;
  DeviceState device;
  std::vector<uint8_t> pending;  ///< received bytes not yet a whole frame
  uint64_t last_byte_ms = 0;     ///< when the last byte came
  uint64_t frames = 0;           ///< whole request frames received
};

/// What to do for one request frame received.
struct Event {
  std::string log_line;  ///< the frame as DumpFrame shows it, no line end
  std::vector<uint8_t> answer;  ///< bytes to send; empty: no answer
  int delay_ms = 0;             ///< how long after the frame to send them
  bool hang_up = false;         ///< close the line instead of answering
};

/// The session at power-on, keeping the settings, with their temperature.
Session new_session(DeviceSettings settings);

/// Takes bytes received from the line at now_ms (a steady clock in ms) and
/// gives one event per whole request frame, in order. A partial frame that
/// waited longer than kInterByteTimeoutMs for these bytes is dropped first.
/// Bytes that cannot start a frame (wrong marker, bad checksum) are dropped
/// one at a time until a frame starts.
/// Once the line is down (a hang-up event, or hangup_after 0) nothing more
/// is taken, and nothing is held.
std::vector<Event> take_bytes(Session& session, const uint8_t* data, size_t len,
                              uint64_t now_ms);

/// The bytes sent for an answer to the command: the reply frame carrying
/// the request's tag, with noise before it and a bad checksum as the
/// settings ask.
std::vector<uint8_t> answer_bytes(uint8_t command, uint8_t tag,
                                  const Answer& answer,
                                  const DeviceSettings& settings);

}  // namespace vr815::sim

#endif  // VR815_SIM_SESSION_H
