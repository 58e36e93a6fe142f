// Files for tests: temporary folders and files under the system's temporary
// folder, with names no other process gets, and a file's content.
#ifndef VR815_TEST_FILES_H
#define VR815_TEST_FILES_H

#include <filesystem>
#include <string>

namespace vr815::test {

/// A new empty folder, removed with everything in it by the destructor.
struct TempDir {
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::filesystem::path path;  ///< empty when none could be made
};

/// The path of a new empty file whose name starts with prefix; the caller
/// removes it. Empty when none could be made.
std::string temp_file_path(const std::string& prefix);

/// Every byte of the file; empty when it cannot be read.
std::string file_text(const std::filesystem::path& path);

}  // namespace vr815::test

#endif  // VR815_TEST_FILES_H
