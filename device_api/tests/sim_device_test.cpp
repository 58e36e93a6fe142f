// The simulated device without a line: its answers, its session, its options.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "child_process.h"
#include "device_state.h"
#include "protocol.h"
#include "sim_options.h"
#include "sim_session.h"

namespace {

namespace proto = vr815::protocol;
namespace sim = vr815::sim;
using Bytes = std::vector<uint8_t>;
using Words = std::vector<uint32_t>;

proto::Frame request(uint8_t command, uint16_t param, const Words& w = {}) {
  Bytes bytes;
  proto::append_frame_words(bytes, proto::kRequestMarker, command, param, w);
  proto::Frame frame;
  proto::parse_frame(bytes.data(), bytes.size(), proto::kRequestMarker, &frame);
  return frame;
}

Bytes request_bytes(uint8_t command, uint16_t param, const Words& w = {},
                    uint8_t tag = 0) {
  Bytes bytes;
  proto::append_frame_words(bytes, proto::kRequestMarker, command, param, w,
                            tag);
  return bytes;
}

TEST(SimDevice, RefusesWhatTheDeviceCannotTakeAndKeepsItsState) {
  const struct {
    const char* what;
    proto::Frame frame;
    int16_t status;
  } cases[] = {
      {"unknown command", request(0x42, 0), proto::kStatusUnknownCommand},
      {"wire mode 4", request(0x01, 4), proto::kStatusBadParameter},
      {"period 0", request(0x05, 0, {0}), proto::kStatusBadParameter},
      {"freq without word", request(0x05, 0), proto::kStatusBadLength},
      {"channel 0", request(0x06, 0x0001), proto::kStatusBadParameter},
      {"channel 5", request(0x06, 0x0501), proto::kStatusBadParameter},
      {"enable 2", request(0x06, 0x0102), proto::kStatusBadParameter},
      {"global 2", request(0x07, 2), proto::kStatusBadParameter},
      {"delay channel 5", request(0x08, 5, {1, 0}), proto::kStatusBadParameter},
      {"delay one word", request(0x08, 1, {1}), proto::kStatusBadLength},
      {"width channel 0", request(0x09, 0, {1, 0}), proto::kStatusBadParameter},
      {"trigger with data", request(0x14, 0, {1}), proto::kStatusBadLength},
      {"trigger parameter 1", request(0x14, 1), proto::kStatusBadParameter},
      {"freq parameter 1", request(0x05, 1, {1}), proto::kStatusBadParameter},
      {"second sensor", request(0x93, 1), proto::kStatusBadParameter},
      {"timing channel 5", request(0xC1, 5), proto::kStatusBadParameter},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sim::DeviceState state;
    const sim::Answer a = sim::answer_request(state, c.frame, {});
    EXPECT_EQ(a.status, c.status);
    EXPECT_TRUE(a.words.empty());
    const sim::Answer t = sim::answer_request(state, request(0xC1, 1), {});
    EXPECT_EQ(t.words, (Words{0, 0, 0, 0, 0, 250000, 0}));
  }
}

TEST(SimDevice, AnswersEveryCommandOfTheProtocolWithItsReplyLength) {
  for (const proto::Command& c : proto::kCommands) {
    SCOPED_TRACE(c.name);
    proto::Frame f;
    f.marker = proto::kRequestMarker;
    f.command = c.code;
    f.payload.assign(c.request_bytes, 0);
    sim::DeviceState s;
    const sim::Answer a = sim::answer_request(s, f, {});
    EXPECT_NE(a.status, proto::kStatusUnknownCommand);
    if (a.status == proto::kStatusOk) {
      EXPECT_EQ(a.words.size() * 4, c.reply_bytes);
    }
  }
}

TEST(SimDevice, PowersOnWithEveryChannelAndTheOutputsOff) {
  sim::DeviceState s;
  for (uint16_t channel = 1; channel <= proto::kChannels; ++channel) {
    EXPECT_EQ(sim::answer_request(s, request(0xC1, channel), {}).words,
              (Words{0, 0, 0, 0, 0, 250000, 0}))
        << channel;
  }
  EXPECT_FALSE(s.global_output);
}

TEST(SimDevice, KeepsTheSettingsItIsGiven) {
  sim::DeviceState s;
  const proto::Frame settings[] = {
      request(0x01, 3),         request(0x05, 0, {62500}),
      request(0x06, 0x0201),    request(0x08, 2, {5, 1}),
      request(0x09, 2, {7, 0}), request(0x07, 1),
      request(0x14, 0),         request(0x14, 0),
  };
  for (const proto::Frame& f : settings) {
    EXPECT_EQ(sim::answer_request(s, f, {}).status, proto::kStatusOk);
  }
  EXPECT_EQ(sim::answer_request(s, request(0xC1, 2), {}).words,
            (Words{5, 1, 7, 0, 3, 62500, 1}));
  EXPECT_EQ(sim::answer_request(s, request(0xC1, 0), {}).words,
            (Words{0, 0, 0, 0, 3, 62500, 0}));
  EXPECT_EQ(sim::answer_request(s, request(0xC1, 1), {}).words,
            (Words{0, 0, 0, 0, 3, 62500, 0}));
  EXPECT_TRUE(s.global_output);
  EXPECT_EQ(s.software_triggers, 2u);
  EXPECT_EQ(sim::answer_request(s, request(0x93, 0), {}).words, Words{25500});
}

TEST(SimDevice, ForcedFailureAnswersItsStatusAndChangesNothing) {
  sim::DeviceState s;
  const sim::FailTable fails{{0x08, -7}};
  EXPECT_EQ(sim::answer_request(s, request(0x08, 1, {1000, 0}), fails).status,
            -7);
  EXPECT_EQ(s.channels[0].delay_counts, 0u);
  EXPECT_EQ(sim::answer_request(s, request(0x09, 1, {1000, 0}), fails).status,
            proto::kStatusOk);
}

TEST(SimSession, FindsFramesAmongNoiseAndAcrossReads) {
  const sim::DeviceSettings settings;
  sim::Session s = sim::new_session(settings);
  const Bytes temp = request_bytes(0x93, 0);
  Bytes broken = request_bytes(0x14, 0);
  broken.back() ^= 0x01;
  Bytes line{0x00, 0xA5, 0x5A};  // noise, including a lone request marker
  line.insert(line.end(), broken.begin(), broken.end());
  line.insert(line.end(), temp.begin(), temp.end());
  line.insert(line.end(), temp.begin(), temp.begin() + 3);

  std::vector<sim::Event> events =
      sim::take_bytes(s, line.data(), line.size(), 0);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].log_line, proto::hex_text(temp.data(), temp.size()));
  EXPECT_EQ(events[0].answer,
            sim::answer_bytes(0x93, 0, {proto::kStatusOk, {25500}}, settings));
  EXPECT_EQ(s.device.software_triggers, 0u);

  events = sim::take_bytes(s, temp.data() + 3, temp.size() - 3, 0);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_FALSE(events[0].answer.empty());
  EXPECT_EQ(s.frames, 2u);
  EXPECT_TRUE(s.pending.empty());
}

