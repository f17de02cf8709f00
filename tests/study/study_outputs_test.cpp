#include "study/study_outputs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "design/bounded_read.h"
#include "design/paths.h"
#include "study/run_record.h"
#include "tests/support/expect_error.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

RunPlan planOf(const std::string& primary, const std::string& confound,
               const std::string& outputFolder = "") {
  RunPlan plan;
  plan.name = fileNameOf(primary);
  plan.primary = primary;
  plan.confounds = {confound};
  plan.outputFolder = outputFolder;
  return plan;
}

// The example inputs in memory, under the names the cases give them, the current folder /lab.
class StudyOutputsTest : public ::testing::Test {
 protected:
  StudyOutputsTest() {
    files_.currentFolder = "/lab";
    const auto example = [](const std::string& name) {
      return testing::readText(testing::sourceDir() + "/examples/" + name);
    };
    for (const auto* name : {"a.sdm", "p.sdm", "q.sdm", "z.sdm", "a_b.sdm"}) {
      files_.files[std::string("/lab/") + name] = example("sub01_task.sdm");
    }
    files_.files["/lab/b.par"] = example("sub01_bold_mcf.par");
    files_.files["/lab/c.par"] = example("sub01_bold_mcf.par");
    files_.files["/lab/p_c.txt"] = example("sub01_rp_run1.txt");
  }

  testing::MemoryFileSystem files_;
};

struct PlanCase {
  std::string name;
  std::vector<RunPlan> plans;
  bool reports = false;
  bool groupOutputs = true;
  std::vector<std::string> sources = {};
  std::string error = {};  // "" when the study may go on
};

TEST_F(StudyOutputsTest, AStudyWhoseOutputWouldReplaceAnInputOrAnotherOutputIsRefused) {
  const PlanCase cases[] = {
      {"separate runs", {planOf("a.sdm", "b.par"), planOf("z.sdm", "c.par")}, true},
      {"a result is another run's input",
       {planOf("a.sdm", "b.par"), planOf("z.sdm", "a_b.sdm", "z")},
       false,
       true,
       {},
       "the output ./a_b.sdm would overwrite the input a_b.sdm"},
      {"a report is another run's realignment file",
       {planOf("p.sdm", "c.par"), planOf("q.sdm", "p_c.txt", "q")},
       true,
       true,
       {},
       "the output ./p_c.txt would overwrite the input p_c.txt"},
      {"the manifest is the group table",
       {planOf("a.sdm", "b.par")},
       false,
       true,
       {"group.tsv"},
       "the output ./group.tsv would overwrite the input group.tsv"},
      {"without group outputs the manifest stays",
       {planOf("a.sdm", "b.par")},
       false,
       false,
       {"group.tsv"}},
      {"the contrasts file is a check page",
       {planOf("a.sdm", "b.par")},
       false,
       true,
       {"/lab/a_b.html"},
       "the output ./a_b.html would overwrite the input /lab/a_b.html"},
      {"two runs write one result",
       {planOf("a.sdm", "b.par"), planOf("sub/a.sdm", "b.par")},
       false,
       true,
       {},
       "the outputs ./a_b.sdm and ./a_b.sdm would be the same file"},
      {"a run's result is its own record's name",
       {planOf("x.run.sdm", "b.par"), planOf("x.sdm", "b.par")},
       false,
       true,
       {},
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RunOptions options;
    options.reports = c.reports;
    StudyOutputSettings settings{".", c.groupOutputs, c.sources};
    if (c.error.empty()) {
      EXPECT_NO_THROW(checkStudyOutputs(c.plans, options, settings, files_));
    } else {
      testing::expectError<std::runtime_error>(
          [&] { checkStudyOutputs(c.plans, options, settings, files_); }, c.error);
    }
  }
}

TEST_F(StudyOutputsTest, AReportOrTableReplacesOnlyTheToolsOwn) {
  struct Case {
    std::string path;
    std::string contents;
    std::string error;
  };
  const std::string wayOut = "; it is left as it is: choose another --out-dir";
  const Case cases[] = {
      {"out/p_c.txt", "Top 10 correlations between main predictors:\n\n", ""},
      {"out/p_c.txt", "Top 10 correlations between main predictors:\r\nA - B\r\n", ""},
      {"out/p_c.txt", "Top 10 correlations between main predictors:",
       "out/p_c.txt exists and is not a correlation report of this tool" + wayOut},
      {"out/p_c.txt", "Top 10 correlations between main predictors: x\n",
       "out/p_c.txt exists and is not a correlation report of this tool" + wayOut},
      {"out/p_c.txt", "  -5.2139983e-04   8.2325784e-03\n",
       "out/p_c.txt exists and is not a correlation report of this tool" + wayOut},
      {"out/p_c.txt", "",
       "out/p_c.txt exists and is not a correlation report of this tool" + wayOut},
      {"out/p_c.csv", "\n", ""},
      {"out/p_c.csv", "\r\n", ""},
      {"out/p_c.csv", " ; A ; B\nA ; 1 ; 0.5\n", ""},
      {"out/p_c.csv", "A;B\n1;2\n",
       "out/p_c.csv exists and is not a correlation table of this tool" + wayOut},
      {"out/p_c.csv", "",
       "out/p_c.csv exists and is not a correlation table of this tool" + wayOut},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + " holding \"" + c.contents + "\"");
    auto files = files_;
    files.files["/lab/" + c.path] = c.contents;
    RunOptions options;
    options.reports = true;
    const StudyOutputSettings settings{"out", true, {}};
    const std::vector<RunPlan> plans{planOf("p.sdm", "c.par")};
    if (c.error.empty()) {
      EXPECT_NO_THROW(checkStudyOutputs(plans, options, settings, files));
    } else {
      testing::expectError<std::runtime_error>(
          [&] { checkStudyOutputs(plans, options, settings, files); }, c.error);
    }
  }
}

