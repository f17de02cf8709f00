// Memory follows what a file holds, within the count limits, whatever its header announces: the
// tool given a file of about 200 bytes that announces two billion predictors or data points, or
// the largest counts allowed, with or without data, fails with an error naming the file and
// stays near the peak memory of reading a small valid file. Peak memory is measured, never time
// (the test's timeout catches a hang).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "design/paths.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

// Far below what any of the announced sizes would take (100,000 predictors of 10,000,000 values
// are 4 TB; 2 x 10,000,000 values are 80 MB), far above what the largest allowed header may
// rightly take before its data turn out missing (a name, a colour and an empty column for each
// of 100,000 predictors).
constexpr long kMostExtraKiB = 32 * 1024;

// Without sanitizers, whose bookkeeping reserves terabytes, the tool also runs with a limit on
// the address space it may reserve (it needs less than 24 MiB for the largest header allowed),
// so that a reservation it never touches counts too.
#if defined(__SANITIZE_ADDRESS__)
constexpr const char* kAddressSpaceMiB = nullptr;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr const char* kAddressSpaceMiB = nullptr;
#else
constexpr const char* kAddressSpaceMiB = "64";
#endif
#else
constexpr const char* kAddressSpaceMiB = "64";
#endif

struct Measured {
  testing::ProcessResult result;
  long peakKiB = 0;
};

// The tool on a copy of a hostile input: `corr` for a design matrix, `merge-sec` of the file with
// itself for a time-course file; its peak memory from a small program that starts it, so that
// the test process's own memory does not count.
Measured runToolOn(const std::string& file) {
  testing::TempDir dir;
  fs::copy(std::string(HOSTILE_INPUTS) + "/" + file, dir.path() / file);
  std::vector<std::string> command = {PEAK_MEMORY};
  if (kAddressSpaceMiB != nullptr)
    command.insert(command.end(), {"--address-space-mib", kAddressSpaceMiB});
  command.insert(command.end(), {dir.file("peak"), DUVENDAL_TOOL});
  if (hasExtension(file, "rtc")) {
    command.insert(command.end(), {"merge-sec", "-q", "--out-dir", "out", file, file});
  } else {
    command.insert(command.end(), {"corr", "-q", file});
  }
  Measured measured;
  measured.result = testing::runProcess(command, dir.path().string());
  measured.peakKiB = std::stol(testing::readText(dir.file("peak")));
  return measured;
}

TEST(MemoryBoundTest, AnnouncedSizesAreNeverAllocated) {
  const auto sdmBaseline = runToolOn("colours_more.sdm");
  ASSERT_EQ(sdmBaseline.result.exitCode, 0) << sdmBaseline.result.err;
  const auto rtcBaseline = runToolOn("names_unusual_bytes.rtc");
  ASSERT_EQ(rtcBaseline.result.exitCode, 0) << rtcBaseline.result.err;

  for (const char* file : {"predictors_huge.sdm", "predictors_huge_no_data.sdm", "points_huge.sdm",
                           "points_huge_no_data.sdm", "predictors_at_limit.sdm",
                           "points_at_limit.sdm", "at_limits.sdm", "courses_huge.rtc",
                           "points_huge_no_data.rtc", "older_courses_huge.rtc", "at_limits.rtc"}) {
    SCOPED_TRACE(file);
    EXPECT_LT(fs::file_size(std::string(HOSTILE_INPUTS) + "/" + file), 300U);
    const auto measured = runToolOn(file);
    EXPECT_EQ(measured.result.exitCode, 1);
    EXPECT_EQ(measured.result.err.rfind(std::string("Error: ") + file, 0), 0U)
        << measured.result.err;
    const auto& baseline = hasExtension(file, "rtc") ? rtcBaseline : sdmBaseline;
    EXPECT_LT(measured.peakKiB, baseline.peakKiB + kMostExtraKiB)
        << "baseline " << baseline.peakKiB << " KiB";
    std::printf("%s: peak %ld KiB (baseline %ld KiB)\n", file, measured.peakKiB, baseline.peakKiB);
  }
}

}  // namespace
}  // namespace duv
