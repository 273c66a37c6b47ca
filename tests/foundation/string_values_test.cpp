#include "foundation/string_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace foundation {
namespace {

TEST(StringValues, IntegerValueReadsTheLeadingNumber) {
  const struct {
    const char* text;
    std::int64_t expected;
  } cases[] = {
      {"12", 12},     {"  -7", -7},  {"+3abc", 3}, {"3.9", 3},  {"abc", 0},     {"", 0},       {"- 4", 0},
      {"0x1F", 0},    {"\t42\n", 42}, {"99999999999999999999", std::numeric_limits<std::int64_t>::max()},
      {"-99999999999999999999", std::numeric_limits<std::int64_t>::min()},
      {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
      {"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
  };
  for (const auto& c : cases) EXPECT_EQ(integerValue(c.text), c.expected) << c.text;
}

TEST(StringValues, DoubleValueReadsTheLeadingDecimalNumber) {
  EXPECT_DOUBLE_EQ(doubleValue("2.5e3 m"), 2500.0);
  EXPECT_DOUBLE_EQ(doubleValue(" -.5"), -0.5);
  EXPECT_DOUBLE_EQ(doubleValue("7e"), 7.0);
  EXPECT_EQ(doubleValue("inf"), 0.0);
  EXPECT_EQ(doubleValue("nan"), 0.0);
  EXPECT_EQ(doubleValue("0x10"), 0.0);
  EXPECT_EQ(doubleValue("."), 0.0);
  EXPECT_TRUE(std::isinf(doubleValue("1e999")));
}

TEST(StringValues, BoolValue) {
  for (const char* yes : {"YES", "yes", "true", "T", "1", "007", " +2", "y"}) EXPECT_TRUE(boolValue(yes)) << yes;
  for (const char* no : {"NO", "false", "0", "", "  ", "-0", "0.5", "x"}) EXPECT_FALSE(boolValue(no)) << no;
}

TEST(StringValues, ScanIntegerNeedsTheWholeText) {
  EXPECT_EQ(scanInteger(" 42 "), 42);
  EXPECT_EQ(scanInteger("-3"), -3);
  EXPECT_EQ(scanInteger("+3"), 3);
  for (const char* bad : {"", " ", "4x", "+-3", "3.0", "99999999999999999999", "--1"}) {
    EXPECT_FALSE(scanInteger(bad)) << bad;
  }
}

}  // namespace
}  // namespace foundation
