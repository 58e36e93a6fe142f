// The hosted program's command line: the line's name in place of {}.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.h"

namespace {

namespace sim = vr815::sim;

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

}  // namespace
