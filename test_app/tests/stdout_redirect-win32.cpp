#include <io.h>
#include <windows.h>

#include <cstdio>
#include <stdexcept>

#include "stdout_redirect.h"

namespace {

// Points the descriptor at the file for the duration of body. Output still
// buffered goes to the file before the swap back; input read ahead from the
// file is dropped, so none of it is taken for the restored input.
void redirected(int fd, std::FILE* stream, std::FILE* file,
                const std::function<void()>& body) {
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

}  // namespace

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

std::string capture_stdout(const std::function<void()>& body) {
  std::FILE* file = temporary_file();
  redirected(1, stdout, file, body);
  std::string text;
  std::rewind(file);
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    text.append(chunk, got);
  }
  std::fclose(file);
  // Standard output is in text mode: line ends reach the file as CR LF.
  std::string lines;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
      lines += text[i];
    }
  }
  return lines;
}

void with_stdin(const std::string& text, const std::function<void()>& body) {
  std::FILE* file = temporary_file();
  std::fwrite(text.data(), 1, text.size(), file);
  std::fflush(file);
  std::rewind(file);
  redirected(0, stdin, file, body);
  std::fclose(file);
}

void write_stdout_unbuffered(const char* data, size_t len) {
  while (len > 0) {
    const int wrote = _write(1, data, static_cast<unsigned>(len));
    if (wrote <= 0) return;
    data += wrote;
    len -= static_cast<size_t>(wrote);
  }
}
