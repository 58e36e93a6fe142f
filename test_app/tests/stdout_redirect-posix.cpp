#include <stdio_ext.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "stdout_redirect.h"

namespace {

// Points the descriptor at the file for the duration of body. Output still
// buffered goes to the file before the swap back; input read ahead from the
// file is dropped, so none of it is taken for the restored input.
void redirected(int fd, std::FILE* stream, std::FILE* file,
                const std::function<void()>& body) {
  const bool input = stream == stdin;
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

}  // namespace

std::FILE* temporary_file() {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) throw std::runtime_error("no temporary file");
  return file;
}

std::string capture_stdout(const std::function<void()>& body) {
  std::FILE* file = temporary_file();
  redirected(STDOUT_FILENO, stdout, file, body);
  std::string text;
  std::rewind(file);
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    text.append(chunk, got);
  }
  std::fclose(file);
  return text;
}

void with_stdin(const std::string& text, const std::function<void()>& body) {
  std::FILE* file = temporary_file();
  std::fwrite(text.data(), 1, text.size(), file);
  std::fflush(file);
  std::rewind(file);
  redirected(STDIN_FILENO, stdin, file, body);
  std::fclose(file);
}

void write_stdout_unbuffered(const char* data, size_t len) {
  while (len > 0) {
    const ssize_t wrote = write(STDOUT_FILENO, data, len);
    if (wrote <= 0) return;
    data += wrote;
    len -= static_cast<size_t>(wrote);
  }
}
