// The hostile-input folder (scripts/make_hostile_inputs): every file through the readers and
// through the tool as a process. Each gives an error naming the file, or, where the file is
// valid, the matrix it holds; the tool exits 1 with "Error: " and the message, and leaves every
// existing output as it was.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "design/design_matrix.h"
#include "design/file_system.h"
#include "design/paths.h"
#include "design/rtc_file.h"
#include "design/sdm_reader.h"
#include "merge/predictors.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

namespace fs = std::filesystem;
using Values = std::vector<std::vector<float>>;

const Values kGoodValues = {{1.0F, 0.0F, 0.5F}, {-0.25F, 0.5F, 0.125F}};
const Values kGoodRtcValues = {{1.5F, 0.75F, -1.0F}, {-0.25F, 2.0F, 0.5F}};
const std::vector<std::string> kGoodNames = {"Task", "Motion"};
const std::vector<std::string> kGoodRtcNames = {"Cardiac", "Respiration"};

struct HostileCase {
  std::string file;
  // The error, "%" standing for the path as given; empty when the file is valid.
  std::string error;
  // What a valid file holds.
  std::vector<std::string> names = {};
  Values values = {};
  // A valid file's error in the tool, from a step after reading.
  std::string toolError = {};
};

const std::string kHeaderEnds =
    "%: the header ends before \"FirstConfoundPredictor:\" and its value";
const std::string kNotRtc =
    "%: not a time-course file: it begins with neither \"FileVersion:\" nor \"NrOfRTCs:\"";

