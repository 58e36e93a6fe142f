#include "files.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>

namespace vr815::test {

namespace {

namespace fs = std::filesystem;

constexpr int kTries = 100;

// A name in the temporary folder no one has taken yet, most likely: made
// unique by creating it, which fails when it exists.
fs::path candidate(const std::string& prefix) {
  static std::mt19937_64 random{std::random_device{}()};
  char suffix[20];
  std::snprintf(suffix, sizeof suffix, "-%016llx",
                static_cast<unsigned long long>(random()));
  return fs::temp_directory_path() / (prefix + suffix);
}

}  // namespace

TempDir::TempDir() {
  for (int i = 0; i < kTries && path.empty(); ++i) {
    const fs::path name = candidate("vr815-test");
    std::error_code ec;
    if (fs::create_directory(name, ec)) path = name;
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path.empty()) fs::remove_all(path, ignored);
}

std::string temp_file_path(const std::string& prefix) {
  for (int i = 0; i < kTries; ++i) {
    const std::string name = candidate(prefix).string();
    // "x": fails when the file exists.
    if (std::FILE* file = std::fopen(name.c_str(), "wbx")) {
      std::fclose(file);
      return name;
    }
  }
  return {};
}

std::string file_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace vr815::test
