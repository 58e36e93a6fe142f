#include "sim_options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>
#include <sstream>
#include <string_view>

#include "VR815_DLL.h"
#include "child_process.h"
#include "protocol.h"

namespace vr815::sim {

namespace {

/// Longest answer delay: far beyond any reply timeout, short of a hang.
constexpr long kMaxDelayMs = 60000;
/// Temperatures the device can report.
constexpr double kMinCelsius = -273.15;
constexpr double kMaxCelsius = 1000.0;
/// Device statuses --fail takes: what a reply's 16 bits carry, but 0.
using Status = std::numeric_limits<int16_t>;

/// Whole decimal number, the entire text, within [lo, hi].
bool whole_number(const std::string& text, long long lo, long long hi,
                  long long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
  *value = v;
  return true;
}

/// whole_number, stored as T; *value is only meaningful when it is true.
template <class T>
bool whole_number_as(const std::string& text, long long lo, long long hi,
                     T* value) {
  long long n = 0;
  const bool good = whole_number(text, lo, hi, &n);
  *value = static_cast<T>(n);
  return good;
}

bool celsius(const std::string& text, double* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(v) || v < kMinCelsius ||
      v > kMaxCelsius) {
    return false;
  }
  *value = v;
  return true;
}

bool fail_entry(const std::string& text, FailTable* fails) {
  const size_t eq = text.find('=');
  if (eq == std::string::npos) return false;
  const protocol::Command* cmd =
      protocol::find_command(std::string_view(text).substr(0, eq));
  long long code = 0;
  if (cmd == nullptr ||
      !whole_number(text.substr(eq + 1), Status::min(), Status::max(), &code) ||
      code == 0) {
    return false;
  }
  (*fails)[cmd->code] = static_cast<int16_t>(code);
  return true;
}

/// "N=MS": the answer to frame N goes out MS later.
bool late_entry(const std::string& text, std::map<uint64_t, int>* late_ms) {
  const size_t eq = text.find('=');
  long long frame = 0;
  long long ms = 0;
  if (eq == std::string::npos ||
      !whole_number(text.substr(0, eq), 1, std::numeric_limits<int32_t>::max(),
                    &frame) ||
      !whole_number(text.substr(eq + 1), 0, kMaxDelayMs, &ms)) {
    return false;
  }
  (*late_ms)[static_cast<uint64_t>(frame)] = static_cast<int>(ms);
  return true;
}

/// What an option does with its value (empty for an option without one);
/// false when the value is bad.
using Setter = bool (*)(ParsedOptions& parsed, const std::string& value);

/// One option: its name, what its value is called in the usage text (null:
/// it takes none), its help text line by line, and what it sets. An option
/// that takes the rest gets every argument after it, each handed to its
/// setter in turn, and ends the options.
struct OptionRow {
  const char* name;
  const char* value;
  std::vector<std::string> help;
  Setter set;
  bool takes_rest = false;
};

template <bool DeviceSettings::*Flag>
bool set_fault(ParsedOptions& p, const std::string&) {
  p.options.settings.*Flag = true;
  return true;
}

template <ParseOutcome Outcome>
bool set_outcome(ParsedOptions& p, const std::string&) {
  p.outcome = Outcome;
  return true;
}

/// "LO..HI", as the usage text gives a range.
std::string range_text(long long lo, long long hi) {
  return std::to_string(lo) + ".." + std::to_string(hi);
}

/// "(CODE)": a failure code of the library, as the usage text quotes it.
std::string code_text(int32_t code) { return "(" + std::to_string(code) + ")"; }

/// Degrees Celsius as the usage text shows them, e.g. 25.5.
std::string degrees_text(double celsius) {
  std::ostringstream text;
  text << celsius;
  return text.str();
}

const std::string kDelayRange = range_text(0, kMaxDelayMs);

const OptionRow kOptions[] = {
    {"--listen",
     "[HOST:]PORT",
     {
         "serve on TCP instead (HOST a numeric address,",
         "default " + std::string(kLoopbackHost) + "; PORT 0: a free port);",
         "prints socket://HOST:PORT; one host at a",
         "time, others are closed at once",
     },
     [](ParsedOptions& p, const std::string& v) {
       p.options.line = Options::Line::Listen;
       p.options.listen = v;
       return parse_listen_address(v, &p.options.listen_address);
     }},
    {"--once",
     nullptr,
     {
         "with --listen: exit when the first host",
         "leaves",
     },
     [](ParsedOptions& p, const std::string&) {
       p.options.once = true;
       return true;
     }},
    {"--port",
     "NAME",
     {
         "act as the device on an existing serial",
         "port (COM name or device path); prints NAME",
     },
     [](ParsedOptions& p, const std::string& v) {
       p.options.line = Options::Line::Port;
       p.options.port = v;
       return !v.empty();
     }},
    {"--baud",
     "N",
     {"baud rate of --port (default " + std::to_string(kDefaultBaud) + ")"},
     [](ParsedOptions& p, const std::string& v) {
       return whole_number_as(v, 1, std::numeric_limits<int32_t>::max(),
                              &p.options.baud);
     }},
    {"--silent",
     nullptr,
     {
         "read every frame, never answer: each call",
         "after the open times out " + code_text(VR815_ERR_TIMEOUT),
     },
     set_fault<&DeviceSettings::silent>},
    {"--fail",
     "NAME=CODE",
     {
         "answer command NAME (e.g. SET_DELAY) with",
         "device status CODE (" + range_text(Status::min(), Status::max()) +
             ", not 0),",
         "which that call returns; repeatable",
     },
     [](ParsedOptions& p, const std::string& v) {
       return fail_entry(v, &p.options.settings.fails);
     }},
    {"--corrupt",
     nullptr,
     {
         "every answer carries a bad checksum: each",
         "call fails with a bad reply " + code_text(VR815_ERR_BAD_REPLY),
     },
     set_fault<&DeviceSettings::corrupt>},
    {"--noise",
     nullptr,
     {
         "send a few bytes of noise before each",
         "answer: each call fails with a bad reply",
         code_text(VR815_ERR_BAD_REPLY),
     },
     set_fault<&DeviceSettings::noise>},
    {"--delay-ms",
     "N",
     {
         "answer N ms after the request (" + kDelayRange + ");",
         "beyond the reply timeout each call times",
         "out " + code_text(VR815_ERR_TIMEOUT),
     },
     [](ParsedOptions& p, const std::string& v) {
       return whole_number_as(v, 0, kMaxDelayMs, &p.options.settings.delay_ms);
     }},
    {"--late",
     "N=MS",
     {
         "answer frame N (counted from 1) MS ms later",
         "than the others (" + kDelayRange + "), so that its",
         "reply can come during a later call, which",
         "drops it; repeatable",
     },
     [](ParsedOptions& p, const std::string& v) {
       return late_entry(v, &p.options.settings.late_ms);
     }},
    {"--hangup-after",
     "N",
     {
         "close the line when frame N arrives,",
         "without answering it: that call and later",
         "ones fail with a line error " + code_text(VR815_ERR_LINE) + ";",
         "0: the line is down from the start: a",
         "host's open fails, or on --port its calls",
         "go unanswered",
     },
     [](ParsedOptions& p, const std::string& v) {
       uint64_t n = 0;
       const bool good =
           whole_number_as(v, 0, std::numeric_limits<int32_t>::max(), &n);
       p.options.settings.hangup_after = n;
       return good;
     }},
    {"--temperature",
     "C",
     {
         "temperature to report (" + degrees_text(kMinCelsius) + ".." +
             degrees_text(kMaxCelsius) + ",",
         "default " +
             degrees_text(static_cast<double>(protocol::kPowerOnMilliCelsius) /
                          protocol::kMilliCelsiusPerCelsius) +
             ")",
     },
     [](ParsedOptions& p, const std::string& v) {
       double c = 0.0;
       const bool good = celsius(v, &c);
       p.options.settings.milli_celsius = static_cast<int32_t>(
           std::lround(c * protocol::kMilliCelsiusPerCelsius));
       return good;
     }},
    {"--log",
     "FILE",
     {
         "write each frame received to FILE, one line",
         "of hex pairs per frame, then tag=N when its",
         "tag N is not 0",
     },
     [](ParsedOptions& p, const std::string& v) {
       p.options.log_path = v;
       return !v.empty();
     }},
    {"--run",
     "PROGRAM [ARGS]",
     {
         "host PROGRAM: start it with ARGS once the",
         "line is open, the line's name in place of",
         "an argument {} (appended when none is {}),",
         "serve until it ends, and exit with its",
         "status; the name is not printed. Takes",
         "the rest of the command line",
     },
     [](ParsedOptions& p, const std::string& v) {
       p.options.run.push_back(v);
       return true;
     },
     true},
    {"--version",
     nullptr,
     {"print the version"},
     set_outcome<ParseOutcome::Version>},
    {"--help", nullptr, {"print this text"}, set_outcome<ParseOutcome::Help>},
};

/// How options given together must relate.
struct Rule {
  const char* option;
  const char* other;
  bool needs;  ///< true: option needs other; false: they exclude each other
};

const Rule kRules[] = {
    {"--listen", "--port", false},
    {"--once", "--listen", true},
    {"--baud", "--port", true},
};

const OptionRow* find_option(std::string_view name) {
  for (const OptionRow& row : kOptions) {
    if (name == row.name) return &row;
  }
  return nullptr;
}

ParsedOptions error(std::string text) {
  ParsedOptions p;
  p.outcome = ParseOutcome::Error;
  p.error = std::move(text);
  return p;
}

/// The first rule the given options break, as an error text; empty if none.
std::string broken_rule(const std::set<std::string_view>& given) {
  for (const Rule& rule : kRules) {
    const bool has = given.count(rule.option) != 0;
    const bool has_other = given.count(rule.other) != 0;
    if (rule.needs && has && !has_other) {
      return std::string(rule.option) + " needs " + rule.other;
    }
    if (!rule.needs && has && has_other) {
      return std::string(rule.option) + " and " + rule.other +
             " exclude each other";
    }
  }
  return {};
}

/// The lines, each with its line end.
std::string text_of_lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + '\n';
  return text;
}

