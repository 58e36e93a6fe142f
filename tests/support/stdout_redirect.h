// Standard input and output of the test process, redirected at the
// descriptor so that stdio and direct writes are both caught. One
// implementation per platform: stdout_redirect-posix.cpp, -win32.cpp.
#ifndef VR815_TEST_STDOUT_REDIRECT_H
#define VR815_TEST_STDOUT_REDIRECT_H

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

namespace vr815::test {

/// A new temporary file, open for reading and writing, removed when closed;
/// never the same file as another process's. Throws when none can be made.
std::FILE* temporary_file();

/// Runs body with standard output going to a temporary file; returns every
/// byte written to it, through stdio or straight to the descriptor, in the
/// order the bytes reached the descriptor.
std::string capture_stdout(const std::function<void()>& body);

/// Runs body with standard input reading the text, then end of input.
void with_stdin(const std::string& text, const std::function<void()>& body);

/// Writes to the standard output descriptor, past stdio's buffer.
void write_stdout_unbuffered(const char* data, size_t len);

}  // namespace vr815::test

#endif  // VR815_TEST_STDOUT_REDIRECT_H
