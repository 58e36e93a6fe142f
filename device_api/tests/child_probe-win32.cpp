// What a program hosted on Windows finds, for child_process_test-win32.cpp:
//   vr815-child-probe handles  exits with the number of inheritable handles
//                              it holds beyond its standard ones: at start,
//                              having made none itself, those it inherited
//   vr815-child-probe tree     starts itself with "wait", then waits
//   vr815-child-probe wait     waits 60 s
// Arguments after these are ignored.
#include <windows.h>

#include <cstring>
#include <string>

namespace {

constexpr DWORD kWaitMs = 60000;
/// Handle values are multiples of 4; a new process holds few, all low.
constexpr UINT_PTR kHighestHandle = 0x10000;

bool standard(HANDLE handle) {
  for (const DWORD which :
       {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    if (GetStdHandle(which) == handle) return true;
  }
  return false;
}

int held_handles() {
  int count = 0;
  for (UINT_PTR value = 4; value <= kHighestHandle; value += 4) {
    const HANDLE handle = reinterpret_cast<HANDLE>(value);
    DWORD flags = 0;
    if (GetHandleInformation(handle, &flags) &&
        (flags & HANDLE_FLAG_INHERIT) != 0 && !standard(handle)) {
      ++count;
    }
  }
  return count;
}

int start_waiting_copy() {
  wchar_t self[MAX_PATH];
  if (GetModuleFileNameW(nullptr, self, MAX_PATH) == 0) return 1;
  std::wstring line = L"\"" + std::wstring(self) + L"\" wait";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    return 1;
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  Sleep(kWaitMs);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const char* mode = argc > 1 ? argv[1] : "";
  if (std::strcmp(mode, "handles") == 0) return held_handles();
  if (std::strcmp(mode, "tree") == 0) return start_waiting_copy();
  if (std::strcmp(mode, "wait") == 0) {
    Sleep(kWaitMs);
    return 0;
  }
  return 2;
}
