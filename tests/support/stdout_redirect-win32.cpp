#include <io.h>
#include <windows.h>

#include <cstdio>
#include <stdexcept>

#include "stdout_redirect.h"
#include "stdout_redirect_platform.h"

namespace vr815::test {

void redirect_standard_stream(std::FILE* stream, std::FILE* file,
                              const std::function<void()>& body) {
  const int fd = stream == stdin ? 0 : 1;
  if (stream != stdin) std::fflush(stream);
  const int saved = _dup(fd);
  if (saved < 0 || _dup2(_fileno(file), fd) < 0) {
    throw std::runtime_error("cannot redirect a standard descriptor");
  }
  body();
  // The C runtime's fflush of an input stream drops its buffer.
  std::fflush(stream);
  _dup2(saved, fd);
  _close(saved);
  std::clearerr(stream);
}

// Standard output is in text mode: line ends reach the file as CR LF.
std::string written_text(std::string file_bytes) {
  std::string text;
  for (size_t i = 0; i < file_bytes.size(); ++i) {
    if (!(file_bytes[i] == '\r' && i + 1 < file_bytes.size() &&
          file_bytes[i + 1] == '\n')) {
      text += file_bytes[i];
    }
  }
  return text;
}

// The C runtime's tmpfile names its files from a counter of its own process,
// in the root folder, so test programs running side by side collide; the
// system's unique temporary names do not.
std::FILE* temporary_file() {
  char folder[MAX_PATH];
  char name[MAX_PATH];
  const DWORD len = GetTempPathA(MAX_PATH, folder);
  if (len == 0 || len > MAX_PATH ||
      GetTempFileNameA(folder, "vr8", 0, name) == 0) {
    throw std::runtime_error("no temporary file");
  }
  // "D": removed when closed.
  std::FILE* file = std::fopen(name, "w+bD");
  if (file == nullptr) throw std::runtime_error("no temporary file");
  return file;
}

void write_stdout_unbuffered(const char* data, size_t len) {
  while (len > 0) {
    const int wrote = _write(1, data, static_cast<unsigned>(len));
    if (wrote <= 0) return;
    data += wrote;
    len -= static_cast<size_t>(wrote);
  }
}

}  // namespace vr815::test