TEST(RunRecordPlaceTest, ARecordIsTakenOnlyWithItsOutputsAndPageInItsRunsFolder) {
  struct Case {
    std::string runFolder;
    std::vector<std::string> outputs;
    std::string checkPage;
    std::string problem;  // "" when the record is as the study left it
  };
  const Case cases[] = {
      {"sub-01", {"sub-01/a.sdm", "sub-01/a.html"}, "sub-01/a.html", ""},
      {"", {"a.sdm", "a.html"}, "a.html", ""},
      {"sub-01", {"sub-01/a.sdm"}, "", ""},  // a run that failed after its design
      {"sub-01",
       {"sub-02/a.sdm"},
       "",
       "output \"sub-02/a.sdm\" does not lie in its run's folder \"sub-01\""},
      {"sub-01",
       {"sub-01/../sub-02/a.sdm"},
       "",
       "output \"sub-01/../sub-02/a.sdm\" does not lie in its run's folder \"sub-01\""},
      {"sub-01",
       {"sub-01/x/a.sdm"},
       "",
       "output \"sub-01/x/a.sdm\" does not lie in its run's folder \"sub-01\""},
      {"sub-01",
       {"sub-01/.."},
       "",
       "output \"sub-01/..\" does not lie in its run's folder \"sub-01\""},
      {"sub-01", {"sub-01/"}, "", "output \"sub-01/\" does not lie in its run's folder \"sub-01\""},
      {"",
       {"/elsewhere/a.sdm"},
       "",
       "output \"/elsewhere/a.sdm\" does not lie in its run's folder \"\""},
      {"", {"../a.sdm"}, "", "output \"../a.sdm\" does not lie in its run's folder \"\""},
      {"sub-01",
       {"sub-01/a.sdm"},
       "../group.html",
       "check page \"../group.html\" does not lie in its run's folder \"sub-01\""},
      {"sub-01",
       {"sub-01/a.sdm"},
       "group.html",
       "check page \"group.html\" does not lie in its run's folder \"sub-01\""},
      {"sub-01", {}, "sub-01/a.html", ""},  // a run that failed after its page
  };
  for (const auto& c : cases) {
    RunRecord record;
    record.outputs = c.outputs;
    record.checkPage = c.checkPage;
    const auto problem = misplacedOutput(record, c.runFolder);
    EXPECT_EQ(problem.value_or(""), c.problem) << c.runFolder << " " << c.outputs.front();
  }
}

TEST(BoundedReadTest, AFileIsReadWholeOnlyUpToItsLimit) {
  testing::MemoryFileSystem files;
  files.files["small.tsv"] = std::string(16, 'x');
  files.files["big.tsv"] = std::string(17, 'x');
  files.files["mib.tsv"] = std::string((std::size_t{1} << 20) + 1, 'x');
  EXPECT_EQ(readBoundedFile(files, "small.tsv", 16), std::string(16, 'x'));
  testing::expectError<std::runtime_error>([&] { readBoundedFile(files, "big.tsv", 16); },
                                           "big.tsv: 17 bytes, above the limit of 16 bytes");
  testing::expectError<std::runtime_error>(
      [&] { readBoundedFile(files, "mib.tsv", std::uint64_t{1} << 20); },
      "mib.tsv: 1048577 bytes, above the limit of 1 MiB");
  // What is missing is the reader's error, as before.
  testing::expectError<std::runtime_error>([&] { readBoundedFile(files, "gone.tsv", 16); },
                                           "Failed opening for reading: gone.tsv");
}

}  // namespace
}  // namespace duv
