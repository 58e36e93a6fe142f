// The harness's calls into VR815_DLL, in the harness's own types.
//
// The library's header is the maker's, not ours. Its documentation fixes the
// functions, the order of their arguments and what the harness relies on; it
// leaves the rest to the maker: the integer types of parameters, results and
// out-parameters, const on the inputs, the element types of frames and word
// lists, the close's result, linkage and calling convention. So the harness
// binds to what is promised, not to one header's spelling, here and nowhere
// else: every argument goes in converted to the type the function declares
// for it, what a function writes is held in a variable of the function's own
// type, and results and readings are converted once, on the way out. The
// header names nothing else the harness uses: the trigger modes and command
// codes are the harness's own numbers. The calling convention needs no case
// of its own: on x64 there is only one.
//
// What a build against a header checks, and what it cannot: a missing
// function, another number of arguments, a pointer or a non-const reference
// where the harness passes a value, an out-parameter that is not a pointer,
// and a frame or word list that is not a growable array all fail to build,
// most with a message from this file. Arguments convert silently, as C++
// converts numbers: two integer parameters in another order (channel and
// delay, say), or two out-parameters of one type, build without a word and
// would reach the device swapped. Only reading the header finds those.
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

template <class R, class... P>
struct Signature<R (*)(P...)> {
  using Result = R;
  using Parameters = std::tuple<P...>;
};

template <class R, class... P>
struct Signature<R (*)(P...) noexcept> : Signature<R (*)(P...)> {};

/// Parameter I of a function.
template <class Function, size_t I>
using Parameter =
    std::tuple_element_t<I, typename Signature<Function>::Parameters>;

/// The type a pointer or reference parameter points or refers to, without
/// const.
template <class P>
using Target =
    std::remove_cv_t<std::remove_pointer_t<std::remove_reference_t<P>>>;

/// An argument the function writes to: the harness's variable, which gets
/// the value written, converted from the parameter's own type.
template <class T>
struct Out {
  T* to;
};

/// An argument the function takes by reference (a frame or a word list):
/// the harness's own object, which is of the type the header declares.
template <class T>
struct Ref {
  T* object;
};

/// How one argument is passed to parameter type P: an argument given as a
/// value goes in as a copy converted to P (held here, so that a const
/// reference parameter refers to it for the whole call).
template <class P, class V>
class Pass {
  static_assert(!std::is_lvalue_reference_v<P> ||
                    std::is_const_v<std::remove_reference_t<P>>,
                "the header's function writes to a parameter that the "
                "library's documentation makes an input");
  static_assert(!std::is_pointer_v<P> || std::is_pointer_v<V> ||
                    std::is_null_pointer_v<V>,
                "the header's function takes a pointer where the library's "
                "documentation has a value");

 public:
  explicit Pass(V value) : value_(static_cast<Held>(value)) {}
  P get() { return value_; }
  void done() {}

 private:
  using Held = std::remove_cv_t<std::remove_reference_t<P>>;
  Held value_;
};

/// An out-parameter: the function writes through a pointer to a variable of
/// the pointer's own type.
template <class P, class T>
class Pass<P, Out<T>> {
  static_assert(std::is_pointer_v<P>,
                "an out-parameter of the header's function is not a pointer");

 public:
  explicit Pass(Out<T> out) : to_(out.to) {}
  P get() { return &held_; }
  void done() { *to_ = static_cast<T>(held_); }

 private:
  Target<P> held_{};
  T* to_;
};

/// A frame or word list, passed by reference.
template <class P, class T>
class Pass<P, Ref<T>> {
  static_assert(std::is_reference_v<P> && std::is_same_v<Target<P>, T>,
                "a frame or word list of the header's encoder is not of the "
                "type the harness holds");

 public:
  explicit Pass(Ref<T> ref) : object_(ref.object) {}
  P get() { return *object_; }
  void done() {}

 private:
  T* object_;
};

/// Calls the function with each argument passed as Pass says for its
/// parameter, then hands out what it wrote. The function's result, as it
/// declares it.
template <class R, class... P, class... A>
R call(R (*function)(P...), A... arguments) {
  static_assert(sizeof...(P) == sizeof...(A),
                "the header's function takes another number of arguments");
  std::tuple<Pass<P, A>...> passes{Pass<P, A>(arguments)...};
  auto invoke = [&](auto&... pass) { return function(pass.get()...); };
  if constexpr (std::is_void_v<R>) {
    std::apply(invoke, passes);
    std::apply([](auto&... pass) { (pass.done(), ...); }, passes);
  } else {
    R result = std::apply(invoke, passes);
    std::apply([](auto&... pass) { (pass.done(), ...); }, passes);
    return result;
  }
}

