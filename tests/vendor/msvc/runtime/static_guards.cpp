// The guards of function-local statics, as the compiler's thread-safe
// initialisation calls them: a static is initialised once, by the first
// thread to reach it, while others wait; each thread keeps, in thread-local
// storage, the epoch of the last initialisation it saw, so that a static
// already initialised costs a compare. And the module's thread-local storage
// directory, which the epoch needs.
#include <limits.h>
#include <windows.h>

extern "C" {

// The thread-local storage template lies between these two, in the
// sections the linker sorts by the name after '$'.
#pragma section(".tls", read, write)
#pragma section(".tls$ZZZ", read, write)
#pragma section(".CRT$XLA", read)
#pragma section(".CRT$XLZ", read)
__declspec(allocate(".tls")) char _tls_start = 0;
__declspec(allocate(".tls$ZZZ")) char _tls_end = 0;
__declspec(allocate(".CRT$XLA")) PIMAGE_TLS_CALLBACK __xl_a = nullptr;
__declspec(allocate(".CRT$XLZ")) PIMAGE_TLS_CALLBACK __xl_z = nullptr;

ULONG _tls_index = 0;

// The linker makes this the image's thread-local storage directory.
extern const IMAGE_TLS_DIRECTORY64 _tls_used = {
    reinterpret_cast<ULONGLONG>(&_tls_start),
    reinterpret_cast<ULONGLONG>(&_tls_end),
    reinterpret_cast<ULONGLONG>(&_tls_index),
    reinterpret_cast<ULONGLONG>(&__xl_a + 1),
    0,
    0};

__declspec(thread) int _Init_thread_epoch = INT_MIN;

}  // extern "C"

namespace {

// A guard: 0 before, kBusy during the initialisation, after it the epoch.
constexpr int kNotYet = 0;
constexpr int kBusy = -1;

SRWLOCK g_lock = SRWLOCK_INIT;
CONDITION_VARIABLE g_changed = CONDITION_VARIABLE_INIT;
int g_epoch = INT_MIN;

}  // namespace

extern "C" {

// Leaves *guard kBusy when the caller is to initialise the static.
void __cdecl _Init_thread_header(int* guard) {
  AcquireSRWLockExclusive(&g_lock);
  while (*guard == kBusy) {
    SleepConditionVariableSRW(&g_changed, &g_lock, INFINITE, 0);
  }
  if (*guard == kNotYet) {
    *guard = kBusy;
  } else {
    _Init_thread_epoch = g_epoch;
  }
  ReleaseSRWLockExclusive(&g_lock);
}

void __cdecl _Init_thread_footer(int* guard) {
  AcquireSRWLockExclusive(&g_lock);
  *guard = ++g_epoch;
  _Init_thread_epoch = g_epoch;
  ReleaseSRWLockExclusive(&g_lock);
  WakeAllConditionVariable(&g_changed);
}

// The initialisation threw: the next thread to reach the static tries again.
void __cdecl _Init_thread_abort(int* guard) {
  AcquireSRWLockExclusive(&g_lock);
  *guard = kNotYet;
  ReleaseSRWLockExclusive(&g_lock);
  WakeAllConditionVariable(&g_changed);
}

}  // extern "C"
