// VR815DDG: the protocol's request frames, built and printed without a device.
#include <cstdio>

#include "VR815_DLL.h"
#include "protocol.h"

namespace proto = vr815::protocol;

// The header names the codes for its users; the protocol owns them.
static_assert(VR815DDG::SET_TRIGGER == proto::kSetTrigger);
static_assert(VR815DDG::SET_TRIG_FREQ == proto::kSetTrigFreq);
static_assert(VR815DDG::SET_CHANNEL == proto::kSetChannel);
static_assert(VR815DDG::SET_GLOBAL_OUTPUT == proto::kSetGlobalOutput);
static_assert(VR815DDG::SET_DELAY == proto::kSetDelay);
static_assert(VR815DDG::SET_PULSE_WIDTH == proto::kSetPulseWidth);
static_assert(VR815DDG::SOFTWARE_TRIG == proto::kSoftwareTrig);
static_assert(VR815DDG::READ_TEMP == proto::kReadTemp);
static_assert(VR815DDG::READ_TIMING == proto::kReadTiming);

void VR815DDG::BuildFrame(uint8_t cmd, uint16_t param, const uint8_t* data,
                          int32_t len, std::vector<uint8_t>& frame) {
  const size_t n = (data == nullptr || len <= 0) ? 0 : static_cast<size_t>(len);
  proto::append_frame(frame, proto::kRequestMarker, cmd, param,
                      n == 0 ? nullptr : data, n);
}

void VR815DDG::BuildFrameU32(uint8_t cmd, uint16_t param,
                             const std::vector<uint32_t>& words,
                             std::vector<uint8_t>& frame) {
  proto::append_frame_words(frame, proto::kRequestMarker, cmd, param, words);
}

void VR815DDG::DumpFrame(const std::vector<uint8_t>& frame, const char* label) {
  // Written through stdout's own buffer, the stream the harness prints its
  // labels with, and flushed once the line is whole: label and frame keep
  // their order however stdout is buffered or redirected.
  const std::string text = proto::frame_text(frame.data(), frame.size());
  if (label != nullptr) std::fputs(label, stdout);
  std::fputs(text.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}