/// A device function's status, from whatever signed type the header gives
/// it.
template <class R, class... P, class... A>
int32_t status(R (*function)(P...), A... arguments) {
  return static_cast<int32_t>(call(function, arguments...));
}

}  // namespace detail

/// The device handle, of the type vr815_init returns.
using Handle = typename detail::Signature<decltype(&vr815_init)>::Result;

/// Opens the device: the handle, null when the open failed.
inline Handle open(const char* port, int32_t baud) {
  // A copy the library may take as char* as well as const char*.
  std::string name = port;
  return detail::call(&vr815_init, name.data(), baud);
}

/// Closes the device; what the close returns is not examined.
inline void close(Handle handle) {
  static_cast<void>(detail::call(&vr815_close, handle));
}

inline int32_t read_temperature(Handle handle, float* celsius) {
  return detail::status(&vr815_read_temperature, handle,
                        detail::Out<float>{celsius});
}

inline int32_t read_timing_config(Handle handle, int32_t channel,
                                  int64_t* delay_ns, int64_t* width_ns,
                                  int32_t* trig_mode, double* trig_freq_hz) {
  return detail::status(
      &vr815_read_timing_config, handle, channel,
      detail::Out<int64_t>{delay_ns}, detail::Out<int64_t>{width_ns},
      detail::Out<int32_t>{trig_mode}, detail::Out<double>{trig_freq_hz});
}

inline int32_t set_trigger(Handle handle, int32_t mode) {
  return detail::status(&vr815_set_trigger, handle, mode);
}

inline int32_t set_trigger_freq(Handle handle, double hz) {
  return detail::status(&vr815_set_trigger_freq, handle, hz);
}

inline int32_t set_output_channel(Handle handle, int32_t channel,
                                  int32_t enable) {
  return detail::status(&vr815_set_output_channel, handle, channel, enable);
}

inline int32_t set_delay(Handle handle, int32_t channel, int64_t delay_ns) {
  return detail::status(&vr815_set_delay, handle, channel, delay_ns);
}

inline int32_t set_pulse_width(Handle handle, int32_t channel,
                               int64_t width_ns) {
  return detail::status(&vr815_set_pulse_width, handle, channel, width_ns);
}

inline int32_t set_global_output(Handle handle, int32_t enable) {
  return detail::status(&vr815_set_global_output, handle, enable);
}

inline int32_t software_trigger(Handle handle) {
  return detail::status(&vr815_software_trigger, handle);
}

namespace detail {
/// The encoder's parameters, in their documented order.
namespace build_frame_args {
enum Index { kCommand, kParam, kData, kLength, kFrame };
}
namespace build_frame_u32_args {
enum Index { kCommand, kParam, kWords, kFrame };
}
}  // namespace detail

/// The frame encoder's frame, of the type the header declares.
using Frame =
    detail::Target<detail::Parameter<decltype(&VR815DDG::BuildFrame),
                                     detail::build_frame_args::kFrame>>;
/// The encoder's word list, of the type the header declares.
using Words =
    detail::Target<detail::Parameter<decltype(&VR815DDG::BuildFrameU32),
                                     detail::build_frame_u32_args::kWords>>;

static_assert(std::is_same_v<Frame, detail::Target<detail::Parameter<
                                        decltype(&VR815DDG::BuildFrameU32),
                                        detail::build_frame_u32_args::kFrame>>>,
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
  detail::call(&VR815DDG::BuildFrame, command, param, nullptr, 0,
               detail::Ref<Frame>{&frame});
}

/// Appends one frame carrying the words.
inline void build_frame_words(uint8_t command, uint16_t param, Words& word_list,
                              Frame& frame) {
  detail::call(&VR815DDG::BuildFrameU32, command, param,
               detail::Ref<Words>{&word_list}, detail::Ref<Frame>{&frame});
}

/// Has the library print the frame, without a label, and end the line.
inline void dump_frame(Frame& frame) {
  detail::call(&VR815DDG::DumpFrame, detail::Ref<Frame>{&frame}, nullptr);
}

}  // namespace library

#endif  // VR815_LIBRARY_BINDING_H
