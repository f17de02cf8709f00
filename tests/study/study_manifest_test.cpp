#include "study/study_manifest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "design/errors.h"
#include "design/file_system.h"
#include "design/paths.h"
#include "design/text.h"
#include "tests/support/expect_error.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

using Texts = std::vector<std::string>;
using namespace std::string_literals;

const std::string kManifest = "m/study.tsv";

// "line: primary + confound + confound -> output"
Texts describe(const StudyManifest& manifest) {
  Texts runs;
  for (std::size_t r = 0; r < manifest.runs.size(); ++r) {
    const auto& run = manifest.runs[r];
    EXPECT_TRUE(run.fields.empty());
    EXPECT_EQ(run.name, fileNameOf(run.primary, PathStyle::native));
    runs.push_back(std::to_string(manifest.lines[r]) + ": " + run.primary + " + " +
                   joined(run.confounds, " + ") + " -> " +
                   (run.outputFolder.empty() ? "." : run.outputFolder));
  }
  return runs;
}

TEST(StudyManifestTest, ManifestsListTheirRunsWithPathsFromTheirFolder) {
  struct Case {
    std::string text;
    Texts runs;
  };
  const Case cases[] = {
      // Columns in any order; confounds in the header's order, empty cells left out.
      {"output\tconfounds_motion\tprimary\tconfounds\n"
       "s1\tsub-01/rp.txt\tsub-01/r1.sdm\tsub-01/c.tsv\n"
       "\t\tsub-02/r1.sdm\tsub-02/c.tsv\n"
       "s3/a/\tsub-03/rp.txt\tsub-03/r1.sdm\t\n",
       {"2: m/sub-01/r1.sdm + m/sub-01/rp.txt + m/sub-01/c.tsv -> s1",
        "3: m/sub-02/r1.sdm + m/sub-02/c.tsv -> sub-02",
        "4: m/sub-03/r1.sdm + m/sub-03/rp.txt -> s3/a"}},
      // CR LF, a byte order mark, blank lines before the header and between runs, no last line end.
      {"\xEF\xBB\xBF\r\n \t\r\nprimary\tconfounds\r\nr1.sdm\tc1.tsv\r\n\r\n\t\r\nr2.sdm\tc2.tsv",
       {"4: m/r1.sdm + m/c1.tsv -> .", "7: m/r2.sdm + m/c2.tsv -> ."}},
      {"primary\tconfounds\toutput\n./a/../b/r.sdm\tc.tsv\t\na/r.sdm\tc.tsv\ta/./b/\nb/"
       "r2.sdm\tc.tsv\t.\n",
       {"2: m/./a/../b/r.sdm + m/c.tsv -> b", "3: m/a/r.sdm + m/c.tsv -> a/b",
        "4: m/b/r2.sdm + m/c.tsv -> ."}},
      // Rooted paths stay as written.
      {"primary\tconfounds\toutput\n/data/s1/r.sdm\t/data/s1/c.tsv\ts1\n/data/s2/"
       "r.sdm\tc.tsv\ts2\n",
       {"2: /data/s1/r.sdm + /data/s1/c.tsv -> s1", "3: /data/s2/r.sdm + m/c.tsv -> s2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(describe(parseStudyManifest(c.text, kManifest, realFileSystem())), c.runs);
  }
  // Beside a manifest in the current folder, paths are as written.
  EXPECT_EQ(describe(parseStudyManifest("primary\tconfounds\nx/r.sdm\tc.tsv\n", "study.tsv",
                                        realFileSystem())),
            Texts{"2: x/r.sdm + c.tsv -> x"});
}

TEST(StudyManifestTest, MalformedManifestsAreRefusedNamingTheLine) {
  struct Case {
    std::string text;
    std::string message;
  };
  // Messages after the manifest's name.
  const std::string header = "primary\tconfounds\toutput\n";
  const Case cases[] = {
      {"\n \t\r\n", ": empty; expected a header line naming the columns primary and confounds"},
      {header, ": no run follows the header"},
      {"confounds\toutput\n", ", line 1: no column 'primary'"},
      {"\nprimary\toutput\n", ", line 2: no column whose name begins with 'confounds'"},
      {"primary\tconfounds\tconfounds\n", ", line 1: column 'confounds' appears twice"},
      {"primary\tconfounds\tprimary\n", ", line 1: column 'primary' appears twice"},
      {"primary\tconfounds\t\n",
       ", line 1: unknown column '' (the columns are primary, confounds..., output, contrasts, "
       "and fields named by letters, digits and '_')"},
      {"primary\tconfounds\0\n"s, ", line 1: a NUL byte in the header"},
      {header + "a.sdm\tc.tsv\n", ", line 2: 2 cells where the header has 3"},
      {header + "a.sdm\n", ", line 2: 1 cell where the header has 3"},
      {header + "a\0.sdm\tc.tsv\t\n"s, ", line 2: a NUL byte in column 'primary'"},
      {header + "\tc.tsv\tx\n", ", line 2: the primary is empty"},
      {"primary\tconfounds\tconfounds2\na.sdm\t\t\n",
       ", line 2: no confounds (a run needs at least one)"},
      {header + "a/r.sdm\tc.tsv\t\n\nb/../a/r.sdm\tc.tsv\tx\n",
       ", line 4: primary 'b/../a/r.sdm' is listed again (first on line 2)"},
      {header + "a.sdm\tc.tsv\t../x\n",
       ", line 2: output '../x' leads out of the study's output folder"},
      {header + "a.sdm\tc.tsv\t/x\n",
       ", line 2: output '/x' leads out of the study's output folder"},
      {header + "../a.sdm\tc.tsv\t\n",
       ", line 2: primary '../a.sdm' lies outside the manifest's folder; give its run an 'output' "
       "folder"},
      {header + "/elsewhere/a.sdm\tc.tsv\t\n",
       ", line 2: primary '/elsewhere/a.sdm' lies outside the manifest's folder; give its run an "
       "'output' folder"},
      {header + "a/r.sdm\tc.tsv\tx\nb/r.sdm\tc.tsv\tx\n",
       ", line 3: output folder 'x' already has a run named 'r.sdm' (line 2)"},
      {header + "r.sdm\tc.tsv\t\nb/r.sdm\tc.tsv\t.\n",
       ", line 3: output folder '.' already has a run named 'r.sdm' (line 2)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    testing::expectError<std::runtime_error>(
        [&] { parseStudyManifest(c.text, kManifest, realFileSystem()); }, kManifest + c.message);
  }
}

// Every error parseStudyManifest documents.
const std::regex kDocumentedError(
    "m/study\\.tsv: (empty; expected a header line naming the columns primary and confounds|"
    "no run follows the header)|"
    "m/study\\.tsv, line [0-9]+: (no column 'primary'|"
    "no column whose name begins with 'confounds'|"
    "column '[\\s\\S]*' appears twice|"
    "unknown column '[\\s\\S]*' \\(the columns are primary, confounds\\.\\.\\., output, "
    "contrasts, and fields named by letters, digits and '_'\\)|"
    "'[\\s\\S]*' in column '[\\s\\S]*' is not a label \\(letters and digits\\)|"
    "[0-9]+ cells? where the header has [0-9]+|"
    "a NUL byte in column '[\\s\\S]*'|a NUL byte in the header|"
    "the primary is empty|"
    "no confounds \\(a run needs at least one\\)|"
    "primary '[\\s\\S]*' is listed again \\(first on line [0-9]+\\)|"
    "output '[\\s\\S]*' leads out of the study's output folder|"
    "primary '[\\s\\S]*' lies outside the manifest's folder; give its run an 'output' folder|"
    "output folder '[\\s\\S]*' already has a run named '[\\s\\S]*' \\(line [0-9]+\\))");

// A damaged manifest gives runs that keep the manifest's promises, or a documented error.
void expectRunsOrDocumentedError(const std::string& text) {
  try {
    const auto manifest = parseStudyManifest(text, kManifest, realFileSystem());
    ASSERT_FALSE(manifest.runs.empty());
    ASSERT_EQ(manifest.lines.size(), manifest.runs.size());
    for (const auto& run : manifest.runs) {
      EXPECT_FALSE(run.primary.empty());
      EXPECT_EQ(run.name, fileNameOf(run.primary, PathStyle::native));
      ASSERT_FALSE(run.confounds.empty());
      for (const auto& confound : run.confounds) EXPECT_FALSE(confound.empty());
      std::string normal;
      EXPECT_TRUE(normalOutputFolder(run.outputFolder, normal));
      EXPECT_EQ(normal, run.outputFolder);
    }
  } catch (const std::runtime_error& error) {
    EXPECT_TRUE(std::regex_match(std::string(error.what()), kDocumentedError)) << error.what();
  }
}

TEST(StudyManifestTest, DamagedManifestsGiveRunsOrADocumentedError) {
  const std::string valid =
      "primary\tconfounds_table\tconfounds_motion\toutput\r\n"
      "sub-01/func/r1.sdm\tsub-01/c1.tsv\tsub-01/rp.txt\t\r\n"
      "\r\n"
      "sub-01/func/r2.sdm\tsub-01/c2.tsv\t\ts1/r2\r\n"
      "/data/sub-02/r1.sdm\t/data/sub-02/c1.tsv\tsub-02/rp.txt\tsub-02\r\n";
  ASSERT_EQ(parseStudyManifest(valid, kManifest, realFileSystem()).runs.size(), 3u);
  for (std::size_t length = 0; length <= valid.size(); ++length) {
    SCOPED_TRACE("cut at " + std::to_string(length));
    expectRunsOrDocumentedError(valid.substr(0, length));
  }
  const char replacements[] = {'\t', '\n', '\r', '\0', '/', '.', ' ', '\xff'};
  for (std::size_t at = 0; at < valid.size(); ++at) {
    for (const char replacement : replacements) {
      SCOPED_TRACE("byte " + std::to_string(at) + " replaced by " +
                   std::to_string(static_cast<unsigned char>(replacement)));
      std::string damaged = valid;
      damaged[at] = replacement;
      expectRunsOrDocumentedError(damaged);
      damaged[at] = static_cast<char>(valid[at] ^ 0x20);
      expectRunsOrDocumentedError(damaged);
    }
  }
  // Each line dropped.
  const auto lines = splitLines(valid, '\n');
  for (std::size_t dropped = 0; dropped < lines.size(); ++dropped) {
    std::string damaged;
    for (std::size_t l = 0; l < lines.size(); ++l) {
      if (l != dropped) damaged += lines[l] + "\n";
    }
    SCOPED_TRACE("line " + std::to_string(dropped + 1) + " dropped");
    expectRunsOrDocumentedError(damaged);
  }
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

TEST(StudyManifestTest, AManifestsFilesMustBeThere) {
  testing::TempDir dir;
  const std::string folder = dir.path().string() + "/";
  for (const char* file :
       {"s1/r.sdm", "s1/c.tsv", "s2/r.sdm", "s3/r.sdm", "s3/c.tsv", "s3/p.txt"}) {
    std::filesystem::create_directories((dir.path() / file).parent_path());
    testing::writeText(dir.file(file), "");
  }
  std::filesystem::create_directories(dir.path() / "s2/c.tsv");
  const std::string manifest = dir.file("study.tsv");
  testing::writeText(manifest,
                     "primary\tconfounds\tconfounds_motion\ns1/r.sdm\ts1/c.tsv\t\n"
                     "s2/r.sdm\ts2/c.tsv\t\n" +
                         folder +
                         "s3/r.sdm\ts3/c.tsv\ts3/p.txt\n"
                         "s4/r.sdm\ts4/c.tsv\ts3/p.txt\n");
  const std::string problems =
      "study.tsv, line 3: s2/c.tsv: not a file\nstudy.tsv, line 5: s4/r.sdm: no such file\n"
      "study.tsv, line 5: s4/c.tsv: no such file";
  // What the pairing gives, paths in the manifest's folder relative to it.
  const auto pairingText = [&](const PairingOptions& options) {
    std::string text;
    try {
      const auto pairing = pairStudyManifest(manifest, options, realFileSystem());
      for (const auto& run : pairing.runs) {
        text +=
            run.primary + " + " + joined(run.confounds, " + ") + " -> " + run.outputFolder + "\n";
      }
      for (const auto& problem : pairing.problems) text += problem.message + "\n";
    } catch (const StudyPairingError& error) {
      text = error.what();
      EXPECT_EQ(error.problems().front().kind, PairingProblemKind::missingFile);
    }
    return replaced(text, folder, "");
  };
  PairingOptions options;
  EXPECT_EQ(pairingText(options), "the study's files do not pair (3 problems):\n" + problems);
  options.allowMissing = true;
  // A rooted primary inside the manifest's folder has its folder there as its output folder.
  EXPECT_EQ(pairingText(options),
            "s1/r.sdm + s1/c.tsv -> s1\ns3/r.sdm + s3/c.tsv + s3/p.txt -> s3\n" + problems + "\n");
  // The runs left out, with what they lack and their places among the others.
  std::string skipped;
  for (const auto& run : pairStudyManifest(manifest, options, realFileSystem()).skipped) {
    skipped += run.plan.name + " @" + std::to_string(run.before) + " -> " + run.plan.outputFolder +
               ": " + replaced(run.why, folder, "") + "\n";
  }
  EXPECT_EQ(skipped,
            "r.sdm @1 -> s2: s2/c.tsv: not a file\n"
            "r.sdm @2 -> s4: s4/r.sdm: no such file; s4/c.tsv: no such file\n");

  options.only = parseRunSelection({"sub=01"});
  testing::expectError<std::invalid_argument>(
      [&] { pairStudyManifest(manifest, options, realFileSystem()); },
      "--only 'sub=01': the manifest has no field sub (it has none)");
  options.only = {};
  testing::expectError<OpenFileError>(
      [&] { pairStudyManifest(folder + "none.tsv", options, realFileSystem()); },
      "Failed opening for reading: " + folder + "none.tsv");
  testing::writeText(manifest, "primary\tconfounds\ns9/r.sdm\ts1/c.tsv\n");
  EXPECT_EQ(pairingText(options),
            "no run to do (1 problem):\nstudy.tsv, line 2: s9/r.sdm: no such file");
}

// A manifest's other columns are fields, and its `contrasts` column names a run's own contrasts.
TEST(StudyManifestTest, OtherColumnsAreFieldsAndContrastsNameARunsOwnFile) {
  const auto manifest = parseStudyManifest(
      "primary\tsub\tconfounds\tcontrasts\ttask_2\n"
      "a/r.sdm\t01\tc.tsv\tcon/f.tsv\tfaces\n"
      "b/r.sdm\t02\tc.tsv\t\t\n",
      kManifest, realFileSystem());
  EXPECT_EQ(joined(manifest.fields, " "), "sub task_2");
  ASSERT_EQ(manifest.runs.size(), 2U);
  const auto fieldsOf = [](const RunPlan& run) {
    Texts fields;
    for (const auto& [name, value] : run.fields) fields.push_back(name + "=" + value);
    return joined(fields, " ");
  };
  EXPECT_EQ(fieldsOf(manifest.runs[0]), "sub=01 task_2=faces");
  EXPECT_EQ(fieldsOf(manifest.runs[1]), "sub=02 task_2=");
  EXPECT_EQ(manifest.runs[0].contrastsFile, "m/con/f.tsv");
  EXPECT_EQ(manifest.runs[1].contrastsFile, "");

  const std::pair<std::string, const char*> refused[] = {
      {"primary\tconfounds\ta b\nr.sdm\tc.tsv\tx\n",
       ", line 1: unknown column 'a b' (the columns are primary, confounds..., output, contrasts, "
       "and fields named by letters, digits and '_')"},
      {"primary\tconfounds\tsub\nr.sdm\tc.tsv\tsub-01\n",
       ", line 2: 'sub-01' in column 'sub' is not a label (letters and digits)"},
      {"primary\tconfounds\tsub\nr.sdm\tc.tsv\t01 \n",
       ", line 2: '01 ' in column 'sub' is not a label (letters and digits)"},
      {"primary\tconfounds\tcontrasts\tcontrasts\nr.sdm\tc.tsv\t\t\n",
       ", line 1: column 'contrasts' appears twice"},
  };
  for (const auto& [text, message] : refused) {
    SCOPED_TRACE(text);
    testing::expectError<std::runtime_error>(
        [&] { parseStudyManifest(text, kManifest, realFileSystem()); }, kManifest + message);
  }
}

// --only selects among a manifest's runs by its fields; a run's contrasts file must be there and
// is read once, for the runs kept.
TEST(StudyManifestTest, OnlySelectsByTheManifestsFieldsAndEachRunGetsItsContrasts) {
  testing::TempDir dir;
  const std::string folder = dir.path().string() + "/";
  for (const char* file : {"s1/r.sdm", "s2/r.sdm", "s3/r.sdm", "c.tsv"}) {
    std::filesystem::create_directories((dir.path() / file).parent_path());
    testing::writeText(dir.file(file), "");
  }
  testing::writeText(dir.file("faces.tsv"),
                     "task\tname\texpression\nfaces\tmain\tA - B\nmotor\tmain\tC - D\n");
  const std::string manifest = dir.file("study.tsv");
  testing::writeText(manifest,
                     "primary\tconfounds\tsub\ttask\tcontrasts\n"
                     "s1/r.sdm\tc.tsv\t01\tfaces\tfaces.tsv\n"
                     "s2/r.sdm\tc.tsv\t02\tmotor\tfaces.tsv\n"
                     "s3/r.sdm\tc.tsv\t03\tfaces\tnone.tsv\n");
  // Each run kept: "primary [fields] contrasts file: its contrasts", then the problems.
  const auto pairingText = [&](const std::vector<std::string>& only, bool allowMissing) {
    PairingOptions options;
    options.only = parseRunSelection(only);
    options.allowMissing = allowMissing;
    std::string text;
    try {
      const auto pairing = pairStudyManifest(manifest, options, realFileSystem());
      EXPECT_EQ(joined(pairing.fields, " "), "sub task");
      for (const auto& run : pairing.runs) {
        Texts fields;
        for (const auto& [name, value] : run.fields) fields.push_back(name + "=" + value);
        text += run.primary + " [" + joined(fields, " ") + "] " + run.contrastsFile + ":";
        for (const auto& contrast : *run.contrasts) text += " " + contrast.name;
        text += "\n";
      }
      for (const auto& problem : pairing.problems) text += problem.message + "\n";
    } catch (const std::exception& error) {
      text = error.what();
    }
    return replaced(text, folder, "");
  };
  EXPECT_EQ(pairingText({"sub=01,02"}, false),
            "s1/r.sdm [sub=01 task=faces] faces.tsv: main main\n"
            "s2/r.sdm [sub=02 task=motor] faces.tsv: main main\n");
  EXPECT_EQ(pairingText({"task=faces"}, true),
            "s1/r.sdm [sub=01 task=faces] faces.tsv: main main\n"
            "study.tsv, line 4: none.tsv: no such file\n");
  EXPECT_EQ(
      pairingText({"task=faces"}, false),
      "the study's files do not pair (1 problem):\nstudy.tsv, line 4: none.tsv: no such file");
  EXPECT_EQ(pairingText({"sub=9"}, false), "no run to do: --only keeps none of the 3 runs listed");
  EXPECT_EQ(pairingText({"ses=1"}, false),
            "--only 'ses=1': the manifest has no field ses (it has sub, task)");
  // A contrasts file's field columns are the manifest's.
  testing::writeText(dir.file("faces.tsv"), "ses\tname\texpression\n1\tmain\tA - B\n");
  EXPECT_EQ(pairingText({"sub=01"}, false),
            "faces.tsv: column \"ses\" names no field of the study (it has sub, task)");
}

}  // namespace
}  // namespace duv
