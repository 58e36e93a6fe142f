#include "temp_dir.h"

#include <stdlib.h>
#include <unistd.h>

namespace vr815::test {

namespace {

std::string pattern(const std::string& prefix) {
  return (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX"))
      .string();
}

}  // namespace

TempDir::TempDir() {
  std::string name = pattern("vr815-test");
  if (mkdtemp(name.data()) != nullptr) path = name;
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

std::string temp_file_path(const std::string& prefix) {
  std::string name = pattern(prefix);
  const int fd = mkstemp(name.data());
  if (fd < 0) return {};
  close(fd);
  return name;
}

}  // namespace vr815::test
