// The hosted program on Windows, through child_process.h: what it inherits
// and what ends it. (POSIX systems: tests/e2e/hosted_run_test-posix.cpp,
// through the device.)
// winsock2.h brings windows.h, which tlhelp32.h needs first.
#include <winsock2.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "child_process.h"
#include "files.h"

namespace {

using vr815::sim::start_child;
using vr815::sim::StartedChild;

/// Found beside the test, where CreateProcess looks first.
constexpr char kProbe[] = "vr815-child-probe.exe";
constexpr int kBoundMs = 10000;

/// Whether the condition holds within kBoundMs.
bool within_bound(const std::function<bool()>& condition) {
  const auto end =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kBoundMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

int probes_running() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more;
       more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, kProbe) == 0) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

TEST(HostedProgram, InheritsTheStandardHandlesAndNothingElse) {
  // What the device holds, inheritable as it comes: a file the C runtime
  // opened (the log) and a socket (a line on TCP).
  const std::string path = vr815::test::temp_file_path("vr815-child-held");
  std::FILE* log = std::fopen(path.c_str(), "w");
  ASSERT_NE(log, nullptr);
  WSADATA wsa;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &wsa), 0);
  const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  ASSERT_NE(socket, INVALID_SOCKET);

  StartedChild started = start_child({kProbe, "handles"}, "NAME");
  ASSERT_NE(started.child, nullptr) << started.error;
  int status = -1;
  EXPECT_TRUE(within_bound([&] { return started.child->ended(&status); }));
  EXPECT_EQ(status, 0) << "handles the program inherited";

  closesocket(socket);
  WSACleanup();
  std::fclose(log);
  std::remove(path.c_str());
}

TEST(HostedProgram, AStopOrItsEndEndsWhatTheProgramStartedToo) {
  for (const bool stop : {true, false}) {
    SCOPED_TRACE(stop ? "stop" : "destroyed");
    StartedChild started = start_child({kProbe, "tree"}, "NAME");
    ASSERT_NE(started.child, nullptr) << started.error;
    ASSERT_TRUE(within_bound([] { return probes_running() == 2; }));
    if (stop) {
      EXPECT_EQ(started.child->stop(), 1);
    } else {
      started.child.reset();
    }
    EXPECT_TRUE(within_bound([] { return probes_running() == 0; }));
  }
}

}  // namespace
