#include "design/text.h"
#include "design/paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(ByteOrderMarkTest, OnlyALeadingMarkIsTakenOff) {
  EXPECT_EQ(withoutByteOrderMark("\xEF\xBB\xBFname\tx"), "name\tx");
  EXPECT_EQ(withoutByteOrderMark("\xEF\xBB\xBF"), "");
  EXPECT_EQ(withoutByteOrderMark(""), "");
  EXPECT_EQ(withoutByteOrderMark("\xEF\xBBname"), "\xEF\xBBname");
  EXPECT_EQ(withoutByteOrderMark("a\xEF\xBB\xBF"), "a\xEF\xBB\xBF");
}

TEST(JoinedTest, SeparatorOnlyBetweenPieces) {
  EXPECT_EQ(joined({}, ", "), "");
  EXPECT_EQ(joined({""}, ", "), "");
  EXPECT_EQ(joined({"csf"}, ", "), "csf");
  EXPECT_EQ(joined({"a", "", "c"}, ", "), "a, , c");
  EXPECT_EQ(joined({"a", "b"}, ""), "ab");
}

}  // namespace
}  // namespace duv
