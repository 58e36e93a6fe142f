// The simulated device's command line: what the option table reads and
// refuses, and the usage text made from it.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "files.h"
#include "sim_options.h"

namespace {

namespace sim = vr815::sim;

TEST(SimOptions, ReadsEveryOption) {
  const sim::ParsedOptions p = sim::parse_options({"--silent",
                                                   "--corrupt",
                                                   "--noise",
                                                   "--fail",
                                                   "SET_DELAY=7",
                                                   "--fail",
                                                   "READ_TEMP=-32768",
                                                   "--fail",
                                                   "SET_DELAY=9",
                                                   "--hangup-after",
                                                   "3",
                                                   "--temperature",
                                                   "-12.5",
                                                   "--delay-ms",
                                                   "350",
                                                   "--log",
                                                   "frames.log",
                                                   "--late",
                                                   "2=400",
                                                   "--late",
                                                   "7=0",
                                                   "--late",
                                                   "2=60000"});
  ASSERT_EQ(p.outcome, sim::ParseOutcome::Run) << p.error;
  const sim::DeviceSettings& o = p.options.settings;
  EXPECT_TRUE(o.silent && o.corrupt && o.noise);
  EXPECT_EQ(o.fails, (sim::FailTable{{0x08, 9}, {0x93, -32768}}));
  EXPECT_EQ(o.hangup_after, 3u);
  EXPECT_EQ(o.milli_celsius, -12500);
  EXPECT_EQ(o.delay_ms, 350);
  EXPECT_EQ(p.options.log_path, "frames.log");
  EXPECT_EQ(o.late_ms, (std::map<uint64_t, int>{{2, 60000}, {7, 0}}));

  const sim::DeviceSettings defaults = sim::parse_options({}).options.settings;
  EXPECT_EQ(defaults.milli_celsius, 25500);
  EXPECT_FALSE(defaults.hangup_after.has_value());
  EXPECT_EQ(
      sim::parse_options({"--hangup-after", "0"}).options.settings.hangup_after,
      uint64_t{0});
  EXPECT_EQ(sim::parse_options({"--delay-ms", "1", "--help"}).outcome,
            sim::ParseOutcome::Help);
  EXPECT_EQ(sim::parse_options({"--version"}).outcome,
            sim::ParseOutcome::Version);
}

TEST(SimOptions, ReadsTheLineToServeOn) {
  EXPECT_EQ(sim::parse_options({}).options.line, sim::Options::Line::Pty);
  const sim::Options tcp =
      sim::parse_options({"--listen", "[::1]:0", "--once"}).options;
  EXPECT_EQ(tcp.line, sim::Options::Line::Listen);
  EXPECT_EQ(tcp.listen, "[::1]:0");
  EXPECT_EQ(tcp.listen_address.host, "::1");
  EXPECT_EQ(tcp.listen_address.port, 0);
  EXPECT_TRUE(tcp.once);
  const sim::Options port =
      sim::parse_options({"--port", "COM7", "--baud", "9600"}).options;
  EXPECT_EQ(port.line, sim::Options::Line::Port);
  EXPECT_EQ(port.port, "COM7");
  EXPECT_EQ(port.baud, 9600);
  EXPECT_EQ(sim::parse_options({"--port", "/dev/ttyUSB0"}).options.baud,
            115200);
}

TEST(SimOptions, RunTakesEveryArgumentAfterIt) {
  const sim::ParsedOptions p = sim::parse_options(
      {"--silent", "--run", "prog", "--help", "{}", "--once", ""});
  ASSERT_EQ(p.outcome, sim::ParseOutcome::Run) << p.error;
  EXPECT_TRUE(p.options.settings.silent);
  EXPECT_FALSE(p.options.once);
  EXPECT_EQ(p.options.run,
            (std::vector<std::string>{"prog", "--help", "{}", "--once", ""}));
  EXPECT_TRUE(sim::parse_options({}).options.run.empty());
}

TEST(SimOptions, RefusesBadValuesWithOneLine) {
  const std::vector<std::vector<std::string>> cases = {
      {"--verbose"},
      {"-s"},
      {"--silent=1"},
      {"--fail"},
      {"--fail", "SET_DELAY"},
      {"--fail", "SET_DELAY="},
      {"--fail", "SET_DELAY=0"},
      {"--fail", "SET_DELAY=32768"},
      {"--fail", "SET_DELAY=-32769"},
      {"--fail", "SET_DELAY=7x"},
      {"--fail", "set_delay=7"},
      {"--fail", "NOT_A_COMMAND=7"},
      {"--hangup-after", "-1"},
      {"--hangup-after", "two"},
      {"--delay-ms", "-1"},
      {"--delay-ms", "60001"},
      {"--delay-ms", ""},
      {"--late", "2"},
      {"--late", "0=100"},
      {"--late", "2=60001"},
      {"--late", "2=-1"},
      {"--late", "=100"},
      {"--late", "x=100"},
      {"--temperature", "warm"},
      {"--temperature", "nan"},
      {"--temperature", "1e9"},
      {"--temperature", "25.5C"},
      {"--log", ""},
      {"--listen", "70000"},
      {"--listen", "host:5000"},
      {"--listen", "127.0.0.1:"},
      {"--listen", "::1:5000"},
      {"--listen", "0", "--port", "COM7"},
      {"--port", ""},
      {"--port", "COM7", "--baud", "0"},
      {"--baud", "9600"},
      {"--once"},
      {"--run"},
      {"--silent", "--run"},
      {"--once", "--run", "prog"},
  };
  for (const auto& args : cases) {
    const sim::ParsedOptions p = sim::parse_options(args);
    EXPECT_EQ(p.outcome, sim::ParseOutcome::Error)
        << args.front() << " " << args.back();
    EXPECT_FALSE(p.error.empty());
    EXPECT_EQ(p.error.find('\n'), std::string::npos);
  }
}

// Every option that takes a number, at both edges of its range: the last
// value taken, read as given, and the first refused. --late's MS has the
// range of --delay-ms and is held at its edges by the tests above.
TEST(SimOptions, NumbersAreTakenToTheEdgesOfTheirRangesAndNoFurther) {
  using Read = long long (*)(const sim::Options&);
  const Read listen = [](const sim::Options& o) -> long long {
    return o.listen_address.port;
  };
  const Read baud = [](const sim::Options& o) -> long long { return o.baud; };
  const Read fail = [](const sim::Options& o) -> long long {
    return o.settings.fails.at(0x08);
  };
  const Read delay = [](const sim::Options& o) -> long long {
    return o.settings.delay_ms;
  };
  const Read late_frame = [](const sim::Options& o) -> long long {
    return static_cast<long long>(o.settings.late_ms.begin()->first);
  };
  const Read hangup = [](const sim::Options& o) -> long long {
    return static_cast<long long>(*o.settings.hangup_after);
  };
  const Read milli_celsius = [](const sim::Options& o) -> long long {
    return o.settings.milli_celsius;
  };
  const struct {
    std::vector<std::string> args;
    Read read;  ///< null: refused
    long long value;
  } cases[] = {
      {{"--listen", "0"}, listen, 0},
      {{"--listen", "65535"}, listen, 65535},
      {{"--listen", "65536"}, nullptr, 0},
      {{"--listen", "127.0.0.1:65535"}, listen, 65535},
      {{"--listen", "127.0.0.1:65536"}, nullptr, 0},
      {{"--port", "COM7", "--baud", "0"}, nullptr, 0},
      {{"--port", "COM7", "--baud", "1"}, baud, 1},
      {{"--port", "COM7", "--baud", "2147483647"}, baud, 2147483647},
      {{"--port", "COM7", "--baud", "2147483648"}, nullptr, 0},
      {{"--fail", "SET_DELAY=-32769"}, nullptr, 0},
      {{"--fail", "SET_DELAY=-32768"}, fail, -32768},
      {{"--fail", "SET_DELAY=-1"}, fail, -1},
      {{"--fail", "SET_DELAY=0"}, nullptr, 0},
      {{"--fail", "SET_DELAY=1"}, fail, 1},
      {{"--fail", "SET_DELAY=32767"}, fail, 32767},
      {{"--fail", "SET_DELAY=32768"}, nullptr, 0},
      {{"--delay-ms", "-1"}, nullptr, 0},
      {{"--delay-ms", "0"}, delay, 0},
      {{"--delay-ms", "60000"}, delay, 60000},  // a whole minute
      {{"--delay-ms", "60001"}, nullptr, 0},
      {{"--late", "0=100"}, nullptr, 0},
      {{"--late", "1=100"}, late_frame, 1},
      {{"--late", "2147483647=100"}, late_frame, 2147483647},
      {{"--late", "2147483648=100"}, nullptr, 0},
      {{"--hangup-after", "-1"}, nullptr, 0},
      {{"--hangup-after", "0"}, hangup, 0},
      {{"--hangup-after", "2147483647"}, hangup, 2147483647},
      {{"--hangup-after", "2147483648"}, nullptr, 0},
      {{"--temperature", "-273.16"}, nullptr, 0},
      {{"--temperature", "-273.15"}, milli_celsius, -273150},
      {{"--temperature", "1000"}, milli_celsius, 1000000},
      {{"--temperature", "1000.001"}, nullptr, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.back());
    const sim::ParsedOptions p = sim::parse_options(c.args);
    if (c.read == nullptr) {
      EXPECT_EQ(p.outcome, sim::ParseOutcome::Error);
      EXPECT_EQ(p.error, "bad value '" + c.args.back() + "' for " +
                             c.args[c.args.size() - 2]);
    } else {
      ASSERT_EQ(p.outcome, sim::ParseOutcome::Run) << p.error;
      EXPECT_EQ(c.read(p.options), c.value);
    }
  }
}

/// The text with each roff minus sign, \-, as the character it prints.
std::string roff_minus_signs_printed(std::string text) {
  for (size_t at = text.find("\\-"); at != std::string::npos;
       at = text.find("\\-", at + 1)) {
    text.erase(at, 1);
  }
  return text;
}

TEST(SimOptions, HelpIsTheOptionsOfTheDocsAndTheManualPage) {
  const std::string help = sim::usage_text();
  const std::string page = vr815::test::file_text(VR815_SIM_PAGE);
  EXPECT_NE(page.find("```\n" + help + "```\n"), std::string::npos)
      << "the page's options block differs from vr815-sim --help:\n"
      << help;
  const std::string manual =
      roff_minus_signs_printed(vr815::test::file_text(VR815_SIM_MANUAL));
  EXPECT_NE(manual.find(".nf\n" + help + ".fi\n"), std::string::npos)
      << "the manual page's options differ from vr815-sim --help:\n"
      << help;
}

}  // namespace
