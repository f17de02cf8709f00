#include "check/check_output.h"

#include <gtest/gtest.h>

#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "design/file_system.h"
#include "design/sdm_reader.h"
#include "design/text.h"
#include "tests/support/design_builder.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

using Json = nlohmann::ordered_json;

CheckedFile checkedExample(const std::string& relative, const CheckThresholds& thresholds = {}) {
  CheckedFile file;
  file.path = "examples/" + relative;
  file.design = readSdmFile(testing::sourceDir() + "/" + file.path, realFileSystem());
  file.check = checkDesign(file.design, thresholds);
  return file;
}

CheckRun exampleRun() {
  CheckRun run;
  run.files.push_back(checkedExample("sub01_task.sdm"));
  run.files.push_back(checkedExample("bad/sub01_task_motion_broken.sdm"));
  CheckedFile missing;
  missing.path = "examples/missing.sdm";
  missing.readError = "Failed opening for reading: examples/missing.sdm";
  run.files.push_back(missing);
  return run;
}

template <typename Writer>
std::string written(const CheckRun& run, Writer writer) {
  std::ostringstream out;
  writer(run, out);
  return out.str();
}

std::vector<std::string> keysOf(const Json& object) {
  std::vector<std::string> keys;
  for (const auto& item : object.items()) keys.push_back(item.key());
  return keys;
}

TEST(CheckOutputTest, TsvHasTheDocumentedColumnsAndOneRowPerPredictor) {
  const auto lines = splitLines(written(exampleRun(), writeCheckTsv), '\n');
  ASSERT_EQ(lines.size(), 1U + 5U + 13U + 1U);
  EXPECT_EQ(lines[0],
            "file\tstatus\tdata_points\tpredictors\trank\tresidual_df\tcondition_number\t"
            "position\tpredictor\trole\tkind\tr2\tvif\tlevel\tpartner\tpartner_r\trow\ttask\t"
            "counted_level\tmotion_file\tmean_fd\tmax_fd\tfd_above\tflagged\tflagged_share\t"
            "scrubbed_df\tcontrast\texpression\testimable\tcontrast_vif\tefficiency\treasons");
  for (const auto& line : lines)
    EXPECT_EQ(splitLines(line, '\t').size() + (line.back() == '\t'), 32U) << line;
  const auto row = [&lines](std::size_t i) { return splitLines(lines[i], '\t'); };
  // The task design's constant, then the broken design's duplicated condition and constant.
  EXPECT_EQ(lines[5], "examples/sub01_task.sdm\tok\t240\t5\t5\t235\t" + row(5)[6] +
                          "\t5\tConstant\tconfound\tconstant\t\t\tok\t\t\tpredictor\tno\tok" +
                          std::string(13, '\t'));
  const auto again = row(11);
  EXPECT_EQ(again[0], "examples/bad/sub01_task_motion_broken.sdm");
  EXPECT_EQ(again[1], "error");
  EXPECT_EQ(again[4], "11");
  EXPECT_EQ(again[6], "inf");
  EXPECT_EQ(again[8], "Condition D (again)");
  EXPECT_EQ(again[10], "varying");
  EXPECT_EQ(again[11], "1");
  EXPECT_EQ(again[12], "inf");
  EXPECT_EQ(again[13], "error");
  EXPECT_EQ(again[14], "Condition D");
  EXPECT_EQ(again[16], "predictor");
  EXPECT_EQ(again[17], "yes");
  EXPECT_EQ(again[18], "error");
  EXPECT_EQ(again[31],
            "Condition A, Condition B and Conditions A+B linearly dependent; Condition D ~ "
            "Condition D (again) identical; Condition C ~ Translation Z [mm] r = 0.76; Condition "
            "A ~ Conditions A+B r = 0.64; Condition B ~ Conditions A+B r = 0.64");
  EXPECT_EQ(lines.back(), "examples/missing.sdm\tunreadable" + std::string(15, '\t') + "file" +
                              std::string(15, '\t') +
                              "Failed opening for reading: examples/missing.sdm");
}

TEST(CheckOutputTest, TsvFieldsNeverHoldTabsOrLineBreaks) {
  CheckRun run;
  CheckedFile file;
  file.path = "a\tb.sdm";
  file.design = testing::makeDesign({"x\ty", "z\nw"}, {{1, -1, 1, -1}, {1, 1, -1, -1}}, 3);
  file.check = checkDesign(file.design, {});
  run.files.push_back(file);
  const auto lines = splitLines(written(run, writeCheckTsv), '\n');
  ASSERT_EQ(lines.size(), 3U);
  EXPECT_EQ(lines[1].substr(0, 10), "a b.sdm\tok");
  EXPECT_NE(lines[1].find("\tx y\t"), std::string::npos);
  EXPECT_NE(lines[2].find("\tz w\t"), std::string::npos);
}

