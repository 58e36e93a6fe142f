#include <stdio_ext.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "stdout_redirect.h"
#include "stdout_redirect_platform.h"

namespace vr815::test {

void redirect_standard_stream(std::FILE* stream, std::FILE* file,
                              const std::function<void()>& body) {
  const bool input = stream == stdin;
  const int fd = input ? STDIN_FILENO : STDOUT_FILENO;
  if (!input) std::fflush(stream);
  const int saved = dup(fd);
  if (saved < 0 || dup2(fileno(file), fd) < 0) {
    throw std::runtime_error("cannot redirect a standard descriptor");
  }
  body();
  if (input) {
    __fpurge(stream);
  } else {
    std::fflush(stream);
  }
  dup2(saved, fd);
  close(saved);
  std::clearerr(stream);
}

std::string written_text(std::string file_bytes) { return file_bytes; }

std::FILE* temporary_file() {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) throw std::runtime_error("no temporary file");
  return file;
}

void write_stdout_unbuffered(const char* data, size_t len) {
  while (len > 0) {
    const ssize_t wrote = write(STDOUT_FILENO, data, len);
    if (wrote <= 0) return;
    data += wrote;
    len -= static_cast<size_t>(wrote);
  }
}

}  // namespace vr815::test
