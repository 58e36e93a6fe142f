// Bad input end to end: port arguments that are huge, hold printf
// conversions, are empty or are not ASCII; paths that are not terminals;
// baud arguments read the way atoi reads them, in range and beyond; and
// dialogue answers of NUL bytes, binary noise and megabyte lines. The
// arguments are printed as given and never interpreted, an open that cannot
// succeed ends the run with the hint and status 255, and nothing is written
// to a file that is not a terminal.
//
// Port and baud arguments go to the real vr815-test. The dialogue goes to a
// build of the program over a stand-in library that fails every open, since
// its fallback COM3, and any listed port, would be a port of this machine;
// the ports it lists are the test's, not this machine's.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "expected_report.h"
#include "files.h"
#include "program_run.h"
#include "sim_process.h"

namespace vr815::test {
namespace {

namespace fs = std::filesystem;

constexpr int32_t kDefaultBaud = 115200;
/// A run whose open fails makes no waits; a whole run takes 5.5 s.
constexpr double kFailedRunSeconds = 5.0;
constexpr int kKillAfterMs = 30000;
constexpr size_t kAtOnce = 8;

const CallStatuses kAllOk{};

Invocation vr815_test(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {VR815_TEST_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return {argv, "\n", kKillAfterMs};
}

void expect_failed_open(const ProgramResult& run, const std::string& port,
                        int32_t baud) {
  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.status, 255);
  EXPECT_EQ(run.out, expected_report(port, baud, false, kAllOk));
  EXPECT_EQ(run.err, "");
  EXPECT_LT(run.seconds, kFailedRunSeconds);
}

TEST(BadInput, PortArgumentIsPrintedAsGivenAndNothingOpens) {
  const std::vector<std::string> ports = {
      std::string(100000, 'x'),
      "/" + std::string(99999, 'x'),  // a path far beyond PATH_MAX
      "%s%n%x",
      "%s%n%x/%p%p%p",
      "",
      "\xC3\x84\xE2\x82\xAC \xFF\xFE\x80\t\x1B[2J",
      "\xFF\x01/\x7F",
  };
  std::vector<Invocation> invocations;
  for (const std::string& port : ports)
    invocations.push_back(vr815_test({port}));
  const std::vector<ProgramResult> runs = run_programs(invocations, kAtOnce);
  for (size_t i = 0; i < ports.size(); ++i) {
    SCOPED_TRACE("port argument " + std::to_string(i));
    expect_failed_open(runs[i], ports[i], kDefaultBaud);
  }
}

timespec mtime_of(const fs::path& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_mtim;
}

TEST(BadInput, PathsThatAreNotTerminalsAreRefusedUnwritten) {
  TempDir dir;
  ASSERT_FALSE(dir.path.empty());
  // A writable file with an old time stamp: any write would change both
  // its content and its time.
  const fs::path file = dir.path / "settings.txt";
  const std::string content = "precious\n";
  std::ofstream(file, std::ios::binary) << content;
  const timespec old_times[2] = {{946684800, 0}, {946684800, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), old_times, 0), 0);
  // A pipe opens for writing like a line would; we hold its reading end to
  // see whether anything arrives.
  const fs::path fifo = dir.path / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int fifo_reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(fifo_reader, 0);

  const std::vector<std::string> ports = {file.string(), dir.path.string(),
                                          "/dev/null", fifo.string()};
  std::vector<Invocation> invocations;
  for (const std::string& port : ports)
    invocations.push_back(vr815_test({port}));
  const std::vector<ProgramResult> runs = run_programs(invocations, kAtOnce);
  for (size_t i = 0; i < ports.size(); ++i) {
    SCOPED_TRACE(ports[i]);
    expect_failed_open(runs[i], ports[i], kDefaultBaud);
  }

  EXPECT_EQ(file_text(file), content);
  const timespec now = mtime_of(file);
  EXPECT_EQ(now.tv_sec, old_times[1].tv_sec);
  EXPECT_EQ(now.tv_nsec, old_times[1].tv_nsec);
  char byte = 0;
  EXPECT_LE(read(fifo_reader, &byte, 1), 0) << "bytes were written to a pipe";
  close(fifo_reader);
}

TEST(BadInput, BaudArgumentIsReadAsAtoiReadsItAndOnlyRealRatesOpen) {
  const struct {
    std::vector<std::string> args;  // after the port
    int32_t baud;
    bool opens;
  } cases[] = {
      {{"9600"}, 9600, true},
      {{"9600", "x"}, 9600, true},
      {{" \t9600"}, 9600, true},
      {{"+115200baud"}, 115200, true},
      {{"fast"}, 0, false},
      {{""}, 0, false},
      {{"-9600"}, -9600, false},
      {{"12345"}, 12345, false},
      {{"2147483648"}, 2147483647, false},
      {{"99999999999999999999"}, 2147483647, false},
      {{"-99999999999999999999"}, -2147483647 - 1, false},
  };
  std::vector<std::unique_ptr<SimProcess>> sims;
  std::vector<Invocation> invocations;
  for (const auto& c : cases) {
    sims.push_back(std::make_unique<SimProcess>());
    ASSERT_FALSE(sims.back()->port().empty());
    std::vector<std::string> args = {sims.back()->port()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    invocations.push_back(vr815_test(args));
  }
  const std::vector<ProgramResult> runs = run_programs(invocations, kAtOnce);
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("baud argument '" + cases[i].args[0] + "'");
    const std::string& port = sims[i]->port();
    if (!cases[i].opens) {
      expect_failed_open(runs[i], port, cases[i].baud);
      continue;
    }
    ASSERT_FALSE(runs[i].timed_out);
    EXPECT_EQ(runs[i].status, 0);
    EXPECT_EQ(mask_handle(runs[i].out),
              expected_report(port, cases[i].baud, true, kAllOk));
    EXPECT_EQ(runs[i].err, "");
  }
}

/// Bytes that are not text: every value, NUL and line ends included.
std::string noise(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& b : bytes) {
    seed = seed * 1664525u + 1013904223u;
    b = static_cast<char>(seed >> 24);
  }
  return bytes;
}