TEST(SimSession, DropsAPartialFrameAfterAGapSoTheNextRequestIsAnswered) {
  // A SET_DELAY cut short after its header, which announces 8 more bytes:
  // without the reset the next request would be taken as its payload.
  const Bytes cut = request_bytes(0x08, 1, {1000, 0});
  const Bytes temp = request_bytes(0x93, 0);
  // The gap is the same on every line, whatever its rate.
  for (const auto& args : std::vector<std::vector<std::string>>{
           {}, {"--port", "COM7", "--baud", "115200"}}) {
    SCOPED_TRACE(args.empty() ? "a pseudo-terminal" : "a serial port");
    const sim::DeviceSettings settings =
        sim::parse_options(args).options.settings;
    const auto answers_after = [&](uint64_t gap_ms) {
      sim::Session s = sim::new_session(settings);
      EXPECT_TRUE(sim::take_bytes(s, cut.data(), 6, 1000).empty());
      const auto events =
          sim::take_bytes(s, temp.data(), temp.size(), 1000 + gap_ms);
      return events.size() == 1 && !events[0].answer.empty();
    };
    EXPECT_TRUE(answers_after(sim::kInterByteTimeoutMs + 1));
    EXPECT_FALSE(answers_after(sim::kInterByteTimeoutMs));
  }
}

