// The hosted program on Windows: CreateProcess in the device's console,
// handed copies of its standard handles and nothing else, inside a job
// object that holds the program and whatever it starts, and ends them when
// the device ends however it ends.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

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
  ~Win32Child() override { end(); }

  bool ended(int* status) override {
    if (!done_ && WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) {
      finish();
    }
    *status = status_;
    return done_;
  }

  int stop() override {
    end();
    if (!done_) {
      WaitForSingleObject(process_.get(), static_cast<DWORD>(kStopGraceMs));
      finish();
    }
    return status_;
  }

 private:
  /// Ends every program of the job, and the program when it has none.
  void end() {
    if (job_ != nullptr) TerminateJobObject(job_.get(), 1);
    if (!done_) TerminateProcess(process_.get(), 1);
  }

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

/// What the program inherits: inheritable copies of the device's standard
/// handles, named as the only handles to inherit. Whatever else the device
/// holds (the log, its line, what it inherited itself) stays the device's,
/// however it was opened.
class Inheritance {
 public:
  Inheritance() {
    startup_.StartupInfo.cb = sizeof startup_;
    startup_.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    copy(STD_INPUT_HANDLE, &copies_[0], &startup_.StartupInfo.hStdInput);
    copy(STD_OUTPUT_HANDLE, &copies_[1], &startup_.StartupInfo.hStdOutput);
    copy(STD_ERROR_HANDLE, &copies_[2], &startup_.StartupInfo.hStdError);
    if (handles_.empty()) return;
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    list_.resize(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(list_.data());
    if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) {
      error_ = GetLastError();
      return;
    }
    startup_.lpAttributeList = list;
    if (!UpdateProcThreadAttribute(
            list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
            handles_.size() * sizeof(HANDLE), nullptr, nullptr)) {
      error_ = GetLastError();
    }
  }
  ~Inheritance() {
    if (startup_.lpAttributeList != nullptr) {
      DeleteProcThreadAttributeList(startup_.lpAttributeList);
    }
  }
  Inheritance(const Inheritance&) = delete;
  Inheritance& operator=(const Inheritance&) = delete;

  /// 0, or the system's error when the list could not be made.
  DWORD error() const { return error_; }
  /// What CreateProcess takes: whether the program inherits (the copies,
  /// when there are any), its flags for the list, the startup information.
  BOOL inherits() const { return !handles_.empty(); }
  DWORD flags() const { return inherits() ? EXTENDED_STARTUPINFO_PRESENT : 0; }
  STARTUPINFOW* startup() { return &startup_.StartupInfo; }

 private:
  /// An inheritable copy of the standard handle, into *owner and *slot;
  /// nothing when the device has none.
  void copy(DWORD which, OwnedHandle* owner, HANDLE* slot) {
    const HANDLE own = GetStdHandle(which);
    HANDLE duplicate = nullptr;
    if (own == nullptr || own == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(),
                         &duplicate, 0, TRUE, DUPLICATE_SAME_ACCESS)) {
      return;
    }
    owner->reset(duplicate);
    handles_.push_back(duplicate);
    *slot = duplicate;
  }

  OwnedHandle copies_[3];
  std::vector<HANDLE> handles_;
  std::vector<char> list_;
  STARTUPINFOEXW startup_{};
  DWORD error_ = 0;
};

}  // namespace

StartedChild start_child(const std::vector<std::string>& program,
                         const std::string& line_name) {
  StartedChild started;
  std::wstring line;
  for (const std::string& arg : put_line_name(program, line_name)) {
    if (!line.empty()) line.push_back(L' ');
    line += quoted(widened(arg));
  }
  Inheritance inheritance;
  PROCESS_INFORMATION info{};
  if (inheritance.error() != 0 ||
      !CreateProcessW(nullptr, line.data(), nullptr, nullptr,
                      inheritance.inherits(),
                      CREATE_SUSPENDED | inheritance.flags(), nullptr, nullptr,
                      inheritance.startup(), &info)) {
    const DWORD error =
        inheritance.error() != 0 ? inheritance.error() : GetLastError();
    started.error =
        "cannot start '" + program.front() + "': " + system_message(error);
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
