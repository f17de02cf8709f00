#include "study/study_pairing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "design/file_system.h"
#include "design/paths.h"
#include "design/text.h"
#include "tests/support/expect_error.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

using Texts = std::vector<std::string>;

// Two subjects of two runs: a design and a confound table per run, head motion per subject.
const Texts kStudy = {"sub-01/func/s01_r1.sdm",
                      "sub-01/func/s01_r2.sdm",
                      "sub-02/func/s02_r1.sdm",
                      "sub-02/func/s02_r2.sdm",
                      "d/sub-01/s01_r1.tsv",
                      "d/sub-01/s01_r2.tsv",
                      "d/sub-02/s02_r1.tsv",
                      "d/sub-02/s02_r2.tsv",
                      "rp/s01.par",
                      "rp/s02.par"};
const Texts kPatterns = {"sub-{sub}/func/s{sub}_r{run}.sdm", "d/sub-{sub}/s{sub}_r{run}.tsv",
                         "rp/s{sub}.par"};
const Texts kExtraSubject = {"d/sub-03/s03_r1.tsv", "rp/s03.par"};
const std::string kRun11 =
    "sub-01/func/s01_r1.sdm + d/sub-01/s01_r1.tsv + rp/s01.par [sub=01 run=1]";
const std::string kRun12 =
    "sub-01/func/s01_r2.sdm + d/sub-01/s01_r2.tsv + rp/s01.par [sub=01 run=2]";
const std::string kRun21 =
    "sub-02/func/s02_r1.sdm + d/sub-02/s02_r1.tsv + rp/s02.par [sub=02 run=1]";
const std::string kRun22 =
    "sub-02/func/s02_r2.sdm + d/sub-02/s02_r2.tsv + rp/s02.par [sub=02 run=2]";
const std::string kAllRuns = kRun11 + "\n" + kRun12 + "\n" + kRun21 + "\n" + kRun22;
const std::string kNoTable22 =
    "sub-02/func/s02_r2.sdm: no file for --confounds-from 'd/sub-{sub}/s{sub}_r{run}.tsv' (looked "
    "for d/sub-02/s02_r2.tsv)";
const std::string kAlone3 =
    "d/sub-03/s03_r1.tsv: no primary for it (looked for sub-03/func/s03_r1.sdm)\n"
    "rp/s03.par: no primary for it (looked for sub-03/func/s03_r{run}.sdm)";

Texts with(Texts files, const Texts& more) {
  files.insert(files.end(), more.begin(), more.end());
  return files;
}

