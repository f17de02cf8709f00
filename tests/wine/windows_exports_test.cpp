// The Windows programs as the system's loader sees them: what they export and which libraries
// they need.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "plugin/host_functions.h"
#include "tests/plugin/exported_symbols.h"
#include "tests/support/process.h"
#include "tests/wine/windows_programs.h"

namespace duv::testing {
namespace {

std::string privateHeaders(const std::string& file) {
  const ProcessResult result = runProcess({DUVENDAL_WINDOWS_OBJDUMP, "-p", file});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  return result.out;
}

// The names of the export table, sorted: the lines "\t[   0] name" after the table's heading,
// up to the next empty line.
std::vector<std::string> exportedNames(const std::string& file) {
  std::istringstream headers(privateHeaders(file));
  std::vector<std::string> names;
  std::string line;
  while (std::getline(headers, line) && line.rfind("[Ordinal/Name Pointer] Table", 0) != 0) {
  }
  while (std::getline(headers, line) && !line.empty()) {
    names.push_back(line.substr(line.find("] ") + 2));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> importedLibraries(const std::string& file) {
  std::istringstream headers(privateHeaders(file));
  std::vector<std::string> libraries;
  const std::string key = "DLL Name: ";
  for (std::string line; std::getline(headers, line);) {
    const auto at = line.find(key);
    if (at != std::string::npos) libraries.push_back(line.substr(at + key.size()));
  }
  return libraries;
}

TEST(WindowsExports, PluginExportsExactlyTheHostInterface) {
  EXPECT_EQ(exportedNames(WindowsFiles::plugin), hostInterfaceSymbols());
}

TEST(WindowsExports, EmulatedHostExportsEveryHostFunctionAndNothingElse) {
  std::vector<std::string> expected;
#define DUV_NAME(name) expected.emplace_back(#name);
  DUV_HOST_FUNCTIONS(DUV_NAME, DUV_NAME)
#undef DUV_NAME
  std::sort(expected.begin(), expected.end());
  ASSERT_EQ(expected.size(), 190U);
  EXPECT_EQ(exportedNames(WindowsFiles::halvernZnHost), expected);
}

TEST(WindowsExports, ProgramsNeedOnlyLibrariesOfTheSystem) {
  const std::set<std::string> system = {"KERNEL32.dll", "msvcrt.dll", "ucrtbase.dll", "USER32.dll",
                                        "ADVAPI32.dll"};
  for (const std::string& file :
       {WindowsFiles::plugin, WindowsFiles::halvernZnHost, WindowsFiles::tool}) {
    const auto libraries = importedLibraries(file);
    EXPECT_FALSE(libraries.empty()) << file;
    for (const std::string& library : libraries) {
      EXPECT_TRUE(system.count(library) == 1 || library.rfind("api-ms-win-", 0) == 0)
          << file << " needs " << library;
    }
  }
}

}  // namespace
}  // namespace duv::testing
