#include "sim_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "protocol.h"
#include "socket_address.h"

namespace vr815::sim {

namespace {

/// Longest answer delay: far beyond any reply timeout, short of a hang.
constexpr long kMaxDelayMs = 60000;
/// Temperatures the device can report.
constexpr double kMinCelsius = -273.15;
constexpr double kMaxCelsius = 1000.0;

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
      !whole_number(text.substr(eq + 1), std::numeric_limits<int16_t>::min(),
                    std::numeric_limits<int16_t>::max(), &code) ||
      code == 0) {
    return false;
  }
  (*fails)[cmd->code] = static_cast<int16_t>(code);
  return true;
}

ParsedOptions error(std::string text) {
  ParsedOptions p;
  p.outcome = ParseOutcome::Error;
  p.error = std::move(text);
  return p;
}

}  // namespace

ParsedOptions parse_options(const std::vector<std::string>& args) {
  ParsedOptions parsed;
  Options& o = parsed.options;
  bool baud_given = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help") {
      parsed.outcome = ParseOutcome::Help;
      return parsed;
    }
    if (arg == "--version") {
      parsed.outcome = ParseOutcome::Version;
      return parsed;
    }
    if (arg == "--once") {
      o.once = true;
      continue;
    }
    if (arg == "--silent") {
      o.silent = true;
      continue;
    }
    if (arg == "--corrupt") {
      o.corrupt = true;
      continue;
    }
    if (arg == "--noise") {
      o.noise = true;
      continue;
    }
    const bool takes_value = arg == "--fail" || arg == "--hangup-after" ||
                             arg == "--temperature" || arg == "--log" ||
                             arg == "--delay-ms" || arg == "--listen" ||
                             arg == "--port" || arg == "--baud";
    if (!takes_value) return error("unknown option '" + arg + "'");
    if (i + 1 == args.size()) return error(arg + " needs a value");
    const std::string& value = args[++i];
    long long n = 0;
    double c = 0.0;
    bool good = true;
    if (arg == "--fail") {
      good = fail_entry(value, &o.fails);
    } else if (arg == "--hangup-after") {
      good = whole_number(value, 0, std::numeric_limits<int32_t>::max(), &n);
      o.hangup_after = static_cast<uint64_t>(n);
    } else if (arg == "--delay-ms") {
      good = whole_number(value, 0, kMaxDelayMs, &n);
      o.delay_ms = static_cast<int>(n);
    } else if (arg == "--listen" || arg == "--port") {
      const Options::Line line =
          arg == "--listen" ? Options::Line::Listen : Options::Line::Port;
      if (o.line != Options::Line::Pty && o.line != line) {
        return error("--listen and --port exclude each other");
      }
      o.line = line;
      SocketAddress address;
      good = line == Options::Line::Port
                 ? !value.empty()
                 : parse_listen_address(value, &address);
      (line == Options::Line::Port ? o.port : o.listen) = value;
    } else if (arg == "--baud") {
      good = whole_number(value, 1, std::numeric_limits<int32_t>::max(), &n);
      o.baud = static_cast<int32_t>(n);
      baud_given = true;
    } else if (arg == "--temperature") {
      good = celsius(value, &c);
      o.milli_celsius = static_cast<int32_t>(
          std::lround(c * protocol::kMilliCelsiusPerCelsius));
    } else {
      good = !value.empty();
      o.log_path = value;
    }
    if (!good) return error("bad value '" + value + "' for " + arg);
  }
  if (o.once && o.line != Options::Line::Listen) {
    return error("--once needs --listen");
  }
  if (baud_given && o.line != Options::Line::Port) {
    return error("--baud needs --port");
  }
  return parsed;
}

const char* usage_text() {
  return "usage: vr815-sim [options]\n"
         "Simulated VR815. Prints the port name a host opens as its first\n"
         "line, then answers the protocol until SIGTERM or SIGINT (Ctrl-C).\n"
         "Without --listen or --port it serves on a pseudo-terminal of its\n"
         "own (not on Windows) and prints the terminal's path.\n"
         "\n"
         "  --listen [HOST:]PORT  serve on TCP instead (HOST a numeric "
         "address,\n"
         "                        default 127.0.0.1; PORT 0: a free port);\n"
         "                        prints socket://HOST:PORT; one host at a\n"
         "                        time, others are closed at once\n"
         "  --once                with --listen: exit when the first host\n"
         "                        leaves\n"
         "  --port NAME           act as the device on an existing serial\n"
         "                        port (COM name or device path); prints NAME\n"
         "  --baud N              baud rate of --port (default 115200)\n"
         "  --silent              read every frame, never answer\n"
         "  --fail NAME=CODE      answer command NAME (e.g. SET_DELAY) with\n"
         "                        device status CODE (-32768..32767, not 0);\n"
         "                        repeatable\n"
         "  --corrupt             every answer carries a bad checksum\n"
         "  --noise               send a few bytes of noise before each "
         "answer\n"
         "  --delay-ms N          answer N ms after the request (0..60000)\n"
         "  --hangup-after N      close the line when frame N arrives,\n"
         "                        without answering it; 0: the line is down\n"
         "                        from the start, so opening it fails\n"
         "  --temperature C       temperature to report (default 25.5)\n"
         "  --log FILE            write each frame received to FILE, one line\n"
         "                        of hex pairs per frame\n"
         "  --version             print the version\n"
         "  --help                print this text\n"
         "\n"
         "Exit status: 0 after SIGTERM or SIGINT, --once's host leaving,\n"
         "--help or --version; 1 when the line or the log file cannot be\n"
         "opened; 2 for a bad option, or no line to serve on.\n";
}

}  // namespace vr815::sim
