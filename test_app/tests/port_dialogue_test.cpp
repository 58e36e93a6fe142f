#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "expected_report.h"
#include "port_selection.h"
#include "stdout_redirect.h"

namespace vr815::test {
namespace {

std::string read_all(std::FILE* f) {
  std::rewind(f);
  std::string text;
  int c;
  while ((c = std::fgetc(f)) != EOF) text.push_back(static_cast<char>(c));
  return text;
}

struct Dialogue {
  std::string result;
  std::string printed;
  std::string left;  // what the dialogue left unread on its input
};

Dialogue run(const std::vector<std::string>& ports, const std::string& input) {
  std::FILE* in = temporary_file();
  std::FILE* out = temporary_file();
  std::fwrite(input.data(), 1, input.size(), in);
  std::rewind(in);
  Dialogue d;
  d.result = select_com_port(ports, in, out);
  int c;
  while ((c = std::fgetc(in)) != EOF) d.left.push_back(static_cast<char>(c));
  d.printed = read_all(out);
  std::fclose(in);
  std::fclose(out);
  return d;
}

struct Case {
  std::string input;
  std::string result;
  bool invalid;
};

TEST(SelectComPort, ByNumber) {
  const Case cases[] = {
      {"2\n", "COM4", false},
      {"1\r\n", "COM1", false},
      {"3\n", "COM3", true},
      {"0\n", "COM3", true},
      {"-1\n", "COM3", true},
      {"abc\n", "COM3", true},
      {" 2\n", "COM4", false},
      {"\t+2\n", "COM4", false},
      {"2x\n", "COM4", false},
      {" \n", "COM3", true},
      {"\n", "COM3", false},
      {"\r\n", "COM3", false},
      {"", "COM3", false},  // end of input
      {"99999999999999999999\n", "COM3", true},
      {"4294967298\n", "COM3", true},  // would wrap to 2 in 32 bits
      {"-4294967295\n", "COM3", true},
      {"2", "COM4", false},  // no line end before end of input
  };
  for (const Case& c : cases) {
    const Dialogue d = run({"COM1", "COM4"}, c.input);
    EXPECT_EQ(d.result, c.result) << '"' << c.input << '"';
    EXPECT_EQ(d.printed, port_list_prompt({"COM1", "COM4"}) +
                             (c.invalid ? kInvalidSelection : ""))
        << '"' << c.input << '"';
  }
}

TEST(SelectComPort, TypedByHand) {
  const std::string hundred(100, 'A');
  const Case cases[] = {
      {hundred + "\n", hundred.substr(0, 63), false},
      {"COM12\r\n", "COM12", false},
      {"COM5 \n", "COM5 ", false},
      {" com7\n", " com7", false},
      {"/dev/ttyUSB0\n", "/dev/ttyUSB0", false},
      {"\n", "COM3", false},
      {"\r\n", "COM3", false},
      {"", "COM3", false},
      {"COM9", "COM9", false},
  };
  for (const Case& c : cases) {
    const Dialogue d = run({}, c.input);
    EXPECT_EQ(d.result, c.result) << '"' << c.input << '"';
    EXPECT_EQ(d.printed, kTypePortPrompt) << '"' << c.input << '"';
  }
}

TEST(SelectComPort, LongAnswerLeavesNothingForTheKeyPress) {
  // Everything of an over-long answer line is consumed; the next line is
  // still there for whatever reads next.
  const std::string line(100, '7');
  const Dialogue by_number = run({"COM1", "COM4"}, line + "\nK");
  EXPECT_EQ(by_number.result, "COM3");
  EXPECT_EQ(by_number.left, "K");
  const Dialogue typed = run({}, line + "\nK");
  EXPECT_EQ(typed.result, line.substr(0, 63));
  EXPECT_EQ(typed.left, "K");
  const Dialogue short_answer = run({"COM1", "COM4"}, "2\nK");
  EXPECT_EQ(short_answer.left, "K");
}

TEST(SelectComPort, NulByteEndsTheTypedName) {
  const Dialogue d = run({}, std::string("COM8\0junk\n", 10));
  EXPECT_EQ(d.result, "COM8");
}

}  // namespace
}  // namespace vr815::test
