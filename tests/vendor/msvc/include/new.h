// The allocation functions and their tags, as the C++ runtime of this
// target declares them; the C runtime's new handler of its <new.h>.
#ifndef VR815_OVERLAY_NEW_H
#define VR815_OVERLAY_NEW_H

#include <stddef.h>

#ifdef __cplusplus

#include <vcruntime_exception.h>

namespace std {
struct nothrow_t {
  explicit nothrow_t() = default;
};
extern const nothrow_t nothrow;
enum class align_val_t : size_t {};
typedef void(__cdecl* new_handler)();
new_handler __cdecl set_new_handler(new_handler handler) noexcept;
new_handler __cdecl get_new_handler() noexcept;
}  // namespace std

[[nodiscard]] void* __cdecl operator new(size_t size);
[[nodiscard]] void* __cdecl operator new(size_t size,
                                         const std::nothrow_t&) noexcept;
[[nodiscard]] void* __cdecl operator new[](size_t size);
[[nodiscard]] void* __cdecl operator new[](size_t size,
                                           const std::nothrow_t&) noexcept;
void __cdecl operator delete(void* block) noexcept;
void __cdecl operator delete(void* block, const std::nothrow_t&) noexcept;
void __cdecl operator delete[](void* block) noexcept;
void __cdecl operator delete[](void* block, const std::nothrow_t&) noexcept;
void __cdecl operator delete(void* block, size_t size) noexcept;
void __cdecl operator delete[](void* block, size_t size) noexcept;

[[nodiscard]] void* __cdecl operator new(size_t size, std::align_val_t align);
[[nodiscard]] void* __cdecl operator new(size_t size, std::align_val_t align,
                                         const std::nothrow_t&) noexcept;
[[nodiscard]] void* __cdecl operator new[](size_t size, std::align_val_t align);
[[nodiscard]] void* __cdecl operator new[](size_t size, std::align_val_t align,
                                           const std::nothrow_t&) noexcept;
void __cdecl operator delete(void* block, std::align_val_t align) noexcept;
void __cdecl operator delete(void* block, std::align_val_t align,
                             const std::nothrow_t&) noexcept;
void __cdecl operator delete[](void* block, std::align_val_t align) noexcept;
void __cdecl operator delete[](void* block, std::align_val_t align,
                               const std::nothrow_t&) noexcept;
void __cdecl operator delete(void* block, size_t size,
                             std::align_val_t align) noexcept;
void __cdecl operator delete[](void* block, size_t size,
                               std::align_val_t align) noexcept;

[[nodiscard]] inline void* __cdecl operator new(size_t, void* where) noexcept {
  return where;
}
[[nodiscard]] inline void* __cdecl operator new[](size_t,
                                                  void* where) noexcept {
  return where;
}
inline void __cdecl operator delete(void*, void*) noexcept {}
inline void __cdecl operator delete[](void*, void*) noexcept {}

extern "C" {
typedef int(__cdecl* _PNH)(size_t);
__declspec(dllimport) _PNH __cdecl _set_new_handler(_PNH handler);
__declspec(dllimport) int __cdecl _set_new_mode(int mode);
}

#endif

#endif
