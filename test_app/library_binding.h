// The harness's calls into VR815_DLL, in the harness's own types.
//
// The library's header is the maker's, not ours. Its documentation fixes the
// functions, the order of their arguments and what the harness relies on; it
// leaves the rest to the maker: the integer types of parameters, results and
// out-parameters, const on the inputs, the element types of frames and word
// lists, the close's result, linkage and calling convention. So the harness
// binds to what is promised, not to one header's spelling, here and nowhere
// else: every value goes in converted to the type the function declares for
// it, what a function writes is held in a variable of the function's own
// parameter type, and results and readings are converted once, on the way
// out. The header names nothing else the harness uses: the trigger modes and
// command codes are the harness's own numbers.
//
// The calling convention needs no case of its own: on x64 there is only one.
#ifndef VR815_LIBRARY_BINDING_H
#define VR815_LIBRARY_BINDING_H

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "VR815_DLL.h"

namespace library {

namespace detail {

template <class Function>
struct Signature;

template <class R, class... A>
struct Signature<R (*)(A...)> {
  template <size_t I>
  using Parameter = std::tuple_element_t<I, std::tuple<A...>>;
};

template <class R, class... A>
struct Signature<R (*)(A...) noexcept> : Signature<R (*)(A...)> {};

/// What parameter I of the function points or refers to, without const: the
/// type to hold an out-parameter or an in/out container in.
template <class Function, size_t I>
using Held = std::remove_cv_t<std::remove_pointer_t<std::remove_reference_t<
    typename Signature<Function>::template Parameter<I>>>>;

/// Calls the function with every value converted to its parameter's type.
template <class R, class... A, class... V>
R call(R (*function)(A...), V&&... values) {
  return function(static_cast<A>(std::forward<V>(values))...);
}

/// A status, as whatever signed type the header gives it.
template <class R>
int32_t status(R result) {
  return static_cast<int32_t>(result);
}

}  // namespace detail

/// Opens the device: the handle, null when the open failed.
inline void* open(const char* port, int32_t baud) {
  // A copy the library may take as char* as well as const char*.
  std::string name = port;
  return detail::call(&vr815_init, name.data(), baud);
}

/// Closes the device; what the close returns is not examined.
inline void close(void* handle) {
  static_cast<void>(detail::call(&vr815_close, handle));
}

inline int32_t read_temperature(void* handle, float* celsius) {
  using F = decltype(&vr815_read_temperature);
  detail::Held<F, 1> value{};
  const int32_t status =
      detail::status(detail::call(&vr815_read_temperature, handle, &value));
  *celsius = static_cast<float>(value);
  return status;
}

inline int32_t read_timing_config(void* handle, int32_t channel,
                                  int64_t* delay_ns, int64_t* width_ns,
                                  int32_t* trig_mode, double* trig_freq_hz) {
  using F = decltype(&vr815_read_timing_config);
  detail::Held<F, 2> delay{};
  detail::Held<F, 3> width{};
  detail::Held<F, 4> mode{};
  detail::Held<F, 5> freq{};
  const int32_t status =
      detail::status(detail::call(&vr815_read_timing_config, handle, channel,
                                  &delay, &width, &mode, &freq));
  *delay_ns = static_cast<int64_t>(delay);
  *width_ns = static_cast<int64_t>(width);
  *trig_mode = static_cast<int32_t>(mode);
  *trig_freq_hz = static_cast<double>(freq);
  return status;
}

inline int32_t set_trigger(void* handle, int32_t mode) {
  return detail::status(detail::call(&vr815_set_trigger, handle, mode));
}

inline int32_t set_trigger_freq(void* handle, double hz) {
  return detail::status(detail::call(&vr815_set_trigger_freq, handle, hz));
}

inline int32_t set_output_channel(void* handle, int32_t channel,
                                  int32_t enable) {
  return detail::status(
      detail::call(&vr815_set_output_channel, handle, channel, enable));
}

inline int32_t set_delay(void* handle, int32_t channel, int64_t delay_ns) {
  return detail::status(
      detail::call(&vr815_set_delay, handle, channel, delay_ns));
}

inline int32_t set_pulse_width(void* handle, int32_t channel,
                               int64_t width_ns) {
  return detail::status(
      detail::call(&vr815_set_pulse_width, handle, channel, width_ns));
}

inline int32_t set_global_output(void* handle, int32_t enable) {
  return detail::status(detail::call(&vr815_set_global_output, handle, enable));
}

inline int32_t software_trigger(void* handle) {
  return detail::status(detail::call(&vr815_software_trigger, handle));
}

/// The frame encoder's frame, of the type the header declares.
using Frame = detail::Held<decltype(&VR815DDG::BuildFrame), 4>;
/// The encoder's word list, of the type the header declares.
using Words = detail::Held<decltype(&VR815DDG::BuildFrameU32), 2>;

static_assert(
    std::is_same_v<Frame, detail::Held<decltype(&VR815DDG::BuildFrameU32), 3>>,
    "BuildFrame and BuildFrameU32 must fill the same kind of frame");

/// A word list holding the values, each converted to the list's element type.
inline Words words(std::initializer_list<uint32_t> values) {
  Words list;
  for (const uint32_t value : values) {
    list.push_back(static_cast<typename Words::value_type>(value));
  }
  return list;
}

/// Appends one frame without data.
inline void build_frame(uint8_t command, uint16_t param, Frame& frame) {
  detail::call(&VR815DDG::BuildFrame, command, param, nullptr, 0, frame);
}

/// Appends one frame carrying the words.
inline void build_frame_words(uint8_t command, uint16_t param, Words& words,
                              Frame& frame) {
  detail::call(&VR815DDG::BuildFrameU32, command, param, words, frame);
}

/// Has the library print the frame, without a label, and end the line.
inline void dump_frame(Frame& frame) {
  detail::call(&VR815DDG::DumpFrame, frame, nullptr);
}

}  // namespace library

#endif  // VR815_LIBRARY_BINDING_H
