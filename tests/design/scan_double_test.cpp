// Reading one number as the SDM reader reads its values: scanDouble, then the double narrowed
// to float. The edges that decide a value's bits or the reader's error, each with the end of
// the text taken.

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <string_view>

#include "design/number_text.h"

namespace duv {
namespace {

ScannedNumber scan(std::string_view text) {
  return scanDouble(text.data(), text.data() + text.size());
}

// The number's float value; fails the test when the text holds no number in range.
float floatOf(std::string_view text) {
  const auto number = scan(text);
  EXPECT_EQ(number.status, NumberScan::ok) << text;
  return static_cast<float>(number.value);
}

TEST(ScanDoubleTest, ReadsTheLeadingNumberAndIgnoresTheRest) {
  struct Case {
    const char* text;
    float expected;
    std::ptrdiff_t length;  // of the number's text
  };
  const Case cases[] = {
      {"0.25 xyz", 0.25F, 4}, {"-0.5", -0.5F, 4},   {"+1.5", 1.5F, 4},   {"1e-05", 1e-05F, 5},
      {"12", 12.0F, 2},       {".5", 0.5F, 2},      {"5.", 5.0F, 2},     {"1.5e", 1.5F, 3},
      {"0x10", 0.0F, 1},      {"3\t\r\n", 3.0F, 1}, {"1e-310", 0.0F, 6}, {"-0", -0.0F, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string_view text(c.text);
    const auto number = scan(text);
    ASSERT_EQ(number.status, NumberScan::ok);
    EXPECT_EQ(number.end - text.data(), c.length);
    const auto value = static_cast<float>(number.value);
    EXPECT_EQ(value, c.expected);
    EXPECT_EQ(std::signbit(value), std::signbit(c.expected));
  }
}

TEST(ScanDoubleTest, WhiteSpaceIsNotSkipped) {
  // The readers skip their separators themselves; a number must start exactly at `first`.
  for (const char* text : {"  0.25 xyz", " -0.5", "\t\r\n3"}) {
    SCOPED_TRACE(text);
    const auto number = scan(text);
    EXPECT_EQ(number.status, NumberScan::noNumber);
    EXPECT_EQ(number.end, text);
  }
}

TEST(ScanDoubleTest, NarrowsThroughDoubleSoBeyondFloatIsInfinity) {
  EXPECT_EQ(floatOf("1e60"), std::numeric_limits<float>::infinity());
  EXPECT_EQ(floatOf("-1e60"), -std::numeric_limits<float>::infinity());
  // Two roundings: the double nearest to this text lies exactly halfway between two floats,
  // and the second rounding goes to the even one, unlike a direct conversion.
  EXPECT_EQ(floatOf("1.00000005960464477539062500000001"), 1.0F);
}

TEST(ScanDoubleTest, ReadsInfinityAndNotANumberAsStringToDoubleDoes) {
  EXPECT_EQ(floatOf("inf"), std::numeric_limits<float>::infinity());
  EXPECT_EQ(floatOf("-Infinity"), -std::numeric_limits<float>::infinity());
  EXPECT_TRUE(std::isnan(floatOf("nan")));
  EXPECT_TRUE(std::signbit(floatOf("-nan")));
  EXPECT_TRUE(std::isnan(floatOf("NaN(123)")));
  const std::string_view payload = "NaN(123)";
  EXPECT_EQ(scan(payload).end, payload.data() + payload.size());
}

TEST(ScanDoubleTest, NoNumberEndsAtTheStart) {
  for (const char* text : {"abc", "", "  ", "-", "+-1", ".", "e5", "--1"}) {
    SCOPED_TRACE(text);
    const auto number = scan(text);
    EXPECT_EQ(number.status, NumberScan::noNumber);
    EXPECT_EQ(number.end, text);
  }
}

TEST(ScanDoubleTest, BeyondDoubleOrUnderflowToZeroIsOutOfRange) {
  for (const std::string_view text : {"1e400", "-1e400", "1e-400", "-1e-400"}) {
    SCOPED_TRACE(text);
    const auto number = scan(text);
    EXPECT_EQ(number.status, NumberScan::outOfRange);
    // The end still covers the number, for the message that quotes it.
    EXPECT_EQ(number.end, text.data() + text.size());
  }
  EXPECT_EQ(floatOf("0e-400"), 0.0F);
}

}  // namespace
}  // namespace duv
