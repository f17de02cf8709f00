// The number conversions of the text formats against the C library's: scanDouble (then
// narrowed to float) against strtod, and appendFixed against printf's "%.*f" of the value
// widened to double, on the edges and on a million random texts and values.

#include "design/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/reference/reference_number_text.h"

namespace duv {
namespace {

constexpr int kRandomCases = 1000000;

std::string describe(NumberScan status) {
  switch (status) {
    case NumberScan::ok:
      return "ok";
    case NumberScan::noNumber:
      return "no number";
    case NumberScan::outOfRange:
      return "out of range";
  }
  return "";
}

// Two results alike: the same bits, or NaNs of the same sign. strtod keeps the digits of
// "nan(123)" in the NaN's payload, std::from_chars does not; nothing writes a payload.
template <typename Bits, typename Value>
bool alike(Value a, Value b) {
  if (std::isnan(a) && std::isnan(b)) return std::signbit(a) == std::signbit(b);
  return std::bit_cast<Bits>(a) == std::bit_cast<Bits>(b);
}

// The same status and end, and for a number the same double and float bits.
::testing::AssertionResult scansAlike(const std::string& text) {
  const auto expected = reference::scanDouble(text);
  const auto actual = scanDouble(text.data(), text.data() + text.size());
  const auto expectedEnd = expected.end - text.data();
  const auto actualEnd = actual.end - text.data();
  if (actual.status != expected.status || actualEnd != expectedEnd) {
    return ::testing::AssertionFailure()
           << '"' << text << "\": " << describe(actual.status) << " ending at " << actualEnd
           << " instead of " << describe(expected.status) << " ending at " << expectedEnd;
  }
  if (expected.status != NumberScan::ok) return ::testing::AssertionSuccess();
  const auto expectedFloat = static_cast<float>(expected.value);
  const auto actualFloat = static_cast<float>(actual.value);
  if (!alike<std::uint64_t>(actual.value, expected.value) ||
      !alike<std::uint32_t>(actualFloat, expectedFloat)) {
    return ::testing::AssertionFailure()
           << '"' << text << "\": " << actual.value << " instead of " << expected.value;
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult formatsAlike(float value, int decimals) {
  std::string actual;
  appendFixed(actual, value, decimals);
  const auto expected = reference::fixed(value, decimals);
  if (actual == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << std::hexfloat << value << " with " << decimals << " decimals: \"" << actual
         << "\" instead of \"" << expected << '"';
}

TEST(NumberTextTest, EdgeTextsScanAsStringToDoubleReadsThem) {
  const char* const texts[] = {
      // plain numbers, signs and points
      "0", "-0", "+0", "1", "-1", "+1.5", "-0.250000", "0.5", ".5", "-.5", "5.", "-5.",
      "0000000000000000000001.5", "1.000000", "123456.789012", "  1", "\t-1", "", ".", "-", "+",
      "+-1", "--1", "-.", "-.e1", "+.5",
      // exponents, whole and broken
      "1e5", "1E5", "1e+5", "1e-5", "1.5e3x", "1e", "1e+", "1e-", "1ex", ".5e1", "5.e-1",
      // range: float overflow is a number, double overflow and underflow to zero are errors,
      // subnormal doubles are numbers
      "1e38", "3.4028235e38", "3.4028236e38", "1e39", "1e60", "-1e60", "1e308",
      "1.7976931348623157e308", "1.7976931348623159e308", "1e309", "1e400", "-1e400", "1e-38",
      "1e-45", "1e-46", "1e-310", "4.9e-324", "2.5e-324", "2.4e-324", "1e-400", "-1e-400", "0e400",
      "0.0e-999",
      // float midpoints, where the double's rounding and then the float's decide
      "1.000000059604644775390625", "1.0000000596046447753906250001",
      "1.0000000596046447753906249999", "1.00000005960464477539062500000001", "16777217",
      "16777219", "0.100000001490116119384765625", "3.4028235677973366e38",
      // mantissas and decimals beyond the plain form
      "12345678901234567890", "1234567890123456789", "9007199254740993", "9007199254740992",
      "9007199254740992.5", "0.00000000000000000000001", "0.0000000000000000000001",
      "1.00000000000000000000000000001", "123456789012345678901234567890.5",
      // words and other forms
      "inf", "-inf", "+inf", "INF", "Infinity", "-infinity", "infinit", "in", "nan", "-nan", "+nan",
      "NaN", "nan(123)", "nan(abc_1)", "nan(", "nan()", "0x1p3", "-0x10", "0X1", "0x", "abc", "x1",
      "1,5", "1 5", "1.5.5", "-1.5-2.5"};
  for (const char* text : texts) EXPECT_TRUE(scansAlike(text));
}

// Random texts of the shapes numbers take, and of some they nearly take.
std::string randomNumberText(std::mt19937& random) {
  const auto pick = [&random](int count) {
    return std::uniform_int_distribution<int>(0, count - 1)(random);
  };
  const auto digits = [&](int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += static_cast<char>('0' + pick(10));
    return text;
  };
  std::string text;
  const char* const signs[] = {"", "", "-", "+"};
  text += signs[pick(4)];
  const int integerDigits = pick(4) == 0 ? pick(25) : pick(4);
  text += digits(integerDigits);
  if (pick(4) != 0) {
    text += '.';
    text += digits(pick(3) == 0 ? pick(30) : 6);
  }
  if (pick(6) == 0) {
    text += pick(2) == 0 ? 'e' : 'E';
    text += signs[pick(4)];
    text += digits(pick(4));
  }
  const char* const endings[] = {"", "", "", " ", "x", ".", "-1.5", "e", "0"};
  text += endings[pick(9)];
  return text;
}

TEST(NumberTextTest, RandomTextsScanAsStringToDoubleReadsThem) {
  std::mt19937 random(2026);
  int failures = 0;
  for (int i = 0; i < kRandomCases && failures < 10; ++i) {
    const auto text = randomNumberText(random);
    const auto result = scansAlike(text);
    EXPECT_TRUE(result);
    if (!result) ++failures;
  }
}

TEST(NumberTextTest, RandomFloatsWrittenAndReadBackScanAsStringToDoubleReadsThem) {
  std::mt19937 random(7);
  std::uniform_int_distribution<std::uint32_t> bits;
  int failures = 0;
  for (int i = 0; i < kRandomCases / 4 && failures < 10; ++i) {
    const auto value = std::bit_cast<float>(bits(random));
    if (!std::isfinite(value)) continue;
    for (const char* format : {"%.6f", "%.9g", "%.17g"}) {
      char text[512];
      std::snprintf(text, sizeof text, format, static_cast<double>(value));
      const auto result = scansAlike(text);
      EXPECT_TRUE(result);
      if (!result) ++failures;
    }
  }
}

TEST(NumberTextTest, EdgeValuesAreWrittenAsPrintfWritesThem) {
  const float max = std::numeric_limits<float>::max();
  const float values[] = {0.0F,
                          -0.0F,
                          1.0F,
                          -1.0F,
                          0.5F,
                          -0.5F,
                          0.25F,
                          0.125F,
                          0.375F,
                          -0.125F,
                          0.005F,
                          0.015F,
                          0.0078125F,  // 7812.5 millionths: a tie, to the even 7812
                          0.0000005F,
                          0.0000015F,
                          -0.0000005F,
                          1e-7F,
                          -1e-9F,
                          0.9999995F,
                          0.99999994F,
                          9.999999F,
                          0.995F,
                          0.994999945F,
                          1.005F,
                          2.675F,
                          123456.789F,
                          999999.9F,
                          8388607.5F,
                          8388608.0F,
                          16777215.0F,
                          16777216.0F,
                          4294967040.0F,  // the largest float below 2^32
                          4294967296.0F,
                          1e10F,
                          -1e10F,
                          1e20F,
                          max,
                          -max,
                          FLT_MIN,
                          -FLT_MIN,
                          std::numeric_limits<float>::denorm_min(),
                          -std::numeric_limits<float>::denorm_min(),
                          std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity(),
                          std::numeric_limits<float>::quiet_NaN(),
                          -std::numeric_limits<float>::quiet_NaN()};
  for (const float value : values) {
    for (const int decimals : {0, 1, 2, 6, 9}) EXPECT_TRUE(formatsAlike(value, decimals));
  }
}

TEST(NumberTextTest, RandomValuesAreWrittenAsPrintfWritesThem) {
  std::mt19937 random(11);
  std::uniform_int_distribution<std::uint32_t> bits;
  std::uniform_real_distribution<float> typical(-3.0F, 3.0F);
  int failures = 0;
  for (int i = 0; i < kRandomCases && failures < 10; ++i) {
    // Every float pattern, and the values of designs and correlations more often.
    const float value = i % 2 == 0 ? std::bit_cast<float>(bits(random)) : typical(random);
    for (const int decimals : {2, 6}) {
      const auto result = formatsAlike(value, decimals);
      EXPECT_TRUE(result);
      if (!result) ++failures;
    }
  }
}

// Ties at the last decimal: values that are exactly halfway, where the rounding to even
// decides.
TEST(NumberTextTest, ExactTiesAreWrittenAsPrintfWritesThem) {
  for (int k = 1; k < 200000; k += 2) {
    // k / 2^7 has exactly seven decimals ending in 5 when scaled by 10^6 ... and many ties.
    const float value = static_cast<float>(k) / 128.0F;
    ASSERT_TRUE(formatsAlike(value, 6));
    ASSERT_TRUE(formatsAlike(-value, 6));
    const float coarse = static_cast<float>(k) / 8.0F;
    ASSERT_TRUE(formatsAlike(coarse, 2));
    ASSERT_TRUE(formatsAlike(-coarse, 2));
  }
}

}  // namespace
}  // namespace duv
