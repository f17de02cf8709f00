// Outputs that would destroy a user's files, through the tool as a process: a study whose result,
// report, record or group table would replace one of its inputs or another output, a report or
// table beside a design that the tool did not write, a run record that points outside its run's
// folder, and settings files that are devices or pipes. Each is refused before anything is
// written, naming the files, and every file that was there stays as it was.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

std::string example(const std::string& name) {
  return testing::readText(testing::sourceDir() + "/examples/" + name);
}

// Every file below `folder` by its relative path, with its contents.
std::map<std::string, std::string> snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    files[fs::relative(entry.path(), folder).generic_string()] =
        testing::readText(entry.path().string());
  }
  return files;
}

struct RefusalCase {
  std::string name;
  std::map<std::string, std::string> files;  // beside the designs a.sdm, z.sdm and b.par
  std::vector<std::string> arguments;
  std::string error;  // standard error, whole
};

const std::string kForeignReport = "  -5.2139983e-04   8.2325784e-03  -1.7363666e-02\n";
const std::string kCorrWayOut =
    "; it is left as it is: corr writes beside the design; copy the design into a folder of its "
    "own and correlate it there\n";
const std::string kNotRegular = ": not a regular file (a device, a pipe or a socket)\n";

TEST(OutputOwnershipTest, OutputsThatWouldDestroyAFileAreRefusedBeforeAnythingIsWritten) {
  const RefusalCase cases[] = {
      {"a study's result is another run's input",
       {{"m.tsv", "primary\tconfounds\toutput\na.sdm\tb.par\t\nz.sdm\ta_b.sdm\tz\n"},
        {"a_b.sdm", example("sub01_motion_run1.sdm")}},
       {"study", "--manifest", "m.tsv", "--out-dir", "."},
       "Error: the output ./a_b.sdm would overwrite the input a_b.sdm\n"},
      {"so is its dry run",
       {{"m.tsv", "primary\tconfounds\toutput\na.sdm\tb.par\t\nz.sdm\ta_b.sdm\tz\n"},
        {"a_b.sdm", example("sub01_motion_run1.sdm")}},
       {"study", "--manifest", "m.tsv", "--out-dir", ".", "--dry-run"},
       "Error: the output ./a_b.sdm would overwrite the input a_b.sdm\n"},
      {"a study's report is another run's realignment file",
       {{"m.tsv", "primary\tconfounds\toutput\na.sdm\tb.par\t\nz.sdm\ta_b.txt\tz\n"},
        {"a_b.txt", example("sub01_rp_run1.txt")}},
       {"study", "--manifest", "m.tsv", "--out-dir", ".", "--allcorr"},
       "Error: the output ./a_b.txt would overwrite the input a_b.txt\n"},
      {"the manifest is the group table",
       {{"out/group.tsv", "primary\tconfounds\toutput\n../a.sdm\t../b.par\tr\n"}},
       {"study", "--manifest", "out/group.tsv", "--out-dir", "out"},
       "Error: the output out/group.tsv would overwrite the input out/group.tsv\n"},
      {"the contrasts file is the group page",
       {{"m.tsv", "primary\tconfounds\na.sdm\tb.par\n"},
        {"out/group.html", "name\texpression\nc\t\"A\"\n"}},
       {"study", "--manifest", "m.tsv", "--out-dir", "out", "--contrasts", "out/group.html"},
       "Error: the output out/group.html would overwrite the input out/group.html\n"},
      {"a study's report over a file it did not write",
       {{"m.tsv", "primary\tconfounds\na.sdm\tb.par\n"}, {"out/a_b.txt", kForeignReport}},
       {"study", "--manifest", "m.tsv", "--out-dir", "out", "--allcorr"},
       "Error: out/a_b.txt exists and is not a correlation report of this tool; it is left as it "
       "is: choose another --out-dir\n"},
      {"corr over a realignment file",
       {{"a.txt", kForeignReport}},
       {"corr", "a.sdm"},
       "Error: a.txt exists and is not a correlation report of this tool" + kCorrWayOut},
      {"corr over a table it did not write",
       {{"a.csv", "a,b\n1,2\n"}},
       {"corr", "a.sdm"},
       "Error: a.csv exists and is not a correlation table of this tool" + kCorrWayOut},
      {"merge-all's report over a file it did not write",
       {{"a_b.txt", kForeignReport}},
       {"merge-all", "--allcorr", "--primary", "a.sdm", "b.par"},
       "Error: a_b.txt exists and is not a correlation report of this tool; it is left as it is: "
       "give --out-dir to save the results elsewhere\n"},
      {"merge-sec's table over a file it did not write",
       {{"out/z_b.csv", "a;b\n"}},
       {"merge-sec", "--allcorr", "--out-dir", "out", "z.sdm", "b.par"},
       "Error: out/z_b.csv exists and is not a correlation table of this tool; it is left as it "
       "is: give --out-dir to save the results elsewhere\n"},
      {"a manifest that never ends",
       {},
       {"study", "--manifest", "/dev/zero", "--out-dir", "out"},
       "Error: /dev/zero" + kNotRegular},
      {"a contrasts file that never ends",
       {{"m.tsv", "primary\tconfounds\na.sdm\tb.par\n"}},
       {"study", "--manifest", "m.tsv", "--out-dir", "out", "--contrasts", "/dev/zero"},
       "Error: /dev/zero" + kNotRegular},
      {"check's contrasts file that never ends",
       {},
       {"check", "--contrasts", "/dev/zero", "a.sdm"},
       "Error: /dev/zero" + kNotRegular},
      {"a manifest above the limit",
       {{"m.tsv", std::string((std::size_t{16} << 20) + 1, '\t')}},
       {"study", "--manifest", "m.tsv", "--out-dir", "out"},
       "Error: m.tsv: 16777217 bytes, above the limit of 16 MiB\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    testing::writeText(dir.file("a.sdm"), example("sub01_task.sdm"));
    testing::writeText(dir.file("z.sdm"), example("sub01_task.sdm"));
    testing::writeText(dir.file("b.par"), example("sub01_bold_mcf.par"));
    for (const auto& [name, contents] : c.files) {
      fs::create_directories((dir.path() / name).parent_path());
      testing::writeText(dir.file(name), contents);
    }
    const auto before = snapshot(dir.path());
    std::vector<std::string> command{DUVENDAL_TOOL};
    command.insert(command.end(), c.arguments.begin(), c.arguments.end());
    const auto result = testing::runProcess(command, dir.path().string());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, c.error);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(snapshot(dir.path()), before);
  }
}

