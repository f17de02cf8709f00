#include "design/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace duv {
namespace {

TEST(PathTest, FileNameIsAfterTheLastSlashOrBackslash) {
  EXPECT_EQ(fileNameOf("C:\\data/run1.sdm"), "run1.sdm");
  EXPECT_EQ(fileNameOf("C:/data\\run1.sdm"), "run1.sdm");
  EXPECT_EQ(fileNameOf("run1.sdm"), "run1.sdm");
  EXPECT_EQ(fileNameOf("dir/"), "");
}

TEST(PathTest, ExtensionTestIsExactAndCaseSensitive) {
  EXPECT_TRUE(hasExtension("run.sdm", "sdm"));
  EXPECT_FALSE(hasExtension("run.SDM", "sdm"));
  EXPECT_FALSE(hasExtension("runsdm", "sdm"));
  EXPECT_FALSE(hasExtension("sdm", "sdm"));
  EXPECT_TRUE(hasExtension(".sdm", "sdm"));
  EXPECT_FALSE(hasExtension("run.sdm\r", "sdm"));
}

TEST(PathTest, ExtensionIsFromTheLastDotOfTheWholePath) {
  EXPECT_EQ(pathWithoutExtension("a.b.sdm"), "a.b");
  EXPECT_EQ(pathWithoutExtension("data.old/run"), "data");
  EXPECT_EQ(pathWithoutExtension("run"), "run");
  EXPECT_EQ(replaceExtension("x/run.rtc", ".sdm"), "x/run.sdm");
  EXPECT_EQ(replaceExtension("run", ".sdm"), "run.sdm");
  EXPECT_EQ(insertBeforeExtension("run.sdm", "_z"), "run_z.sdm");
  EXPECT_EQ(insertBeforeExtension("run", "_z"), "run_z");
  EXPECT_EQ(insertBeforeExtension("d.x/run", "_z"), "d_z.x/run");
}

TEST(SplitLinesTest, PiecesBetweenDelimiters) {
  using Pieces = std::vector<std::string>;
  EXPECT_EQ(splitLines("a\n\nb\n", '\n'), (Pieces{"a", "", "b"}));
  EXPECT_EQ(splitLines("a\n", '\n'), (Pieces{"a"}));
  EXPECT_EQ(splitLines("", '\n'), (Pieces{}));
  EXPECT_EQ(splitLines("\n", '\n'), (Pieces{""}));
  EXPECT_EQ(splitLines("a\r\nb", '\n'), (Pieces{"a\r", "b"}));
  EXPECT_EQ(splitLines("\n\n", '\n'), (Pieces{"", ""}));
}

TEST(JoinedTest, SeparatorOnlyBetweenPieces) {
  EXPECT_EQ(joined({}, ", "), "");
  EXPECT_EQ(joined({""}, ", "), "");
  EXPECT_EQ(joined({"csf"}, ", "), "csf");
  EXPECT_EQ(joined({"a", "", "c"}, ", "), "a, , c");
  EXPECT_EQ(joined({"a", "b"}, ""), "ab");
}

TEST(ParseFloatTest, ReadsTheLeadingNumberAndIgnoresTheRest) {
  struct Case {
    const char* text;
    float expected;
  };
  const Case cases[] = {
      {"  0.25 xyz", 0.25F}, {" -0.5", -0.5F},  {"+1.5", 1.5F},   {"1e-05", 1e-05F},
      {"12", 12.0F},         {".5", 0.5F},      {"5.", 5.0F},     {"1.5e", 1.5F},
      {"0x10", 0.0F},        {"\t\r\n3", 3.0F}, {"1e-310", 0.0F}, {"-0", -0.0F},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const float value = parseFloat(c.text);
    EXPECT_EQ(value, c.expected);
    EXPECT_EQ(std::signbit(value), std::signbit(c.expected));
  }
}

TEST(ParseFloatTest, NarrowsThroughDoubleSoBeyondFloatIsInfinity) {
  EXPECT_EQ(parseFloat("1e60"), std::numeric_limits<float>::infinity());
  EXPECT_EQ(parseFloat("-1e60"), -std::numeric_limits<float>::infinity());
  // Two roundings: the double nearest to this text lies exactly halfway between two floats,
  // and the second rounding goes to the even one, unlike a direct conversion.
  EXPECT_EQ(parseFloat("1.00000005960464477539062500000001"), 1.0F);
}

TEST(ParseFloatTest, ReadsInfinityAndNotANumberAsStringToDoubleDoes) {
  EXPECT_EQ(parseFloat("inf"), std::numeric_limits<float>::infinity());
  EXPECT_EQ(parseFloat("-Infinity"), -std::numeric_limits<float>::infinity());
  EXPECT_TRUE(std::isnan(parseFloat("nan")));
  EXPECT_TRUE(std::signbit(parseFloat("-nan")));
  EXPECT_TRUE(std::isnan(parseFloat("NaN(123)")));
}

TEST(ParseFloatTest, NoNumberIsInvalidArgument) {
  for (const char* text : {"abc", "", "  ", "-", "+-1", ".", "e5", "--1"}) {
    SCOPED_TRACE(text);
    try {
      parseFloat(text);
      ADD_FAILURE() << "no error";
    } catch (const std::invalid_argument& error) {
      EXPECT_STREQ(error.what(), "invalid stof argument");
    }
  }
}

TEST(ParseFloatTest, BeyondDoubleOrUnderflowToZeroIsOutOfRange) {
  for (const char* text : {"1e400", "-1e400", "1e-400", "-1e-400"}) {
    SCOPED_TRACE(text);
    try {
      parseFloat(text);
      ADD_FAILURE() << "no error";
    } catch (const std::out_of_range& error) {
      EXPECT_STREQ(error.what(), "stof argument out of range");
    }
  }
  EXPECT_EQ(parseFloat("0e-400"), 0.0F);
}

}  // namespace
}  // namespace duv