std::string make_usage() {
  constexpr size_t kHelpColumn = 24;
  const std::string grace_s = std::to_string(kStopGraceMs / 1000);
  std::string text = text_of_lines({
      "usage: vr815-sim [options] [--run PROGRAM [ARGS]]",
      "Simulated VR815. Prints the port name a host opens as its first",
      "line, then answers the protocol until SIGTERM, SIGHUP or SIGINT",
      "(Ctrl-C). Without --listen or --port it serves on a pseudo-terminal",
      "of its own (not on Windows) and prints the terminal's path.",
      "With --run it serves while PROGRAM runs, on the console's standard",
      "streams: Ctrl-C reaches PROGRAM, and the device ends when PROGRAM",
      "does; SIGTERM or SIGHUP is passed on to PROGRAM (on Windows: it is",
      "ended with the programs it started), which gets " + grace_s +
          " s before it is",
      "killed.",
      "",
  });
  for (const OptionRow& row : kOptions) {
    std::string head = std::string("  ") + row.name;
    if (row.value != nullptr) head += std::string(" ") + row.value;
    head.resize(std::max(head.size() + 2, kHelpColumn), ' ');
    for (const std::string& line : row.help) {
      text += head + line + '\n';
      head.assign(kHelpColumn, ' ');
    }
  }
  text += text_of_lines({
      "",
      "Exit status: 0 after SIGTERM, SIGHUP or SIGINT, --once's host",
      "leaving, --help or --version; " + std::to_string(kCannotOpenStatus) +
          " when the line or the log file",
      "cannot be opened; " + std::to_string(kUsageStatus) +
          " for a bad option, or no line to serve on.",
      "With --run: PROGRAM's exit status (" +
          std::to_string(kSignalStatusBase) + " + the signal when a signal",
      "ended it), or " + std::to_string(kCannotStartStatus) +
          " when PROGRAM cannot be started.",
  });
  return text;
}

}  // namespace

ParsedOptions parse_options(const std::vector<std::string>& args) {
  ParsedOptions parsed;
  std::set<std::string_view> given;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const OptionRow* row = find_option(arg);
    if (row == nullptr) return error("unknown option '" + arg + "'");
    given.insert(row->name);
    if (row->takes_rest) {
      if (i + 1 == args.size()) return error(arg + " needs a program");
      while (++i < args.size()) row->set(parsed, args[i]);
      break;
    }
    if (row->value == nullptr) {
      row->set(parsed, std::string());
      if (parsed.outcome != ParseOutcome::Run) return parsed;
      continue;
    }
    if (i + 1 == args.size()) return error(arg + " needs a value");
    const std::string& value = args[++i];
    if (!row->set(parsed, value)) {
      return error("bad value '" + value + "' for " + arg);
    }
  }
  const std::string broken = broken_rule(given);
  if (!broken.empty()) return error(broken);
  return parsed;
}

const char* usage_text() {
  static const std::string text = make_usage();
  return text.c_str();
}

}  // namespace vr815::sim
