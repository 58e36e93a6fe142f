// The hosted program on Windows: CreateProcess in the device's console with
// its standard handles, inside a job object that ends the program, and
// whatever it started, when the device ends however it ends.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>

#include "child_process.h"

namespace vr815::sim {

namespace {

/// One argument as the C runtime's command line parsing reads it back:
/// quoted when it holds blanks or quotes, with the backslashes before a
/// quote, and before the closing quote, doubled.
std::wstring quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    return arg;
  }
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, L'\\');
  out.push_back(L'"');
  return out;
}

/// Text as the program holds it, in the ANSI code page (UTF-8 by the
/// programs' manifest), widened for the system's wide calls.
std::wstring widened(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(),
                                    static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                      wide.data(), n);
  return wide;
}

std::string system_message(DWORD error) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = n > 0 ? std::string(text, n) : std::string();
  if (text != nullptr) LocalFree(text);
  while (!message.empty() &&
         (message.back() == '\n' || message.back() == '\r' ||
          message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  // Some messages name the program as an insert: it is named already.
  const size_t insert = message.find("%1");
  if (insert != std::string::npos) message.replace(insert, 2, "the program");
  return message.empty() ? "error " + std::to_string(error) : message;
}

struct CloseHandleOf {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
/// A handle that closes itself.
using OwnedHandle = std::unique_ptr<void, CloseHandleOf>;

class Win32Child : public ChildProcess {
 public:
  Win32Child(OwnedHandle job, OwnedHandle process)
      : job_(std::move(job)), process_(std::move(process)) {}
  ~Win32Child() override {
    if (!done_) TerminateProcess(process_.get(), 1);
  }

  bool ended(int* status) override {
    if (!done_ && WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) {
      finish();
    }
    *status = status_;
    return done_;
  }

  int stop() override {
    if (!done_) {
      TerminateProcess(process_.get(), 1);
      WaitForSingleObject(process_.get(), static_cast<DWORD>(kStopGraceMs));
      finish();
    }
    return status_;
  }

 private:
  void finish() {
    DWORD code = 1;
    GetExitCodeProcess(process_.get(), &code);
    status_ = static_cast<int>(code);
    done_ = true;
  }

  OwnedHandle job_;  ///< the job of kill_on_close_job; it may be null
  OwnedHandle process_;
  bool done_ = false;
  int status_ = 1;
};

/// A job whose programs end when its last handle, the device's, closes; null
/// when none can be had (the program then ends with the device only on the
/// device's own exit paths).
OwnedHandle kill_on_close_job() {
  OwnedHandle job(CreateJobObjectW(nullptr, nullptr));
  if (job == nullptr) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation,
                               &limits, sizeof limits)) {
    return nullptr;
  }
  return job;
}

}  // namespace

StartedChild start_child(const std::vector<std::string>& program,
                         const std::string& line_name) {
  StartedChild started;
  std::wstring line;
  for (const std::string& arg : put_line_name(program, line_name)) {
    if (!line.empty()) line.push_back(L' ');
    line += quoted(widened(arg));
  }
  // The standard handles are the device's: inherited, with the console.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                      CREATE_SUSPENDED, nullptr, nullptr, &startup, &info)) {
    started.error = "cannot start '" + program.front() +
                    "': " + system_message(GetLastError());
    return started;
  }
  OwnedHandle process(info.hProcess);
  const OwnedHandle thread(info.hThread);
  OwnedHandle job = kill_on_close_job();
  if (job != nullptr && !AssignProcessToJobObject(job.get(), process.get())) {
    job.reset();
  }
  ResumeThread(thread.get());
  started.child =
      std::make_unique<Win32Child>(std::move(job), std::move(process));
  return started;
}

}  // namespace vr815::sim