const HostileCase kCases[] = {
    // Empty, junk, cut short.
    {"empty.sdm", kHeaderEnds},
    {"empty.rtc", kNotRtc},
    {"binary_junk.sdm", kHeaderEnds},
    {"binary_junk.rtc", kNotRtc},
    {"header_only.sdm", "%: the file ends after 0 of 3 data rows"},
    {"truncated_in_header.sdm", kHeaderEnds},
    {"truncated_in_colours.sdm", "%: the file ends after 0 of 3 data rows"},
    {"truncated_after_names.sdm", "%: the file ends after 0 of 3 data rows"},
    {"truncated_in_row.sdm", "%, line 11: expected 2 values, found 1"},
    {"truncated_rows_missing.sdm", "%: the file ends after 2 of 3 data rows"},
    {"truncated_in_header.rtc", "%: the header ends before \"NrOfDataPoints:\" and its value"},
    {"truncated_after_header.rtc", "%: expected 6 values (3 data points of 2 courses), found 0"},
    {"truncated_in_names.rtc", "%: expected 6 values (3 data points of 2 courses), found 0"},
    {"truncated_in_rows.rtc", "%: expected 6 values (3 data points of 2 courses), found 5"},
    // Counts.
    {"predictors_negative.sdm", "%: NrOfPredictors is negative (-2)"},
    {"predictors_zero.sdm", "", {}, {}},
    {"predictors_huge.sdm", "%: NrOfPredictors 2000000000 is above the limit of 100000"},
    {"predictors_huge_no_data.sdm", "%: NrOfPredictors 2000000000 is above the limit of 100000"},
    {"predictors_at_limit.sdm", "%, line 10: expected 100000 values, found 2"},
    {"predictors_not_a_number.sdm", "%: \"NrOfPredictors:\" is not followed by a number"},
    {"points_negative.sdm", "%: NrOfDataPoints is negative (-3)"},
    {"points_zero.sdm", "", kGoodNames, {{}, {}}},
    {"points_huge.sdm", "%: NrOfDataPoints 2000000000 is above the limit of 10000000"},
    {"points_huge_no_data.sdm", "%: NrOfDataPoints 2000000000 is above the limit of 10000000"},
    {"points_at_limit.sdm", "%: the file ends after 3 of 10000000 data rows"},
    {"points_not_a_number.sdm",
     "%: \"NrOfDataPoints:\" is followed by \"3.5\", not by a whole number"},
    {"at_limits.sdm", "%, line 10: expected 100000 values, found 2"},
    {"courses_negative.rtc", "%: NrOfPredictors is negative (-2)"},
    {"courses_zero.rtc", "", {}, {}},
    {"courses_huge.rtc", "%: NrOfPredictors 2000000000 is above the limit of 100000"},
    {"courses_not_a_number.rtc", "%: \"NrOfPredictors:\" is not followed by a number"},
    {"points_zero.rtc", "", kGoodRtcNames, {{}, {}}},
    {"points_huge_no_data.rtc", "%: NrOfDataPoints 2000000000 is above the limit of 10000000"},
    {"at_limits.rtc",
     "%: expected 1000000000000 values (10000000 data points of 100000 courses), found 2"},
    {"older_points_negative.rtc", "%: NrOfDataPoints is negative (-3)"},
    {"older_courses_huge.rtc", "%: NrOfPredictors 2000000000 is above the limit of 100000"},
    {"older_points_not_a_number.rtc", "%: the number of data points is not a number"},
    // Names and colours.
    {"names_more.sdm", "", kGoodNames, kGoodValues},
    {"names_fewer.sdm", "", {"Task", "NoName"}, kGoodValues},
    {"colours_more.sdm", "", kGoodNames, kGoodValues},
    {"colours_fewer.sdm", "", kGoodNames, kGoodValues},
    {"names_unpaired_quote.sdm", "", {"Task", "NoName"}, kGoodValues},
    {"names_unusual_bytes.sdm", "", {"Bewegung \xc3\xa4\xff", "x ; y"}, kGoodValues},
    {"names_nul.sdm", "", {std::string("Ta\0sk", 5), "Motion"}, kGoodValues},
    {"names_unusual_bytes.rtc", "", {"Herz \xe4", "a ; b"}, kGoodRtcValues},
    // Line ends and bytes.
    {"cr_only.sdm", "%: the file ends after 0 of 3 data rows"},
    {"cr_only.rtc", "%: the header ends before \"NrOfDataPoints:\" and its value"},
    {"cr_cr_lf.sdm", "", kGoodNames, kGoodValues},
    {"nul_in_header.sdm", "%: the header has no \"NrOfPredictors:\""},
    {"nul_in_row.sdm", "invalid stof argument: %, line 11: \"\\x00\" is not a number"},
    {"nul_in_row.rtc", "%, line 8: \"\\x00\" is not a number"},
    // Lines of 10 MB.
    {"long_header_line.sdm", "", kGoodNames, kGoodValues},
    {"long_names_line.sdm", "", kGoodNames, kGoodValues},
    {"long_row.sdm", "%, line 11: expected 2 values, found 2621440"},
    {"long_blank_line.sdm", "", kGoodNames, kGoodValues},
    {"long_row.rtc", "", kGoodRtcNames, {{0.5F, 0.5F, 0.5F}, {0.5F, 0.5F, 0.5F}}},
    // Values.
    // Read as values; the report's fits cannot invert what they make (its list sections are
    // written, then the error passes on).
    {"nan_inf.sdm",
     "",
     kGoodNames,
     {{NAN, -INFINITY, 0.5F}, {INFINITY, NAN, 0.125F}},
     "Matrix inversion failed"},
    {"beyond_double.sdm", "stof argument out of range: %, line 11: 1e400"},
    {"below_double.sdm", "stof argument out of range: %, line 11: 1e-400"},
    {"beyond_float.sdm", "stof argument out of range: %, line 11: 1e39"},
    {"beyond_float_at_point.sdm", "stof argument out of range: %, line 11: -3.5e38"},
    {"below_float.sdm", "", kGoodNames, {{1.0F, 1e-40F, 0.5F}, {-0.25F, -0.0F, 0.125F}}},
    {"na_in_row.sdm", "invalid stof argument: %, line 12: \"NA\" is not a number"},
    {"beyond_float.rtc", "%, line 8: 1e400 is out of range"},
    {"na_in_row.rtc", "%, line 8: \"NA\" is not a number"},
    // Folders.
    {"folder.sdm", "Failed opening for reading: %"},
    {"folder.rtc", "Failed opening for reading: %"},
};

std::string withPath(std::string text, const std::string& path) {
  const auto at = text.find('%');
  if (at != std::string::npos) text.replace(at, 1, path);
  return text;
}

