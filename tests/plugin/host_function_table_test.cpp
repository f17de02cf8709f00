#include "plugin/host_function_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace duv::testing {
namespace {

TEST(HostFunctionTable, ListsEveryHostFunctionOnceWithTheVersionQueryFirst) {
  std::vector<std::string> names;
#define DUV_NAME(name) names.emplace_back(#name);
  DUV_HOST_FUNCTIONS(DUV_NAME, DUV_NAME)
#undef DUV_NAME
  EXPECT_EQ(names.size(), 190U);
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
  EXPECT_EQ(names.front(), "znGetVersionOfHalvernZN");
  EXPECT_EQ(names.back(), "znLaunchICADialog");
}

TEST(HostFunctionTable, StartsEmpty) {
  // No host is loaded in the test process, so binding fails and leaves the table as it was.
  EXPECT_FALSE(bindHostFunctions());
  EXPECT_EQ(hostFunctionTable.znGetVersionOfHalvernZN, nullptr);
  EXPECT_EQ(hostFunctionTable.znLogText, nullptr);
  EXPECT_EQ(hostFunctionTable.znLaunchICADialog, nullptr);
}

TEST(IsVersionAtLeast, ComparesMajorThenMinorThenSubVersionAsNumbers) {
  struct Case {
    int major, minor, subVersion;
    bool passes;
  };
  const Case cases[] = {
      {2, 8, 0, true},    {2, 8, 5, true},   {2, 9, 0, true},   {3, 0, 0, true},
      {10, 0, 0, true},   {2, 10, 0, true},  {2, 7, 9, false},  {1, 9, 9, false},
      {2, 7, 100, false}, {2, 7, 99, false}, {-3, 8, 0, false}, {2, -8, 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isVersionAtLeast(c.major, c.minor, c.subVersion, 2, 8, 0), c.passes)
        << c.major << "." << c.minor << "." << c.subVersion;
  }
  EXPECT_FALSE(isVersionAtLeast(2, 8, 0, 2, 8, 1));
  EXPECT_TRUE(isVersionAtLeast(2, 8, 1, 2, 8, 1));
}

}  // namespace
}  // namespace duv::testing
