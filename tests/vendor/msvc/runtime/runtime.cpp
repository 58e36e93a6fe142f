// What Visual Studio's static runtime library gives every module and the
// compiler's code relies on, for the modules this toolchain links (the
// library the compiler names for the release runtime, msvcrt.lib, with the
// entry points and the guards of statics beside this file): the
// allocation functions, on the C runtime's heap (one heap for every module
// of the process, so that a block one module allocates another may free);
// the new handler; the stack cookie that /GS checks; the marker of
// floating-point use; and the destructor and virtual table of type_info,
// which the compiler's run-time type information points at.
#include <stdlib.h>
#include <windows.h>

#include <new>
#include <typeinfo>

#include "module.h"

extern "C" {
// A fixed cookie: the check still catches an overwritten return address.
uintptr_t __security_cookie = 0x2B992DDFA232ull;

void __cdecl __security_check_cookie(uintptr_t cookie) {
  if (cookie != __security_cookie)
    __fastfail(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE);
}

int _fltused = 0x9875;
}

namespace {
std::new_handler g_new_handler = nullptr;
}

namespace std {

const nothrow_t nothrow{};

new_handler __cdecl set_new_handler(new_handler handler) noexcept {
  return reinterpret_cast<new_handler>(
      InterlockedExchangePointer(reinterpret_cast<void**>(&g_new_handler),
                                 reinterpret_cast<void*>(handler)));
}

new_handler __cdecl get_new_handler() noexcept {
  return reinterpret_cast<new_handler>(InterlockedCompareExchangePointer(
      reinterpret_cast<void**>(&g_new_handler), nullptr, nullptr));
}

}  // namespace std

namespace {

void* allocate(size_t size) noexcept { return malloc(size != 0 ? size : 1); }

// As the standard has it: the new handler called until the allocation
// succeeds, bad_alloc when there is none.
void* allocate_or_throw(size_t size) {
  for (;;) {
    if (void* block = allocate(size)) return block;
    const std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

void* allocate_aligned(size_t size, std::align_val_t align) noexcept {
  return _aligned_malloc(size != 0 ? size : 1, static_cast<size_t>(align));
}

void* allocate_aligned_or_throw(size_t size, std::align_val_t align) {
  for (;;) {
    if (void* block = allocate_aligned(size, align)) return block;
    const std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

}  // namespace

void* __cdecl operator new(size_t size) { return allocate_or_throw(size); }
void* __cdecl operator new[](size_t size) { return allocate_or_throw(size); }
void* __cdecl operator new(size_t size, const std::nothrow_t&) noexcept {
  return allocate(size);
}
void* __cdecl operator new[](size_t size, const std::nothrow_t&) noexcept {
  return allocate(size);
}
void __cdecl operator delete(void* block) noexcept { free(block); }
void __cdecl operator delete[](void* block) noexcept { free(block); }
void __cdecl operator delete(void* block, size_t) noexcept { free(block); }
void __cdecl operator delete[](void* block, size_t) noexcept { free(block); }
void __cdecl operator delete(void* block, const std::nothrow_t&) noexcept {
  free(block);
}
void __cdecl operator delete[](void* block, const std::nothrow_t&) noexcept {
  free(block);
}

void* __cdecl operator new(size_t size, std::align_val_t align) {
  return allocate_aligned_or_throw(size, align);
}
void* __cdecl operator new[](size_t size, std::align_val_t align) {
  return allocate_aligned_or_throw(size, align);
}
void* __cdecl operator new(size_t size, std::align_val_t align,
                           const std::nothrow_t&) noexcept {
  return allocate_aligned(size, align);
}
void* __cdecl operator new[](size_t size, std::align_val_t align,
                             const std::nothrow_t&) noexcept {
  return allocate_aligned(size, align);
}
void __cdecl operator delete(void* block, std::align_val_t) noexcept {
  _aligned_free(block);
}
void __cdecl operator delete[](void* block, std::align_val_t) noexcept {
  _aligned_free(block);
}
void __cdecl operator delete(void* block, std::align_val_t,
                             const std::nothrow_t&) noexcept {
  _aligned_free(block);
}
void __cdecl operator delete[](void* block, std::align_val_t,
                               const std::nothrow_t&) noexcept {
  _aligned_free(block);
}
void __cdecl operator delete(void* block, size_t, std::align_val_t) noexcept {
  _aligned_free(block);
}
void __cdecl operator delete[](void* block, size_t, std::align_val_t) noexcept {
  _aligned_free(block);
}

type_info::~type_info() noexcept {}

// The head of the list of the names type_info::name() has undecorated,
// which the runtime keeps and frees: an interlocked list.
struct __type_info_node {
  SLIST_HEADER header;
};
extern "C" __type_info_node __type_info_root_node = {};

namespace {

// The scalar deleting destructor, the one entry of type_info's table.
void* __cdecl type_info_deleting_destructor(type_info* self, unsigned flags) {
  self->~type_info();
  if ((flags & 1) != 0) ::operator delete(self);
  return self;
}

}  // namespace

// Named as the compiler names the table it refers to.
extern "C" void* const vr815_type_info_table[] __asm__("??_7type_info@@6B@") = {
    reinterpret_cast<void*>(&type_info_deleting_destructor)};
