#include "fake_vr815_library.h"

#include <cstdio>

#include "stdout_redirect.h"

using vr815::test::FakeScript;

namespace {

FakeScript g_script;
std::vector<std::string> g_calls;
std::map<std::string, int> g_call_counts;

std::string handle_text(void* handle) {
  return reinterpret_cast<uintptr_t>(handle) == g_script.handle ? "h" : "other";
}

// The status scripted for the n-th call of the function, else for all of
// its calls, else 0.
int32_t status_of(const std::string& function, int n) {
  auto it = g_script.status.find(function + "#" + std::to_string(n));
  if (it == g_script.status.end()) it = g_script.status.find(function);
  return it == g_script.status.end() ? 0 : it->second;
}

// Records the call and returns its scripted status.
int32_t called(const char* function, const std::string& args) {
  g_calls.push_back(std::string(function) + "(" + args + ")");
  return status_of(function, ++g_call_counts[function]);
}

std::string hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

// The fake's frame: command, parameter (low byte first), then the data.
void append_header(uint8_t cmd, uint16_t param, std::vector<uint8_t>& frame) {
  frame.push_back(cmd);
  frame.push_back(static_cast<uint8_t>(param & 0xFF));
  frame.push_back(static_cast<uint8_t>(param >> 8));
}

}  // namespace

namespace vr815::test {

void fake_library_load(const FakeScript& script) {
  g_script = script;
  g_calls.clear();
  g_call_counts.clear();
}

std::vector<std::string> fake_library_calls() { return g_calls; }

}  // namespace vr815::test

void* vr815_init(const char* port, int32_t baud) {
  called("vr815_init", std::string(port == nullptr ? "null" : port) + ", " +
                           std::to_string(baud));
  if (g_script.null_handle) return nullptr;
  return reinterpret_cast<void*>(g_script.handle);
}

int32_t vr815_close(void* handle) {
  return called("vr815_close", handle_text(handle));
}

int32_t vr815_read_temperature(void* handle, float* celsius) {
  const int32_t status = called("vr815_read_temperature", handle_text(handle));
  if (status == 0) *celsius = g_script.temperature;
  return status;
}

int32_t vr815_read_timing_config(void* handle, int32_t channel,
                                 int64_t* delay_ns, int64_t* width_ns,
                                 int32_t* trig_mode, double* trig_freq_hz) {
  const int32_t status =
      called("vr815_read_timing_config",
             handle_text(handle) + ", " + std::to_string(channel));
  if (status == 0) {
    *delay_ns = g_script.delay_ns;
    *width_ns = g_script.width_ns;
    *trig_mode = g_script.trig_mode;
    *trig_freq_hz = g_script.trig_freq_hz;
  }
  return status;
}

int32_t vr815_set_trigger(void* handle, int32_t mode) {
  return called("vr815_set_trigger",
                handle_text(handle) + ", " + std::to_string(mode));
}

int32_t vr815_set_trigger_freq(void* handle, double hz) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", hz);
  return called("vr815_set_trigger_freq", handle_text(handle) + ", " + text);
}

int32_t vr815_set_output_channel(void* handle, int32_t channel,
                                 int32_t enable) {
  return called("vr815_set_output_channel", handle_text(handle) + ", " +
                                                std::to_string(channel) + ", " +
                                                std::to_string(enable));
}

int32_t vr815_set_delay(void* handle, int32_t channel, int64_t delay_ns) {
  return called("vr815_set_delay", handle_text(handle) + ", " +
                                       std::to_string(channel) + ", " +
                                       std::to_string(delay_ns));
}

int32_t vr815_set_pulse_width(void* handle, int32_t channel, int64_t width_ns) {
  return called("vr815_set_pulse_width", handle_text(handle) + ", " +
                                             std::to_string(channel) + ", " +
                                             std::to_string(width_ns));
}

int32_t vr815_set_global_output(void* handle, int32_t enable) {
  return called("vr815_set_global_output",
                handle_text(handle) + ", " + std::to_string(enable));
}

int32_t vr815_software_trigger(void* handle) {
  return called("vr815_software_trigger", handle_text(handle));
}

void VR815DDG::BuildFrame(uint8_t cmd, uint16_t param, const uint8_t* data,
                          int32_t len, std::vector<uint8_t>& frame) {
  called("BuildFrame", hex(cmd, 2) + ", " + hex(param, 4) + ", " +
                           (data == nullptr ? "null" : "data") + ", " +
                           std::to_string(len) +
                           ", size=" + std::to_string(frame.size()));
  append_header(cmd, param, frame);
  if (data != nullptr && len > 0) frame.insert(frame.end(), data, data + len);
}

void VR815DDG::BuildFrameU32(uint8_t cmd, uint16_t param,
                             const std::vector<uint32_t>& words,
                             std::vector<uint8_t>& frame) {
  std::string list;
  for (const uint32_t word : words) {
    list += (list.empty() ? "" : ", ") + std::to_string(word);
  }
  called("BuildFrameU32", hex(cmd, 2) + ", " + hex(param, 4) + ", [" + list +
                              "], size=" + std::to_string(frame.size()));
  append_header(cmd, param, frame);
  for (const uint32_t word : words) {
    for (int shift = 0; shift < 32; shift += 8) {
      frame.push_back(static_cast<uint8_t>(word >> shift));
    }
  }
}

// Written straight to the descriptor, as a library with a C runtime of its
// own would: whatever the caller left in its stdio buffer comes later.
void VR815DDG::DumpFrame(const std::vector<uint8_t>& frame, const char* label) {
  called("DumpFrame", label == nullptr ? "label=null" : "label");
  std::string text = label == nullptr ? "" : label;
  for (size_t i = 0; i < frame.size(); ++i) {
    text += (i == 0 ? "" : " ") + hex(frame[i], 2);
  }
  text += "\n";
  vr815::test::write_stdout_unbuffered(text.data(), text.size());
}