Texts without(Texts files, const std::string& file) {
  std::erase(files, file);
  return files;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// A problem of a file begins with that file and says what it lacks; one of a pattern names none.
void checkKinds(const std::vector<PairingProblem>& problems) {
  for (const auto& problem : problems) {
    if (problem.kind == PairingProblemKind::noMatch) {
      EXPECT_TRUE(problem.files.empty()) << problem.message;
      continue;
    }
    ASSERT_EQ(problem.files.size(), 1u) << problem.message;
    const bool missing = problem.kind == PairingProblemKind::missingPartner;
    const auto begins = problem.files[0] + (missing ? ": no file for " : ": no primary for it");
    // Or several files, where a "*" lets them fill the same fields.
    const bool several = missing && problem.message.find(" files for ") != std::string::npos;
    EXPECT_TRUE(several || problem.message.rfind(begins, 0) == 0u) << problem.message;
  }
}

// What a pairing gives, as text: each run ("primary + confounds [fields]", " -> output" unless it
// is the primary's folder as the tree lays it out), then "problem: " lines; or "error: " and the
// error's message. Paths below the root are shown relative to it, the root itself as ROOT.
std::string pairingText(const std::string& root, const Texts& patterns, const Texts& options) {
  PairingOptions pairing;
  Texts only;
  for (const auto& option : options) {
    if (option == "allow-missing") {
      pairing.allowMissing = true;
    } else {
      only.push_back(option);
    }
  }
  pairing.only = parseRunSelection(only);
  Texts confounds;
  for (std::size_t p = 1; p < patterns.size(); ++p) {
    confounds.push_back(replaced(patterns[p], "ROOT", root));
  }
  Texts lines;
  try {
    const auto result = pairStudyFiles(root, replaced(patterns[0], "ROOT", root), confounds,
                                       pairing, realFileSystem());
    for (const auto& run : result.runs) {
      Texts fields;
      for (const auto& [name, value] : run.fields) fields.push_back(name + "=" + value);
      auto line =
          run.primary + " + " + joined(run.confounds, " + ") + " [" + joined(fields, " ") + "]";
      const auto folder = run.outputFolder.empty() ? "" : run.outputFolder + "/";
      if (folderPart(run.primary) != root + "/" + folder) {
        line += " -> " + (run.outputFolder.empty() ? "." : run.outputFolder);
      }
      EXPECT_EQ(run.name, fileNameOf(run.primary, PathStyle::native));
      lines.push_back(line);
    }
    for (const auto& problem : result.problems) lines.push_back("problem: " + problem.message);
    checkKinds(result.problems);
  } catch (const StudyPairingError& error) {
    lines.push_back(std::string("error: ") + error.what());
    checkKinds(error.problems());
  }
  return replaced(replaced(joined(lines, "\n"), root + "/", ""), root, "ROOT");
}

// One study tree: its files (a name ending in "/" is a folder), the patterns (the primary's
// first), the options ("allow-missing", or an --only text) and what the pairing gives.
struct TreeCase {
  const char* title;
  Texts files;
  Texts patterns;
  Texts options;
  std::string expected;
};

TreeCase treeCase(const char* title, Texts files, Texts patterns, Texts options,
                  std::string expected) {
  return {title, std::move(files), std::move(patterns), std::move(options), std::move(expected)};
}

TEST(StudyPairingTest, StudyTreesPairAsTheirPatternsSay) {
  const std::vector<TreeCase> cases = {
      treeCase("a complete study", kStudy, kPatterns, {}, kAllRuns),
      treeCase("a run without its table", without(kStudy, "d/sub-02/s02_r2.tsv"), kPatterns, {},
               "error: the study's files do not pair (1 problem):\n" + kNoTable22),
      treeCase("a run without its table, left out", without(kStudy, "d/sub-02/s02_r2.tsv"),
               kPatterns, {"allow-missing"},
               kRun11 + "\n" + kRun12 + "\n" + kRun21 + "\nproblem: " + kNoTable22),
      treeCase("confound files without primary", with(kStudy, kExtraSubject), kPatterns, {},
               "error: the study's files do not pair (2 problems):\n" + kAlone3),
      treeCase("confound files without primary, ignored", with(kStudy, kExtraSubject), kPatterns,
               {"allow-missing"},
               kAllRuns + "\nproblem: " + replaced(kAlone3, "\n", "\nproblem: ")),
      // The tables of sub-02 have their primaries, which lack only the head motion.
      treeCase(
          "a subject without head motion", without(kStudy, "rp/s02.par"), kPatterns,
          {"allow-missing"},
          kRun11 + "\n" + kRun12 +
              "\nproblem: sub-02/func/s02_r1.sdm: no file for --confounds-from 'rp/s{sub}.par' "
              "(looked for rp/s02.par)\nproblem: sub-02/func/s02_r2.sdm: no file for "
              "--confounds-from 'rp/s{sub}.par' (looked for rp/s02.par)"),
      treeCase("the same field twice takes one value",
               {"sub-01/func/s01_r1.sdm", "sub-01/func/s02_r1.sdm", "d/sub-01/s01_r1.tsv",
                "d/sub-01/s02_r1.tsv", "rp/s01.par"},
               kPatterns, {}, kRun11),
      treeCase("a table shared by the subjects",
               {"sub-01/func/s01_r1.sdm", "sub-02/func/s02_r1.sdm", "p_1.tsv"},
               {kPatterns[0], "p_{run}.tsv"}, {},
               "sub-01/func/s01_r1.sdm + p_1.tsv [sub=01 run=1]\n"
               "sub-02/func/s02_r1.sdm + p_1.tsv [sub=02 run=1]"),
      treeCase("absolute patterns", kStudy,
               {"ROOT/" + kPatterns[0], "ROOT/" + kPatterns[1], kPatterns[2]}, {}, kAllRuns),
      treeCase("output folders below where the pattern starts",
               {"data/sub-01/func/x_1.sdm", "data/sub-01/func/c_1.tsv"},
               {"data/sub-{sub}/func/x_{run}.sdm", "data/sub-{sub}/func/c_{run}.tsv"}, {},
               "data/sub-01/func/x_1.sdm + data/sub-01/func/c_1.tsv [sub=01 run=1] -> sub-01/func"),
      treeCase("primaries where the pattern starts", {"data/x_1.sdm", "data/x_2.sdm", "c.tsv"},
               {"./data/x_{run}.sdm", "c.tsv"}, {},
               "./data/x_1.sdm + c.tsv [run=1] -> .\n./data/x_2.sdm + c.tsv [run=2] -> ."),
      treeCase("a study of one run", {"task.sdm", "c.tsv"}, {"task.sdm", "c.tsv"}, {},
               "task.sdm + c.tsv []"),
      treeCase("folders and near misses are not files",
               with(kStudy, {"sub-01/func/s01_r3.sdm/", "sub-01/func/s01_r1.sdm~",
                             "sub-01/func/s01_r1-a.sdm", "sub-0_1/func/s0_1_r1.sdm",
                             "sub-01/anat/s01_r4.sdm", "rp/s04.par/"}),
               kPatterns, {}, kAllRuns),
      treeCase("a primary pattern matching nothing", {"d/sub-01/s01_r1.tsv", "rp/s01.par"},
               kPatterns, {},
               "error: the study's files do not pair (1 problem):\n--primary "
               "'sub-{sub}/func/s{sub}_r{run}.sdm' matches no file (searched from ROOT)"),
      treeCase(
          "a confound pattern matching nothing", kStudy, {kPatterns[0], "phys/{sub}.tsv"},
          {"allow-missing"},
          "error: no run to do (1 problem):\n--confounds-from 'phys/{sub}.tsv' matches no file "
          "(searched from phys/)"),
      treeCase("--only a subject", with(kStudy, kExtraSubject), kPatterns, {"sub=01"},
               kRun11 + "\n" + kRun12),
      treeCase("--only runs of subjects", kStudy, kPatterns, {"sub=02,01", "run=2"},
               kRun12 + "\n" + kRun22),
      treeCase("--only leaves out the problems of others", without(kStudy, "d/sub-02/s02_r2.tsv"),
               kPatterns, {"sub=01"}, kRun11 + "\n" + kRun12),
      treeCase("--only keeping no subject", kStudy, kPatterns, {"sub=1"},
               "error: no run to do: --only keeps none of the 4 runs found"),
      // The subjects' head motion and the shared file belong to primaries left out.
      treeCase("--only keeping no run", with(kStudy, {"c.tsv"}),
               {kPatterns[0], kPatterns[2], "c.tsv"}, {"run=3"},
               "error: no run to do: --only keeps none of the 4 runs found"),
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    testing::TempDir dir;
    for (const auto& file : c.files) {
      const auto path = dir.path() / file;
      std::filesystem::create_directories(file.back() == '/' ? path : path.parent_path());
      if (file.back() != '/') testing::writeText(path.string(), "x\n");
    }
    EXPECT_EQ(pairingText(dir.path().string(), c.patterns, c.options), c.expected);
  }
}

// "*" takes what varies between the files of one pattern, within one component.
TEST(StudyPairingTest, WildcardsPairFilesWhoseNamesVary) {
  const Texts primaries = {"sub-01/func/s01_r1.sdm", "sub-01/func/s01_r2.sdm"};
  const std::string table = "d/sub-{sub}/s{sub}_r{run}_*.tsv";
  const std::vector<TreeCase> cases = {
      treeCase("a part of the name that varies",
               with(primaries, {"d/sub-01/s01_r1_desc-a.tsv", "d/sub-01/s01_r2_desc-b.tsv"}),
               {kPatterns[0], table}, {},
               "sub-01/func/s01_r1.sdm + d/sub-01/s01_r1_desc-a.tsv [sub=01 run=1]\n"
               "sub-01/func/s01_r2.sdm + d/sub-01/s01_r2_desc-b.tsv [sub=01 run=2]"),
      treeCase("nothing where the * stands",
               with(primaries, {"d/sub-01/s01_r1_.tsv", "d/sub-01/s01_r2_x.tsv"}),
               {kPatterns[0], table}, {},
               "sub-01/func/s01_r1.sdm + d/sub-01/s01_r1_.tsv [sub=01 run=1]\n"
               "sub-01/func/s01_r2.sdm + d/sub-01/s01_r2_x.tsv [sub=01 run=2]"),
      treeCase("never across a separator",
               with(primaries, {"d/sub-01/s01_r1_a/b.tsv", "d/sub-01/s01_r2_x.tsv",
                                "d/sub-01/s01_r1.tsv", "d/sub-01/s01_r1_a.tsv/"}),
               {kPatterns[0], table}, {},
               "error: the study's files do not pair (1 problem):\nsub-01/func/s01_r1.sdm: no "
               "file for --confounds-from 'd/sub-{sub}/s{sub}_r{run}_*.tsv' (looked for "
               "d/sub-01/s01_r1_*.tsv)"),
      treeCase("two files where one is needed",
               with(primaries,
                    {"d/sub-01/s01_r1_a.tsv", "d/sub-01/s01_r1_b.tsv", "d/sub-01/s01_r2_a.tsv"}),
               {kPatterns[0], table}, {"allow-missing"},
               "sub-01/func/s01_r2.sdm + d/sub-01/s01_r2_a.tsv [sub=01 run=2]\nproblem: "
               "sub-01/func/s01_r1.sdm: 2 files for --confounds-from "
               "'d/sub-{sub}/s{sub}_r{run}_*.tsv', where one is needed (d/sub-01/s01_r1_a.tsv, "
               "d/sub-01/s01_r1_b.tsv)"),
      treeCase("a folder that varies, where the walk starts",
               with(primaries, {"der/prep/sub-01/c_1.tsv", "der/prep/sub-01/c_2.tsv"}),
               {kPatterns[0], "der/*/sub-{sub}/c_{run}.tsv"}, {},
               "sub-01/func/s01_r1.sdm + der/prep/sub-01/c_1.tsv [sub=01 run=1]\n"
               "sub-01/func/s01_r2.sdm + der/prep/sub-01/c_2.tsv [sub=01 run=2]"),
      treeCase("primaries that differ only where the * stands",
               {"sub-01/a_r1.sdm", "sub-01/b_r1.sdm", "c_1.tsv"},
               {"sub-{sub}/*_r{run}.sdm", "c_{run}.tsv"}, {},
               "sub-01/a_r1.sdm + c_1.tsv [sub=01 run=1]\n"
               "sub-01/b_r1.sdm + c_1.tsv [sub=01 run=1]"),
      treeCase("a file shared by every run", with(primaries, {"rp/all.par"}),
               {kPatterns[0], "rp/*.par"}, {},
               "sub-01/func/s01_r1.sdm + rp/all.par [sub=01 run=1]\n"
               "sub-01/func/s01_r2.sdm + rp/all.par [sub=01 run=2]"),
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    testing::TempDir dir;
    for (const auto& file : c.files) {
      const auto path = dir.path() / file;
      std::filesystem::create_directories(file.back() == '/' ? path : path.parent_path());
      if (file.back() != '/') testing::writeText(path.string(), "x\n");
    }
    EXPECT_EQ(pairingText(dir.path().string(), c.patterns, c.options), c.expected);
  }
}

TEST(StudyPairingTest, UsageErrorsComeBeforeAnyFolderIsRead) {
  struct Case {
    Texts patterns;
    Texts only;
    const char* message;
  };
  const Case cases[] = {
      {{kPatterns[0]}, {}, "at least one --confounds-from is needed"},
      {{kPatterns[0], "rp/s{sub}_{ses}.par"},
       {},
       "--confounds-from 'rp/s{sub}_{ses}.par': field {ses} is not in --primary "
       "'sub-{sub}/func/s{sub}_r{run}.sdm' (it has sub, run)"},
      {{"task.sdm", "{sub}.tsv"},
       {},
       "--confounds-from '{sub}.tsv': field {sub} is not in --primary 'task.sdm' (it has none)"},
      {{kPatterns[0], kPatterns[2], kPatterns[1], kPatterns[2]},
       {},
       "--confounds-from 'rp/s{sub}.par' is given twice"},
      {{kPatterns[0], kPatterns[0]},
       {},
       "--confounds-from 'sub-{sub}/func/s{sub}_r{run}.sdm' is the --primary pattern"},
      {{kPatterns[0], "rp/{sub"}, {}, "--confounds-from 'rp/{sub': '{' at column 4 is not closed"},
      {{"sub-{sub}/", "c.tsv"},
       {},
       "--primary 'sub-{sub}/': the pattern ends with a separator: it must name files"},
      {kPatterns, {"ses=1"}, "--only 'ses=1': the patterns have no field ses (they have sub, run)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    PairingOptions options;
    options.only = parseRunSelection(c.only);
    const Texts confounds(c.patterns.begin() + 1, c.patterns.end());
    testing::expectError<std::invalid_argument>(
        [&] {
          pairStudyFiles("/nonexistent-study-root", c.patterns[0], confounds, options,
                         realFileSystem());
        },
        c.message);
  }
}

// The runs --allow-missing leaves out are kept, each with what it lacks and its place among the
// runs paired, so that the study can account for it; a confound file without a primary is no
// run, and a run --only rules out is not skipped.
TEST(StudyPairingTest, RunsLeftOutAreKeptWithWhatTheyLack) {
  const std::string table = "no file for --confounds-from 'd/sub-{sub}/s{sub}_r{run}.tsv'";
  const std::string motion = "no file for --confounds-from 'rp/s{sub}.par'";
  struct Case {
    const char* title;
    Texts files;
    Texts options;
    Texts skipped;  // "name @before [fields] -> folder + confounds: why"
  };
  const Case cases[] = {
      {"none missing", kStudy, {"allow-missing"}, {}},
      {"the last run's table",
       without(kStudy, "d/sub-02/s02_r2.tsv"),
       {"allow-missing"},
       {"s02_r2.sdm @3 [sub=02 run=2] -> sub-02/func + rp/s02.par: " + table +
        " (looked for d/sub-02/s02_r2.tsv)"}},
      {"the first run's table",
       without(kStudy, "d/sub-01/s01_r1.tsv"),
       {"allow-missing"},
       {"s01_r1.sdm @0 [sub=01 run=1] -> sub-01/func + rp/s01.par: " + table +
        " (looked for d/sub-01/s01_r1.tsv)"}},
      {"a subject's head motion: both its runs, at one place",
       without(kStudy, "rp/s01.par"),
       {"allow-missing"},
       {"s01_r1.sdm @0 [sub=01 run=1] -> sub-01/func + d/sub-01/s01_r1.tsv: " + motion +
            " (looked for rp/s01.par)",
        "s01_r2.sdm @0 [sub=01 run=2] -> sub-01/func + d/sub-01/s01_r2.tsv: " + motion +
            " (looked for rp/s01.par)"}},
      {"both inputs of a run: each named",
       without(without(kStudy, "d/sub-02/s02_r1.tsv"), "rp/s02.par"),
       {"allow-missing"},
       {"s02_r1.sdm @2 [sub=02 run=1] -> sub-02/func: " + table +
            " (looked for d/sub-02/s02_r1.tsv); " + motion + " (looked for rp/s02.par)",
        "s02_r2.sdm @2 [sub=02 run=2] -> sub-02/func + d/sub-02/s02_r2.tsv: " + motion +
            " (looked for rp/s02.par)"}},
      {"a pattern matching nothing leaves no run to do",
       without(without(kStudy, "rp/s01.par"), "rp/s02.par"),
       {"allow-missing"},
       {}},
      {"a confound file without primary is no run",
       with(kStudy, kExtraSubject),
       {"allow-missing"},
       {}},
      {"--only rules out the run",
       without(kStudy, "d/sub-02/s02_r2.tsv"),
       {"allow-missing", "sub=01"},
       {}},
      {"--only keeps it",
       without(kStudy, "d/sub-02/s02_r2.tsv"),
       {"allow-missing", "sub=02"},
       {"s02_r2.sdm @1 [sub=02 run=2] -> sub-02/func + rp/s02.par: " + table +
        " (looked for d/sub-02/s02_r2.tsv)"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    testing::TempDir dir;
    for (const auto& file : c.files) {
      std::filesystem::create_directories((dir.path() / file).parent_path());
      testing::writeText(dir.file(file), "x\n");
    }
    const std::string root = dir.path().string();
    PairingOptions options;
    Texts only;
    for (const auto& option : c.options) {
      if (option == "allow-missing") {
        options.allowMissing = true;
      } else {
        only.push_back(option);
      }
    }
    options.only = parseRunSelection(only);
    Texts confounds;
    for (std::size_t p = 1; p < kPatterns.size(); ++p) confounds.push_back(kPatterns[p]);
    Texts skipped;
    try {
      const auto pairing = pairStudyFiles(root, kPatterns[0], confounds, options, realFileSystem());
      for (const auto& run : pairing.skipped) {
        Texts fields;
        for (const auto& [name, value] : run.plan.fields) fields.push_back(name + "=" + value);
        std::string line = run.plan.name + " @" + std::to_string(run.before) + " [" +
                           joined(fields, " ") + "] -> " + run.plan.outputFolder;
        for (const auto& confound : run.plan.confounds) line += " + " + confound;
        EXPECT_LE(run.before, pairing.runs.size());
        EXPECT_EQ(run.plan.primary, joinPath(root, run.plan.outputFolder + "/" + run.plan.name));
        skipped.push_back(replaced(line + ": " + run.why, root + "/", ""));
      }
    } catch (const StudyPairingError& error) {
      // Every run skipped: no run to do.
      EXPECT_EQ(std::string(error.what()).rfind("no run to do", 0), 0U) << error.what();
    }
    EXPECT_EQ(skipped, c.skipped);
  }
}

}  // namespace
}  // namespace duv
