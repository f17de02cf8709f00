// The plug-in library as the host's loader sees it: what it exports and what it needs.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/plugin/exported_symbols.h"
#include "tests/plugin/host_session.h"

namespace duv::testing {
namespace {

// The output of a command; the test fails when it cannot run.
std::string outputOf(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return {};
  std::string output;
  std::array<char, 4096> chunk{};
  for (std::size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), pipe.get())) > 0;) {
    output.append(chunk.data(), n);
  }
  return output;
}

TEST(Exports, LibraryExportsExactlyTheHostInterface) {
  std::istringstream listing(
      outputOf(std::string(DUVENDAL_NM) + " -D --defined-only " + BuiltFiles::plugin));
  std::vector<std::string> exported;
  for (std::string line; std::getline(listing, line);) {
    exported.push_back(line.substr(line.rfind(' ') + 1));
  }
  std::sort(exported.begin(), exported.end());

  EXPECT_EQ(exported, hostInterfaceSymbols());
}

TEST(Exports, LibraryNeedsNoCppRuntimeOfTheSystem) {
  const std::string dependencies =
      outputOf(std::string(DUVENDAL_OBJDUMP) + " -p " + BuiltFiles::plugin + " | grep NEEDED");
  ASSERT_NE(dependencies.find("libc.so"), std::string::npos) << dependencies;
  EXPECT_EQ(dependencies.find("libstdc++"), std::string::npos) << dependencies;
  EXPECT_EQ(dependencies.find("libgcc_s"), std::string::npos) << dependencies;
}

}  // namespace
}  // namespace duv::testing