TEST(OutputOwnershipTest, ATablesAndReportsOfTheToolAreReplacedWhateverTheirLineEnds) {
  testing::TempDir dir;
  testing::writeText(dir.file("a.sdm"), example("sub01_task.sdm"));
  testing::writeText(dir.file("a.txt"), "Top 10 correlations between main predictors:\r\n\r\n");
  testing::writeText(dir.file("a.csv"), "\r\n");
  const auto result =
      testing::runProcess({DUVENDAL_TOOL, "corr", "-q", "a.sdm"}, dir.path().string());
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(testing::readText(dir.file("a.csv")).starts_with(" ; "));
}

// A study of one run into "out", and its record's text.
class RecordPlaceTest : public ::testing::Test {
 protected:
  RecordPlaceTest() {
    testing::writeText(dir_.file("a.sdm"), example("sub01_task.sdm"));
    testing::writeText(dir_.file("b.par"), example("sub01_bold_mcf.par"));
    testing::writeText(dir_.file("m.tsv"), "primary\tconfounds\na.sdm\tb.par\n");
  }

  testing::ProcessResult run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), DUVENDAL_TOOL);
    return testing::runProcess(arguments, dir_.path().string());
  }

  // The record with `from` replaced by `to` once.
  void editRecord(const std::string& from, const std::string& to) {
    auto text = testing::readText(dir_.file("out/a.run.json"));
    const auto at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    testing::writeText(dir_.file("out/a.run.json"), text);
  }

  testing::TempDir dir_;
};

TEST_F(RecordPlaceTest, ARecordWhoseOutputsLieElsewhereIsIgnoredAndItsRunDoneAgain) {
  ASSERT_EQ(run({"study", "--manifest", "m.tsv", "--out-dir", "out"}).exitCode, 0);
  testing::writeText(dir_.file("elsewhere.sdm"), "kept");
  editRecord("\"a_b.sdm\"", "\"../elsewhere.sdm\"");
  fs::remove(dir_.path() / "out/a_b.sdm");

  const auto again = run({"study", "--manifest", "m.tsv", "--out-dir", "out"});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_EQ(again.err,
            "Warning: out/a.run.json: output \"../elsewhere.sdm\" does not lie in its run's folder "
            "\"\"; the record is ignored and the run done again\n");
  EXPECT_EQ(again.out, "1 run: 1 ok, 0 warned, 0 failed\n");
  EXPECT_TRUE(fs::exists(dir_.path() / "out/a_b.sdm"));
  EXPECT_EQ(testing::readText(dir_.file("elsewhere.sdm")), "kept");
}

TEST_F(RecordPlaceTest, TheGroupOutputsTakeNoRecordWhosePageLeavesItsFolder) {
  ASSERT_EQ(run({"study", "--manifest", "m.tsv", "--out-dir", "out"}).exitCode, 0);
  editRecord("\"check_page\": \"a_b.html\"", "\"check_page\": \"../group.html\"");
  const auto group = run({"study", "--group-only", "--out-dir", "out"});
  EXPECT_EQ(group.exitCode, 1);
  EXPECT_EQ(group.err,
            "Error: out/a.run.json: check page \"../group.html\" does not lie in its run's folder "
            "\"\"; the record is not used\n");
  EXPECT_EQ(testing::readText(dir_.file("out/group.html")).find("href=\"../group.html\""),
            std::string::npos);
}

TEST_F(RecordPlaceTest, APipeNamedAsARecordIsAnErrorNotAWait) {
  fs::create_directories(dir_.path() / "out");
  ASSERT_EQ(mkfifo(dir_.file("out/x.run.json").c_str(), 0600), 0);
  const auto group = run({"study", "--group-only", "--out-dir", "out"});
  EXPECT_EQ(group.exitCode, 1);
  EXPECT_EQ(group.err, "Error: out/x.run.json" + kNotRegular);
}

}  // namespace
}  // namespace duv
