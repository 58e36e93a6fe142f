#include <gtest/gtest.h>

#include <cstdint>

#include "number_text.h"

namespace {

TEST(ReadInt32Saturating, ReadsLikeAtoiWithinRangeAndSaturatesBeyond) {
  const struct {
    const char* text;
    int32_t value;
  } cases[] = {
      {"115200", 115200},
      {"9600", 9600},
      {"fast", 0},
      {"", 0},
      {nullptr, 0},
      {"  \t\n42", 42},
      {"+7", 7},
      {"-7", -7},
      {"12ab", 12},
      {"- 5", 0},
      {"2147483647", INT32_MAX},
      {"2147483648", INT32_MAX},
      {"99999999999999999999999999", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"-2147483649", INT32_MIN},
      {"-99999999999999999999999999", INT32_MIN},
      {"4294967297", INT32_MAX},  // never wraps to 1
      {"000000000000000000000123", 123},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(read_int32_saturating(c.text), c.value)
        << (c.text ? c.text : "(null)");
  }
}

}  // namespace