/// Noise whose first 63 bytes hold no NUL and no line end, so that the
/// typed name is exactly those 63 bytes.
std::string noise_name_line() {
  std::string bytes = noise(4096, 7);
  for (size_t i = 0; i < 63; ++i) {
    if (bytes[i] == '\0' || bytes[i] == '\n' || bytes[i] == '\r') bytes[i] = 1;
  }
  return bytes;
}

TEST(BadInput, DialogueAnswersOfNulNoiseAndMegabyteLines) {
  // The machine "listed" offers COM4, LPT1 and COM1, "none" no port.
  const std::string listed = port_list_prompt({"COM1", "COM4"});
  const std::string invalid = kInvalidSelection;
  const std::string manual = kTypePortPrompt;
  const size_t mb = size_t{1} << 20;
  std::string noisy = noise(4096, 1);
  noisy[0] = '\xFF';
  std::string two_then_noise = "2" + noise(4096, 3);
  two_then_noise[1] = '\x80';
  const std::string name_noise = noise_name_line();

  const struct {
    const char* what;
    const char* machine;
    std::string input;
    std::string dialogue;  // what the dialogue prints
    std::string port;
  } cases[] = {
      {"NUL bytes", "listed", std::string("\0\0\0\n", 4), listed, "COM3"},
      {"choice, NUL, digit", "listed",
       std::string("2\0"
                   "9\n",
                   4),
       listed, "COM4"},
      {"binary noise", "listed", noisy, listed + invalid, "COM3"},
      {"choice, then noise", "listed", two_then_noise, listed, "COM4"},
      {"a megabyte of digits", "listed", std::string(mb, '1') + "\n",
       listed + invalid, "COM3"},
      {"choice, then a megabyte of blanks", "listed",
       "1" + std::string(mb, ' ') + "\n", listed, "COM1"},
      {"a megabyte of NUL bytes", "listed", std::string(mb, '\0') + "\n",
       listed, "COM3"},
      {"NUL bytes", "none", std::string("\0\0\n", 3), manual, "COM3"},
      {"name, NUL, more", "none", std::string("COM12\0junk\n", 11), manual,
       "COM12"},
      {"binary noise", "none", name_noise, manual, name_noise.substr(0, 63)},
      {"a megabyte line", "none", std::string(mb, 'A') + "\n", manual,
       std::string(63, 'A')},
      {"a megabyte without a line end", "none", std::string(mb, 'B'), manual,
       std::string(63, 'B')},
  };
  std::vector<Invocation> invocations;
  for (const auto& c : cases) {
    invocations.push_back(
        {{VR815_DIALOGUE_PATH, c.machine}, c.input, kKillAfterMs});
  }
  const std::vector<ProgramResult> runs = run_programs(invocations, kAtOnce);
  const std::string tail =
      "  [ OK ] Frame format verified\n" + open_failed_tail();
  for (size_t i = 0; i < std::size(cases); ++i) {
    const ProgramResult& run = runs[i];
    SCOPED_TRACE(std::string(cases[i].what) + ", " +
                 (cases[i].machine == std::string("none") ? "no ports"
                                                          : "ports listed"));
    ASSERT_FALSE(run.timed_out);
    EXPECT_EQ(run.status, 255);
    const std::string head =
        cases[i].dialogue + banner(cases[i].port, kDefaultBaud);
    EXPECT_EQ(run.out.substr(0, head.size()), head);
    ASSERT_GE(run.out.size(), tail.size());
    EXPECT_EQ(run.out.substr(run.out.size() - tail.size()), tail);
    // The name the library was asked to open is the one printed.
    EXPECT_EQ(run.err, "vr815_init(" + cases[i].port + ", 115200)\n");
    EXPECT_LT(run.seconds, kFailedRunSeconds);
  }
}

}  // namespace
}  // namespace vr815::test
