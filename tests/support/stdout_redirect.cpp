#include "stdout_redirect.h"

#include <cstdio>

#include "stdout_redirect_platform.h"

namespace vr815::test {

std::string capture_stdout(const std::function<void()>& body) {
  std::FILE* file = temporary_file();
  redirect_standard_stream(stdout, file, body);
  std::string bytes;
  std::rewind(file);
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    bytes.append(chunk, got);
  }
  std::fclose(file);
  return written_text(bytes);
}

void with_stdin(const std::string& text, const std::function<void()>& body) {
  std::FILE* file = temporary_file();
  std::fwrite(text.data(), 1, text.size(), file);
  std::fflush(file);
  std::rewind(file);
  redirect_standard_stream(stdin, file, body);
  std::fclose(file);
}

}  // namespace vr815::test