TEST(SimSession, FaultOptionsShapeTheAnswer) {
  const Bytes req = request_bytes(0x93, 0);
  Bytes plain;
  proto::append_frame_words(plain, proto::kReplyMarker, 0x93, 0, {25500});
  const auto answer_with = [&](const sim::DeviceSettings& o) {
    sim::Session s = sim::new_session(o);
    const auto events = sim::take_bytes(s, req.data(), req.size(), 0);
    return events.size() == 1 ? events[0].answer : Bytes{0xDE, 0xAD};
  };

  sim::DeviceSettings o;
  EXPECT_EQ(answer_with(o), plain);
  o.silent = true;
  EXPECT_EQ(answer_with(o), Bytes{});
  o = {};
  o.corrupt = true;
  Bytes corrupt = plain;
  corrupt.back() ^= 0xFF;
  EXPECT_EQ(answer_with(o), corrupt);
  o = {};
  o.noise = true;
  Bytes noisy(std::begin(sim::kNoise), std::end(sim::kNoise));
  noisy.insert(noisy.end(), plain.begin(), plain.end());
  EXPECT_EQ(answer_with(o), noisy);
  EXPECT_NE(noisy[0], proto::kReplyMarker);
}

TEST(SimSession, EchoesTheTagAndHoldsBackTheAnswersItIsToldTo) {
  sim::DeviceSettings o;
  o.delay_ms = 20;
  o.late_ms = {{2, 400}, {3, 0}};
  o.fails = {{0x09, -7}};
  sim::Session s = sim::new_session(o);
  const struct {
    Bytes request;
    uint8_t command;
    int16_t status;
    Words words;
    int delay_ms;
  } frames[] = {
      {request_bytes(0x93, 0, {}, 1), 0x93, 0, {25500}, 20},
      {request_bytes(0x08, 1, {1000, 0}, 255), 0x08, 0, {}, 420},
      {request_bytes(0x09, 1, {1000, 0}, 1), 0x09, -7, {}, 20},
      {request_bytes(0x93, 0, {}, 0), 0x93, 0, {25500}, 20},
  };
  for (const auto& f : frames) {
    const uint8_t tag = f.request[proto::kTagOffset];
    SCOPED_TRACE(static_cast<int>(tag));
    const auto events =
        sim::take_bytes(s, f.request.data(), f.request.size(), 0);
    ASSERT_EQ(events.size(), 1u);
    Bytes reply;
    proto::append_frame_words(reply, proto::kReplyMarker, f.command,
                              static_cast<uint16_t>(f.status), f.words, tag);
    EXPECT_EQ(events[0].answer, reply);
    EXPECT_EQ(events[0].delay_ms, f.delay_ms);
    EXPECT_EQ(events[0].log_line,
              proto::hex_text(f.request.data(), f.request.size()) +
                  (tag == 0 ? "" : " tag=" + std::to_string(tag)));
  }
}

TEST(SimSession, HangsUpOnTheNthFrameWithoutAnsweringIt) {
  sim::DeviceSettings o;
  o.hangup_after = 2;
  sim::Session s = sim::new_session(o);
  Bytes line = request_bytes(0x93, 0);
  const Bytes more = line;
  line.insert(line.end(), more.begin(), more.end());
  line.insert(line.end(), more.begin(), more.end());
  const auto events = sim::take_bytes(s, line.data(), line.size(), 0);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_FALSE(events[0].hang_up);
  EXPECT_FALSE(events[0].answer.empty());
  EXPECT_TRUE(events[1].hang_up);
  EXPECT_TRUE(events[1].answer.empty());
  EXPECT_TRUE(sim::take_bytes(s, more.data(), more.size(), 0).empty());

  // 0: down from the start, no frame is taken at all.
  o.hangup_after = 0;
  sim::Session down = sim::new_session(o);
  EXPECT_TRUE(sim::take_bytes(down, line.data(), line.size(), 0).empty());
  EXPECT_EQ(down.frames, 0u);
}

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

TEST(SimHostedProgram, TheLineNameTakesThePlaceOfEveryBraceArgument) {
  const struct {
    std::vector<std::string> given;
    std::vector<std::string> started;
  } cases[] = {
      {{"prog"}, {"prog", "NAME"}},
      {{"prog", "a", "b"}, {"prog", "a", "b", "NAME"}},
      {{"prog", "{}", "9600"}, {"prog", "NAME", "9600"}},
      {{"prog", "{}", "--to", "{}"}, {"prog", "NAME", "--to", "NAME"}},
      // Only a whole argument, and never the program itself.
      {{"prog", "{}x", "{ }"}, {"prog", "{}x", "{ }", "NAME"}},
      {{"{}"}, {"{}", "NAME"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sim::put_line_name(c.given, std::string("NAME")), c.started)
        << c.given.back();
  }
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

}  // namespace