TEST(CheckOutputTest, JsonHasTheDocumentedKeysInOrder) {
  const auto json = Json::parse(written(exampleRun(), writeCheckJson));
  EXPECT_EQ(keysOf(json), (std::vector<std::string>{"schema", "thresholds", "status", "files"}));
  EXPECT_EQ(json["schema"], "duvendal-check/2");
  EXPECT_EQ(json["status"], "error");
  EXPECT_EQ(keysOf(json["thresholds"]),
            (std::vector<std::string>{"identical_r", "high_r", "medium_r", "high_vif", "medium_vif",
                                      "hide_confound_pairs", "nuisance", "fd_thresholds",
                                      "spike_fd", "max_scrubbed", "high_cvif", "medium_cvif",
                                      "motion_rule", "max_mean_fd", "max_fd", "max_share_above"}));
  EXPECT_EQ(json["thresholds"]["motion_rule"], "stringent");
  EXPECT_EQ(json["thresholds"]["max_share_above"], (Json{{"fd", 0.2}, {"share", 0.2}}));
  ASSERT_EQ(json["files"].size(), 3U);
  const auto& broken = json["files"][1];
  EXPECT_EQ(keysOf(broken), (std::vector<std::string>{"file",
                                                      "status",
                                                      "reasons",
                                                      "data_points",
                                                      "predictors",
                                                      "main",
                                                      "confounds",
                                                      "constant",
                                                      "rank",
                                                      "residual_df",
                                                      "condition_number",
                                                      "counts",
                                                      "strongest_pair",
                                                      "highest_vif",
                                                      "warnings",
                                                      "dependencies",
                                                      "columns",
                                                      "status_all",
                                                      "counts_all",
                                                      "strongest_task_pair",
                                                      "highest_task_vif",
                                                      "confound_summary",
                                                      "motion",
                                                      "contrasts"}));
  EXPECT_EQ(broken["rank"], 11);
  EXPECT_EQ(broken["residual_df"], 229);
  EXPECT_TRUE(broken["condition_number"].is_null());  // infinite
  EXPECT_EQ(keysOf(broken["counts"]), (std::vector<std::string>{"error", "high", "medium"}));
  EXPECT_EQ(keysOf(broken["strongest_pair"]), (std::vector<std::string>{"first", "second", "r"}));
  EXPECT_EQ(keysOf(broken["highest_vif"]), (std::vector<std::string>{"predictor", "vif"}));
  EXPECT_EQ(broken["dependencies"][0], (Json{"Condition A", "Condition B", "Conditions A+B"}));
  const auto& warning = broken["warnings"][0];
  EXPECT_EQ(keysOf(warning), (std::vector<std::string>{"level", "kind", "predictors", "value",
                                                       "message", "counted"}));
  EXPECT_EQ(warning["level"], "error");
  EXPECT_EQ(warning["kind"], "dependency");
  EXPECT_TRUE(warning["value"].is_null());
  const auto& column = broken["columns"][5];
  EXPECT_EQ(keysOf(column), (std::vector<std::string>{"position", "name", "role", "kind", "r2",
                                                      "vif", "partners", "task"}));
  EXPECT_EQ(column["position"], 6);
  EXPECT_EQ(column["name"], "Condition D (again)");
  EXPECT_EQ(column["role"], "main");
  EXPECT_EQ(column["r2"], 1.0);
  EXPECT_TRUE(column["vif"].is_null());
  EXPECT_EQ(keysOf(column["partners"][0]), (std::vector<std::string>{"name", "position", "r"}));
  EXPECT_EQ(broken["columns"][12]["kind"], "constant");
  EXPECT_EQ(keysOf(json["files"][2]),
            (std::vector<std::string>{"file", "status", "reasons", "error", "status_all"}));
  EXPECT_EQ(json["files"][2]["reasons"],
            (Json{"Failed opening for reading: examples/missing.sdm"}));
  EXPECT_EQ(json["files"][0]["reasons"], Json::array());
  EXPECT_EQ(broken["reasons"][1], "Condition D ~ Condition D (again) identical");
  EXPECT_EQ(json["files"][2]["status"], "unreadable");
  EXPECT_EQ(json["files"][0]["status"], "ok");
}

TEST(CheckOutputTest, JsonReplacesBytesThatAreNotUtf8) {
  CheckRun run;
  CheckedFile file;
  file.path = "run.sdm";
  file.design = testing::makeDesign({"\xdc"
                                     "bung"},
                                    {{1, 2, 3}}, 1);
  file.check = checkDesign(file.design, {});
  run.files.push_back(file);
  const auto json = Json::parse(written(run, writeCheckJson));
  EXPECT_EQ(json["files"][0]["columns"][0]["name"],
            "\xef\xbf\xbd"
            "bung");
}

