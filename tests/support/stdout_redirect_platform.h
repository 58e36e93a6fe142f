// What redirecting the standard streams needs of the platform:
// stdout_redirect-posix.cpp, stdout_redirect-win32.cpp.
#ifndef VR815_TEST_STDOUT_REDIRECT_PLATFORM_H
#define VR815_TEST_STDOUT_REDIRECT_PLATFORM_H

#include <cstdio>
#include <functional>
#include <string>

namespace vr815::test {

/// Points the standard descriptor of stream (stdin or stdout) at the file
/// for the duration of body. Output still buffered goes to the file before
/// the swap back; input read ahead from the file is dropped, so none of it
/// is taken for the restored input.
void redirect_standard_stream(std::FILE* stream, std::FILE* file,
                              const std::function<void()>& body);

/// Standard output's bytes as the program wrote them, from what reached the
/// file (a text-mode stream writes line ends as CR LF).
std::string written_text(std::string file_bytes);

}  // namespace vr815::test

#endif  // VR815_TEST_STDOUT_REDIRECT_PLATFORM_H
