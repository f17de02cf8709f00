#include "study/run_record_file.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/study/study_records.h"
#include "tests/support/expect_error.h"
#include "tests/support/memory_file_system.h"

namespace duv {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
const std::string kPath = "out/sub-01/run-1/sub-01_run-1_task.run.json";

// Doubles compared by their bits: -0 is not 0, and NaN equals NaN.
std::uint64_t bitsOf(double value) { return std::bit_cast<std::uint64_t>(value); }

void expectSameRecord(const RunRecord& read, const RunRecord& written) {
  EXPECT_EQ(read.name, written.name);
  EXPECT_EQ(read.fields, written.fields);
  EXPECT_EQ(read.primary, written.primary);
  EXPECT_EQ(read.confounds, written.confounds);
  EXPECT_EQ(read.toolVersion, written.toolVersion);
  EXPECT_EQ(read.options, written.options);
  EXPECT_EQ(read.inputs, written.inputs);
  EXPECT_EQ(read.outputs, written.outputs);
  EXPECT_EQ(read.checkPage, written.checkPage);
  EXPECT_EQ(read.status, written.status);
  EXPECT_EQ(read.firstError, written.firstError);
  EXPECT_EQ(read.skipped, written.skipped);
  EXPECT_EQ(read.reasons, written.reasons);
  EXPECT_EQ(read.failedMotionRule, written.failedMotionRule);
  EXPECT_EQ(read.dataPoints, written.dataPoints);
  EXPECT_EQ(read.predictors, written.predictors);
  EXPECT_EQ(read.residualDegreesOfFreedom, written.residualDegreesOfFreedom);
  ASSERT_EQ(read.highestTaskVif.has_value(), written.highestTaskVif.has_value());
  if (written.highestTaskVif) {
    EXPECT_EQ(read.highestTaskVif->first, written.highestTaskVif->first);
    EXPECT_EQ(bitsOf(read.highestTaskVif->second), bitsOf(written.highestTaskVif->second));
  }
  ASSERT_EQ(read.strongestTaskConfound.has_value(), written.strongestTaskConfound.has_value());
  if (written.strongestTaskConfound) {
    EXPECT_EQ(read.strongestTaskConfound->task, written.strongestTaskConfound->task);
    EXPECT_EQ(read.strongestTaskConfound->confound, written.strongestTaskConfound->confound);
    EXPECT_EQ(bitsOf(read.strongestTaskConfound->r), bitsOf(written.strongestTaskConfound->r));
  }
  for (const auto& [value, expected] : {std::pair(read.meanDisplacement, written.meanDisplacement),
                                        std::pair(read.maxDisplacement, written.maxDisplacement)}) {
    ASSERT_EQ(value.has_value(), expected.has_value());
    if (expected) {
      EXPECT_EQ(bitsOf(*value), bitsOf(*expected));
    }
  }
  EXPECT_EQ(read.spikes, written.spikes);
  ASSERT_EQ(read.contrasts.size(), written.contrasts.size());
  for (std::size_t i = 0; i < written.contrasts.size(); ++i) {
    EXPECT_EQ(read.contrasts[i].name, written.contrasts[i].name);
    EXPECT_EQ(read.contrasts[i].estimable, written.contrasts[i].estimable);
    EXPECT_EQ(bitsOf(read.contrasts[i].vif), bitsOf(written.contrasts[i].vif));
  }
}

RunRecord roundTrip(const RunRecord& record) {
  return parseRunRecord(runRecordText(record), kPath);
}

TEST(RunRecordFileTest, FileNameIsTheRunsNameWithoutItsExtension) {
  EXPECT_EQ(runRecordFileName("sub-01_run-1_task.sdm"), "sub-01_run-1_task.run.json");
  EXPECT_EQ(runRecordFileName("sub01.task.sdm"), "sub01.task.run.json");
  EXPECT_EQ(runRecordFileName("design"), "design.run.json");
}

// Every status a run can have is written as its name and read back as itself; the check's
// status of a file it could not read is none of them.
TEST(RunRecordFileTest, StatusesAreWrittenByNameAndReadBack) {
  struct Case {
    CheckStatus status;
    const char* text;
  };
  const Case cases[] = {{CheckStatus::ok, "ok"},
                        {CheckStatus::medium, "medium"},
                        {CheckStatus::high, "high"},
                        {CheckStatus::error, "error"},
                        {CheckStatus::failed, "failed"}};
  RunRecord record = testing::completeRun("01", 1);
  for (const auto& c : cases) {
    record.status = c.status;
    const auto text = runRecordText(record);
    EXPECT_NE(text.find("\n  \"status\": \"" + std::string(c.text) + "\",\n"), std::string::npos)
        << c.text;
    EXPECT_EQ(parseRunRecord(text, kPath).status, c.status) << c.text;
    EXPECT_FALSE(parseRunRecord(text, kPath).skipped) << c.text;
    EXPECT_EQ(statusNamed(c.text), c.status) << c.text;
    EXPECT_STREQ(statusName(c.status), c.text);
  }
  // A skipped run: a failed status, by a name of its own.
  record = testing::failedRun("01", 1, "no file for --confounds-from 'c.tsv'");
  record.skipped = true;
  const auto text = runRecordText(record);
  EXPECT_NE(text.find("\n  \"status\": \"skipped\",\n"), std::string::npos);
  const auto read = parseRunRecord(text, kPath);
  EXPECT_EQ(read.status, CheckStatus::failed);
  EXPECT_TRUE(read.skipped);
  EXPECT_STREQ(runStatusName(read), "skipped");
  EXPECT_EQ(statusNamed("unreadable"), CheckStatus::unreadable);
  EXPECT_FALSE(statusNamed("warned"));
  EXPECT_FALSE(statusNamed("OK"));
}

TEST(RunRecordFileTest, TextHasEveryKeyInItsOrder) {
  RunRecord record = testing::failedRun("01", 1, "stopped");
  record.fields = {{"sub", "01"}};
  record.confounds = {"c.par"};
  record.primary = "p.sdm";
  record.name = "p.sdm";
  record.inputs = {{"p.sdm", 10, -5}};
  record.checkPage = "";
  record.highestTaskVif = {{"A", 1.5}};
  record.contrasts = {{"A-B", false, kInfinity}};
  EXPECT_EQ(runRecordText(record),
            "{\n"
            "  \"schema\": \"duvendal-run/1\",\n"
            "  \"name\": \"p.sdm\",\n"
            "  \"fields\": [\n    [\n      \"sub\",\n      \"01\"\n    ]\n  ],\n"
            "  \"primary\": \"p.sdm\",\n"
            "  \"confounds\": [\n    \"c.par\"\n  ],\n"
            "  \"tool_version\": \"1.0.0\",\n"
            "  \"options\": \"--spikes fd:0.5 --contrast A-B\",\n"
            "  \"inputs\": [\n    {\n      \"path\": \"p.sdm\",\n      \"size\": 10,\n"
            "      \"modified_ns\": -5\n    }\n  ],\n"
            "  \"outputs\": [],\n"
            "  \"check_page\": \"\",\n"
            "  \"status\": \"failed\",\n"
            "  \"first_error\": \"stopped\",\n"
            "  \"reasons\": [\n    \"stopped\"\n  ],\n"
            "  \"data_points\": 0,\n"
            "  \"predictors\": 0,\n"
            "  \"residual_df\": 0,\n"
            "  \"highest_task_vif\": {\n    \"predictor\": \"A\",\n    \"vif\": 1.5\n  },\n"
            "  \"strongest_task_confound\": null,\n"
            "  \"mean_fd\": null,\n"
            "  \"max_fd\": null,\n"
            "  \"spikes\": null,\n"
            "  \"motion_rule_failed\": false,\n"
            "  \"contrasts\": [\n    {\n      \"name\": \"A-B\",\n      \"estimable\": false,\n"
            "      \"vif\": \"inf\"\n    }\n  ]\n"
            "}\n");
}

TEST(RunRecordFileTest, EveryValueReadsBackExactly) {
  struct Case {
    const char* what;
    RunRecord record;
  };
  RunRecord extremes = testing::completeRun("01", 1);
  extremes.inputs = {
      {"a", std::numeric_limits<std::uint64_t>::max(), std::numeric_limits<std::int64_t>::min()},
      {"b", 0, std::numeric_limits<std::int64_t>::max()}};
  extremes.dataPoints = std::numeric_limits<std::size_t>::max();
  extremes.residualDegreesOfFreedom = -12;
  extremes.highestTaskVif->second = kInfinity;
  extremes.strongestTaskConfound->r = -0.0;
  extremes.meanDisplacement = 5e-324;  // the smallest subnormal
  extremes.maxDisplacement = std::numeric_limits<double>::max();
  extremes.spikes = 0;
  extremes.contrasts = {{"A-B", false, kInfinity},
                        {"neg", true, -kInfinity},
                        {"nan", true, std::numeric_limits<double>::quiet_NaN()},
                        {"third", true, 1.0 / 3.0},
                        {"tenth", true, 0.1}};

  RunRecord odd = testing::completeRun("01", 2);
  odd.name = "tab\there \"quoted\" back\\slash\nnew line.sdm";
  odd.fields = {{"zeta", "z"},
                {"alpha", "\xc3\xa9t\xc3\xa9 \xe2\x88\x9e \xf0\x9f\xa7\xa0"},
                {"ctl", std::string("nul\0and\x01\x1f", 10)},
                {"sub", ""}};
  odd.primary = "M\xfcller/run.sdm";  // Latin-1, not UTF-8
  odd.confounds = {"\xc0\xaf", "\xed\xa0\x80", "\xe2\x88", "\xf4\x90\x80\x80", "\x80"};
  odd.checkPage = "sub 01/run #1?.html";
  odd.firstError = "<script>alert('x')</script>";
  odd.strongestTaskConfound = RunRecord::Pair{"", "\xff", 1.0};

  RunRecord sparse = testing::failedRun("02", 1, "");
  sparse.fields.clear();
  sparse.confounds.clear();
  sparse.inputs.clear();

  RunRecord noFirstError = testing::completeRun("03", 4);
  noFirstError.firstError.reset();
  noFirstError.highestTaskVif.reset();
  noFirstError.strongestTaskConfound.reset();
  noFirstError.contrasts.clear();

  RunRecord skipped = testing::failedRun("04", 1, "no file for --confounds-from 'c.tsv'");
  skipped.skipped = true;
  RunRecord moving = testing::completeRun("05", 1);
  moving.status = CheckStatus::high;
  moving.failedMotionRule = true;
  moving.reasons = {"mean FD 0.41 mm > 0.25", "tab\there", "", "\xff"};

  const Case cases[] = {{"every value", testing::completeRun("01", 1)},
                        {"a skipped run", skipped},
                        {"a motion rule failed, odd reasons", moving},
                        {"extremes and infinities", extremes},
                        {"odd characters and bytes", odd},
                        {"a failed run, nothing optional", sparse},
                        {"optionals absent", noFirstError}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    expectSameRecord(roundTrip(c.record), c.record);
    // Read back and written again: the same text.
    EXPECT_EQ(runRecordText(roundTrip(c.record)), runRecordText(c.record));
  }
}

// Records written before runs kept their reasons lack two keys: read as no reasons and no
// motion rule failed; any other key missing stays an error.
TEST(RunRecordFileTest, RecordsWithoutReasonsReadAsNone) {
  using Json = nlohmann::ordered_json;
  RunRecord record = testing::completeRun("01", 1);
  record.failedMotionRule = true;
  struct Case {
    std::vector<const char*> removed;
    bool hasReasons;
    bool failedMotionRule;
  };
  const Case cases[] = {{{}, true, true},
                        {{"reasons"}, false, true},
                        {{"motion_rule_failed"}, true, false},
                        {{"reasons", "motion_rule_failed"}, false, false}};
  for (const auto& c : cases) {
    auto json = Json::parse(runRecordText(record));
    for (const char* key : c.removed) json.erase(key);
    SCOPED_TRACE(json.dump());
    const auto read = parseRunRecord(json.dump(2), kPath);
    EXPECT_EQ(read.reasons, c.hasReasons ? record.reasons : std::vector<std::string>{});
    EXPECT_EQ(read.failedMotionRule, c.failedMotionRule);
    EXPECT_EQ(read.status, record.status);
  }
}

TEST(RunRecordFileTest, TextsThatAreNotUtf8AreWrittenAsHex) {
  RunRecord record = testing::completeRun("01", 1);
  record.primary = "M\xfcller.sdm";
  const auto text = runRecordText(record);
  EXPECT_NE(text.find("\"primary\": {\n    \"hex\": \"4dfc6c6c65722e73646d\"\n  }"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\"name\": \"sub-01_run-1_task.sdm\""), std::string::npos);
}

TEST(RunRecordFileTest, DamagedRecordsAreErrorsNamingTheFileAndTheKey) {
  using Json = nlohmann::ordered_json;
  const std::string valid = runRecordText(testing::completeRun("01", 1));
  // The valid record with the value at a JSON pointer replaced, or removed when `value` is
  // discarded; a key added where the pointer's last part is new.
  const auto with = [&](const std::string& pointer, const Json& value) {
    auto json = Json::parse(valid);
    if (value.is_discarded()) {
      const Json::json_pointer at(pointer);
      json[at.parent_pointer()].erase(at.back());
    } else {
      json[Json::json_pointer(pointer)] = value;
    }
    return json.dump(2);
  };
  const Json removed = Json::value_t::discarded;
  const auto line = [](int number, const std::string& what) {
    return kPath + ", line " + std::to_string(number) + ": " + what;
  };
  const std::string at = kPath + ": ";
  struct Case {
    std::string text;
    std::string error;
  };
  const Case cases[] = {
      {"", at + "empty"},
      {" \n\t", at + "empty"},
      {"{\n  \"schema\": \"duvendal-run/1\",\n", line(3, "ends early")},
      {"{\"schema\": \"duvendal-run/1\",\n  \"name\": x}", line(2, "not valid JSON")},
      {valid + "{}", line(73, "not valid JSON")},  // after the record's 72 lines
      {"{\"schema\": \"duvendal-run/1\",\n\"name\": \"m\xe9\"}", line(2, "not valid JSON")},
      {"{\"schema\": \"duvendal-run/1\", \"data_points\": 1e400}",
       at + "not valid JSON (a number out of range)"},
      {"[1, 2]", at + "not a run record (no \"schema\": \"duvendal-run/1\")"},
      {"{\"name\": \"x\"}", at + "not a run record (no \"schema\": \"duvendal-run/1\")"},
      {with("/schema", "duvendal-run/2"),
       at + "a record of schema \"duvendal-run/2\", not \"duvendal-run/1\""},
      {with("/schema", 1), at + "a record of schema 1, not \"duvendal-run/1\""},
      {"{\"schema\": \"duvendal-run/1\"}", at + "missing key \"name\""},
      {with("/options", removed), at + "missing key \"options\""},
      {with("/colour", "red"), at + "unknown key \"colour\""},
      {with("/name", 3), at + "name: expected a text"},
      {with("/name", {{"hex", "4"}}), at + "name: expected an even number of hex digits"},
      {with("/name", {{"hex", "4G"}}), at + "name: expected lowercase hex digits"},
      {with("/name", {{"hex", "41"}, {"x", 1}}), at + "name: expected a text"},
      {with("/fields", 5), at + "fields: expected a list of [name, value] pairs"},
      {with("/fields/0", {"sub", "01", "x"}), at + "fields[0]: expected [name, value]"},
      {with("/fields/1/0", 1), at + "fields[1][0]: expected a text"},
      {with("/confounds", "a.par"), at + "confounds: expected a list of texts"},
      {with("/inputs", Json::object()), at + "inputs: expected a list"},
      {with("/inputs/0/size", -1), at + "inputs[0].size: expected a whole number from 0"},
      {with("/inputs/0/size", 2.5), at + "inputs[0].size: expected a whole number from 0"},
      {with("/inputs/1/size", "9120"), at + "inputs[1].size: expected a whole number from 0"},
      {with("/inputs/1/modified_ns", 9223372036854775808ULL),
       at + "inputs[1].modified_ns: too large"},
      {with("/inputs/1/modified_ns", 1e3), at + "inputs[1].modified_ns: expected a whole number"},
      {with("/inputs/0/path", removed), at + "inputs[0]: missing key \"path\""},
      {with("/inputs/0", "p.sdm"), at + "inputs[0]: expected an object"},
      {with("/outputs/0", nullptr), at + "outputs[0]: expected a text"},
      {with("/status", "warned"),
       at + "status: expected ok, medium, high, error, failed or skipped"},
      {with("/status", "unreadable"),
       at + "status: expected ok, medium, high, error, failed or skipped"},
      {with("/status", true), at + "status: expected ok, medium, high, error, failed or skipped"},
      {with("/first_error", false), at + "first_error: expected a text"},
      {with("/data_points", -240), at + "data_points: expected a whole number from 0"},
      {with("/residual_df", "226"), at + "residual_df: expected a whole number"},
      {with("/highest_task_vif/vif", "infinity"), at + "highest_task_vif.vif: expected a number"},
      {with("/highest_task_vif/r", 1), at + "highest_task_vif: unknown key \"r\""},
      {with("/highest_task_vif", 1.84), at + "highest_task_vif: expected an object"},
      {with("/strongest_task_confound/r", nullptr),
       at + "strongest_task_confound.r: expected a number"},
      {with("/mean_fd", Json::array()), at + "mean_fd: expected a number"},
      {with("/max_fd", "0.81"), at + "max_fd: expected a number"},
      {with("/spikes", -3), at + "spikes: expected a whole number from 0"},
      {with("/reasons", "mean FD 0.41 mm > 0.25"), at + "reasons: expected a list of texts"},
      {with("/reasons/1", 2), at + "reasons[1]: expected a text"},
      {with("/reasons", nullptr), at + "reasons: expected a list of texts"},
      {with("/motion_rule_failed", 1), at + "motion_rule_failed: expected true or false"},
      {with("/motion_rule_failed", nullptr), at + "motion_rule_failed: expected true or false"},
      {with("/contrasts", 7), at + "contrasts: expected a list"},
      {with("/contrasts/0/estimable", 1), at + "contrasts[0].estimable: expected true or false"},
      {with("/contrasts/1/vif", removed), at + "contrasts[1]: missing key \"vif\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 300));
    testing::expectError<std::runtime_error>([&] { parseRunRecord(c.text, kPath); }, c.error);
  }
}

TEST(RunRecordFileTest, EveryTruncationAndFlippedByteIsAnErrorNamingTheFile) {
  RunRecord record = testing::completeRun("01", 1);
  record.primary = "M\xfcller.sdm";
  record.contrasts.push_back({"C", false, kInfinity});
  const std::string valid = runRecordText(record);
  const auto expectNamed = [&](const std::string& text, bool mayParse) {
    try {
      parseRunRecord(text, kPath);
      EXPECT_TRUE(mayParse) << "read a damaged record:\n" << text;
    } catch (const std::runtime_error& error) {
      EXPECT_TRUE(std::string(error.what()).starts_with(kPath)) << error.what();
    }
  };
  // Every cut leaves the object unclosed: no prefix is a record.
  for (std::size_t length = 0; length + 1 < valid.size(); ++length) {
    SCOPED_TRACE("cut at " + std::to_string(length));
    expectNamed(valid.substr(0, length), false);
  }
  // A flipped byte may leave a record (a digit for another), but never crashes.
  for (std::size_t at = 0; at < valid.size(); ++at) {
    for (const int mask : {0x01, 0x20, 0x80}) {
      std::string damaged = valid;
      damaged[at] = static_cast<char>(static_cast<unsigned char>(damaged[at]) ^ mask);
      expectNamed(damaged, true);
    }
  }
}

TEST(RunRecordFileTest, FilesAreWrittenWholeAndReadBack) {
  testing::MemoryFileSystem files;
  const RunRecord record = testing::completeRun("01", 1);
  writeRunRecord(files, kPath, record);
  ASSERT_TRUE(files.contents(kPath));
  EXPECT_EQ(*files.contents(kPath), runRecordText(record));
  expectSameRecord(readRunRecord(files, kPath), record);

  testing::expectError<std::runtime_error>([&] { readRunRecord(files, "missing.run.json"); },
                                           "Failed opening for reading: missing.run.json");
  files.writeLimit["short.run.json"] = 100;
  EXPECT_THROW(writeRunRecord(files, "short.run.json", record), std::runtime_error);
  EXPECT_FALSE(files.contents("short.run.json"));

  RunRecord unknown = record;
  unknown.status = CheckStatus::unreadable;
  testing::expectError<std::invalid_argument>(
      [&] { writeRunRecord(files, "unknown.run.json", unknown); },
      "run sub-01_run-1_task.sdm: no such status: unreadable");
  EXPECT_FALSE(files.contents("unknown.run.json"));
}

}  // namespace
}  // namespace duv