TEST(CheckOutputTest, TextStartsWithOneSummaryRowPerFileThenTheDetails) {
  const auto text = written(exampleRun(), writeCheckText);
  const auto lines = splitLines(text, '\n');
  ASSERT_GT(lines.size(), 10U);
  EXPECT_EQ(lines[0].substr(0, 4), "file");
  EXPECT_NE(lines[0].find("strongest |r|"), std::string::npos);
  EXPECT_EQ(lines[1].substr(0, 23), "examples/sub01_task.sdm");
  // Columns are aligned: every row has its status where the header has "status".
  const auto statusAt = lines[0].find("status");
  EXPECT_EQ(lines[2].substr(0, 41), "examples/bad/sub01_task_motion_broken.sdm");
  EXPECT_EQ(lines[2].substr(statusAt, 6), "error ");
  EXPECT_EQ(lines[3].substr(statusAt, 11), "unreadable ");
  for (const char* part :
       {"  229  ", "  1.00 Condition D ~ Condition D (again)  ", "  inf Condition A"}) {
    EXPECT_NE(lines[2].find(part), std::string::npos) << part;
  }
  EXPECT_EQ(lines[4], "");
  EXPECT_EQ(lines[5], "examples/sub01_task.sdm: ok (no warnings)");
  // The reasons come first, right under the file's heading.
  EXPECT_NE(text.find("(2 error, 1 high, 2 medium)\n"
                      "  reason: Condition A, Condition B and Conditions A+B linearly dependent\n"
                      "  reason: Condition D ~ Condition D (again) identical\n"
                      "  reason: Condition C ~ Translation Z [mm] r = 0.76\n"
                      "  reason: Condition A ~ Conditions A+B r = 0.64\n"
                      "  reason: Condition B ~ Conditions A+B r = 0.64\n"
                      "  240 data points"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("examples/bad/sub01_task_motion_broken.sdm: error (2 error, "),
            std::string::npos);
  EXPECT_NE(text.find("\n  rank 11 of 13, residual degrees of freedom 229, condition number inf\n"),
            std::string::npos);
  EXPECT_NE(text.find("\n  ERROR   Condition A, Condition B and Conditions A+B: an exact linear "
                      "dependency (rank-deficient)\n"),
            std::string::npos);
  EXPECT_NE(text.find("\n  HIGH    Condition C and Translation Z [mm]: r = 0.76\n"),
            std::string::npos);
  EXPECT_NE(text.find("examples/missing.sdm: cannot be read: Failed opening for reading: "
                      "examples/missing.sdm\n"),
            std::string::npos);
}

TEST(CheckOutputTest, EveryWarningKindReadsAsASentenceNamingThePredictors) {
  const std::vector<float> a{1, -1, 1, -1, 1, -1, 1, -1};
  const std::vector<float> b{1, 1, -1, -1, 1, 1, -1, -1};
  const std::vector<float> c{1, 1, 1, 1, -1, -1, -1, -1};
  std::vector<float> nan = b;
  nan[2] = std::numeric_limits<float>::quiet_NaN();
  const std::vector<float> d{1, -1, -1, 1, 1, -1, -1, 1};
  std::vector<float> mixed(8);
  for (std::size_t t = 0; t < 8; ++t) mixed[t] = 0.9F * a[t] + 0.436F * d[t];
  const auto design =
      testing::makeDesign({"A", "B", "Zero", "Bad", "C", "Mix", "A again", "One", "Two"},
                          {a, b, std::vector<float>(8, 0.0F), nan, c, mixed, a,
                           std::vector<float>(8, 1.0F), std::vector<float>(8, 2.0F)},
                          8);
  const auto check = checkDesign(design, {});
  std::vector<std::string> texts;
  for (const auto& warning : check.warnings) texts.push_back(warningText(design, check, warning));
  ASSERT_EQ(texts.size(), 7U);
  texts.back() = texts.back().substr(0, 70);  // the last partner's r may be -0.00 or 0.00
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "Bad: holds values that are not numbers",
                       "Zero: all zero",
                       "One and Two: both constant (one constant is enough)",
                       "A and A again: identical columns (r = 1.000)",
                       "A and Mix: r = 0.90",
                       "Mix and A again: r = 0.90",
                       "Mix: VIF 5.3 (R2 0.810), most correlated with A (0.90), A again (0.90)",
                   }));
  const auto tight =
      testing::makeDesign({"A", "B", "C", "D"}, {{1, 2, 3}, {3, 1, 2}, {2, 2, 1}, {1, 1, 1}}, 4);
  const auto none = checkDesign(tight, {});
  ASSERT_FALSE(none.warnings.empty());
  EXPECT_EQ(warningText(tight, none, none.warnings[0]),
            "no residual degrees of freedom: 3 data points for 4 predictors, every varying one a "
            "combination of the others");
}

}  // namespace
}  // namespace duv
