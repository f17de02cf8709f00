#include "design/paths.h"

#include <gtest/gtest.h>

#include <string>

namespace duv {
namespace {

#ifdef _WIN32
constexpr bool kBackslashSeparates = true;
#else
constexpr bool kBackslashSeparates = false;
#endif

// A host path is cut at either separator everywhere; a native path at a backslash only where
// the system takes it as a separator.
TEST(PathsTest, SeparatorsPerStyleAndPlatform) {
  struct Case {
    std::string path;
    std::string hostName;
    std::string nativeName;  // on Windows; elsewhere as marked below
    std::string nativeNameElsewhere;
    std::string folderElsewhere;
  };
  const Case cases[] = {
      {"C:\\data/run1.sdm", "run1.sdm", "run1.sdm", "run1.sdm", "C:\\data/"},
      {"C:/data\\run1.sdm", "run1.sdm", "run1.sdm", "data\\run1.sdm", "C:/"},
      {"a\\b", "b", "b", "a\\b", ""},
      {"sub-{s}\\x.sdm", "x.sdm", "x.sdm", "sub-{s}\\x.sdm", ""},
      {"run1.sdm", "run1.sdm", "run1.sdm", "run1.sdm", ""},
      {"dir/", "", "", "", "dir/"},
      {"/", "", "", "", "/"},
      {"", "", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(fileNameOf(c.path), c.hostName);
    EXPECT_EQ(fileNameOf(c.path, PathStyle::host), c.hostName);
    EXPECT_EQ(fileNameOf(c.path, PathStyle::native),
              kBackslashSeparates ? c.nativeName : c.nativeNameElsewhere);
    if (!kBackslashSeparates) {
      EXPECT_EQ(folderPart(c.path), c.folderElsewhere);
    }
    EXPECT_EQ(folderPart(c.path) + fileNameOf(c.path, PathStyle::native), c.path);
  }
  EXPECT_TRUE(isPathSeparator('\\', PathStyle::host));
  EXPECT_EQ(isPathSeparator('\\', PathStyle::native), kBackslashSeparates);
  EXPECT_TRUE(isPathSeparator('/', PathStyle::native));
  EXPECT_FALSE(isPathSeparator(':', PathStyle::host));
}

TEST(PathsTest, JoinPutsOneSeparatorBetweenAndKeepsRootedPaths) {
  struct Case {
    std::string folder;
    std::string path;
    std::string joined;
  };
  const Case cases[] = {
      {"out", "x.sdm", "out/x.sdm"},
      {"out/", "x.sdm", "out/x.sdm"},
      {"out//", "x.sdm", "out//x.sdm"},
      {".", "x.sdm", "./x.sdm"},
      {"", "x.sdm", "x.sdm"},
      {"out", "", "out"},
      {"", "", ""},
      {"out", "sub-01/func", "out/sub-01/func"},
      {"../out", "a/../b", "../out/a/../b"},
      {"out", "/data/x.sdm", "/data/x.sdm"},
      {"/", "x", "/x"},
#ifdef _WIN32
      {"C:\\out\\", "x.sdm", "C:\\out\\x.sdm"},
      {"C:\\out", "x.sdm", "C:\\out/x.sdm"},
      {"out", "C:\\data\\x.sdm", "C:\\data\\x.sdm"},
      {"out", "\\data", "\\data"},
#else
      {"out\\", "x.sdm", "out\\/x.sdm"},
      {"out", "C:\\data", "out/C:\\data"},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder + " + " + c.path);
    EXPECT_EQ(joinPath(c.folder, c.path), c.joined);
  }
}

TEST(PathsTest, NormalAndRelativePathsAreLexical) {
  struct Case {
    std::string path;
    std::string base;
    std::string normal;
    std::string relative;
  };
  const Case cases[] = {
      {"a/./b/../c", "a", "a/c", "c"},
      {"a//b/", "a", "a/b/", "b/"},
      {"./x", ".", "x", "x"},
      {"/data/s1/run1.sdm", "/data", "/data/s1/run1.sdm", "s1/run1.sdm"},
      {"/data/x", "/other", "/data/x", "../data/x"},
      {"/data/x", "rel", "/data/x", ""},
      {"..", ".", "..", ".."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + " from " + c.base);
    EXPECT_EQ(normalPath(c.path), c.normal);
    EXPECT_EQ(relativePath(c.path, c.base), c.relative);
  }
}

TEST(PathsTest, RootedPathsStartFromARootOrADrive) {
  EXPECT_TRUE(isRootedPath("/data"));
  EXPECT_FALSE(isRootedPath("data/x"));
  EXPECT_FALSE(isRootedPath(""));
  EXPECT_FALSE(isRootedPath("./x"));
  EXPECT_EQ(isRootedPath("C:\\data"), kBackslashSeparates);
  EXPECT_EQ(isRootedPath("\\data"), kBackslashSeparates);
}

}  // namespace
}  // namespace duv