// Equal values, NaN equal to NaN.
bool sameValues(const Values& a, const Values& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t p = 0; p < a.size(); ++p) {
    if (a[p].size() != b[p].size()) return false;
    for (std::size_t t = 0; t < a[p].size(); ++t) {
      const bool same = std::isnan(a[p][t]) ? std::isnan(b[p][t]) : a[p][t] == b[p][t];
      if (!same) return false;
    }
  }
  return true;
}

std::string inputPath(const std::string& file) { return std::string(HOSTILE_INPUTS) + "/" + file; }

DesignMatrix readEither(const std::string& path) {
  if (hasExtension(path, "rtc")) return designOfRtc(readRtcFile(path, realFileSystem()));
  return readSdmFile(path, realFileSystem());
}

TEST(HostileInputsTest, EveryFileOfTheFolderIsACase) {
  std::set<std::string> files;
  for (const auto& entry : fs::directory_iterator(HOSTILE_INPUTS)) {
    files.insert(entry.path().filename().string());
  }
  std::set<std::string> cases;
  for (const auto& c : kCases) cases.insert(c.file);
  EXPECT_EQ(files, cases);
}

TEST(HostileInputsTest, ReadersGiveAnErrorNamingTheFileOrTheMatrix) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.file);
    const auto path = inputPath(c.file);
    try {
      const auto m = readEither(path);
      EXPECT_EQ(c.error, "") << "read without an error";
      EXPECT_EQ(m.predictorNames, c.names);
      EXPECT_TRUE(sameValues(m.values, c.values));
    } catch (const std::exception& error) {
      EXPECT_EQ(error.what(), withPath(c.error, path));
    }
  }
}

// Every regular file under `dir` with its contents.
std::map<std::string, std::string> snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file()) {
      files[fs::relative(entry.path(), dir).string()] = testing::readText(entry.path().string());
    }
  }
  return files;
}

// The tool in a folder of its own holding a copy of one case: `corr` for a design matrix,
// `merge-sec` of the file with itself for a time-course file. The outputs it would write exist
// beforehand, so that an error must leave them as they were.
struct ToolRun {
  testing::ProcessResult result;
  std::map<std::string, std::string> before;
  std::map<std::string, std::string> after;
};

ToolRun runTool(const std::string& file) {
  testing::TempDir dir;
  fs::copy(inputPath(file), dir.path() / file);
  std::vector<std::string> arguments = {DUVENDAL_TOOL, "corr", "-q", file};
  if (hasExtension(file, "rtc")) {
    const auto converted = replaceExtension(file, ".sdm");
    fs::create_directory(dir.path() / "out");
    testing::writeText(dir.file("out/" + fileNameOf(mergedFileName(converted, converted))),
                       "previous result\n");
    arguments = {DUVENDAL_TOOL, "merge-sec", "-q", "--out-dir", "out", file, file};
  } else {
    // A report and table of an earlier run of the tool: it replaces only its own.
    testing::writeText(dir.file(replaceExtension(file, ".txt")),
                       "Top 10 correlations between main predictors:\nprevious report\n");
    testing::writeText(dir.file(replaceExtension(file, ".csv")), " ; previous table\n");
  }
  ToolRun run;
  run.before = snapshot(dir.path());
  run.result = testing::runProcess(arguments, dir.path().string());
  run.after = snapshot(dir.path());
  return run;
}

TEST(HostileToolTest, EveryFileGivesAnErrorNamingItOrAResult) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.file);
    const auto run = runTool(c.file);
    if (!c.toolError.empty()) {
      EXPECT_EQ(run.result.exitCode, 1);
      EXPECT_EQ(run.result.err, "Error: " + c.toolError + "\n");
    } else if (c.error.empty()) {
      EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
      EXPECT_EQ(run.result.err, "");
      EXPECT_FALSE(run.after == run.before) << "no output was written";
    } else {
      EXPECT_EQ(run.result.exitCode, 1);
      EXPECT_EQ(run.result.err, "Error: " + withPath(c.error, c.file) + "\n");
      EXPECT_TRUE(run.after == run.before) << "an output was changed";
    }
  }
}

}  // namespace
}  // namespace duv
