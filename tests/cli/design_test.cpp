// The design command, run as a process on events files in a fresh folder.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "design/file_system.h"
#include "design/sdm_reader.h"
#include "design/text.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

using testing::ProcessResult;

class DesignCommandTest : public ::testing::Test {
 protected:
  DesignCommandTest() {
    for (const char* name : {"07_poly_slice_ref", "09_nilearn_edges", "01_block"}) {
      testing::writeText(dir_.file(std::string(name) + ".tsv"),
                         testing::readText(testing::sourceDir() + "/tests/reference/events/" +
                                           name + ".events.tsv"));
    }
  }

  ProcessResult run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), DUVENDAL_TOOL);
    return testing::runProcess(arguments, dir_.path().string());
  }

  testing::TempDir dir_;
};

TEST_F(DesignCommandTest, BuildsTheDesignNilearnBuilds) {
  const auto result = run({"design", "07_poly_slice_ref.tsv", "--tr", "2.5", "--volumes", "30",
                           "--hrf", "glover + derivative", "--drift", "polynomial", "--drift-order",
                           "3", "--slice-time-ref", "0.5", "--out", "d.sdm"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "Duvendal>  Saved d.sdm\n");
  const auto design = readSdmFile(dir_.file("d.sdm"), realFileSystem());
  const auto expected =
      splitLines(testing::readText(testing::sourceDir() +
                                   "/tests/reference/events/07_poly_slice_ref.design.tsv"),
                 '\n');
  EXPECT_EQ(design.predictorNames, splitLines(expected[0], '\t'));
  EXPECT_EQ(design.firstConfoundPredictor.value, 7);  // drifts and the constant are confounds
  EXPECT_TRUE(design.includesConstant.value);
  ASSERT_EQ(design.nrOfDataPoints.value, 30);
  for (std::size_t t = 0; t < 30; ++t) {
    const auto row = splitLines(expected[t + 1], '\t');
    for (std::size_t c = 0; c < row.size(); ++c) {
      EXPECT_NEAR(design.values[c][t], std::stod(row[c]), 1e-6) << design.predictorNames[c];
    }
  }
}

// The design goes to the packages as a merged design does: its .sdm and, beside it, each export.
TEST_F(DesignCommandTest, ExportsTheDesignBesideItsSdmFile) {
  const auto result = run({"design", "07_poly_slice_ref.tsv", "--tr", "2.5", "--volumes", "30",
                           "--out", "d.sdm", "--export", "tsv,fsl"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err,
            "Duvendal>  Saved d.sdm\nDuvendal>  Saved d.tsv\nDuvendal>  Saved d.json\n"
            "Duvendal>  Saved d_fsl.txt\n");
  const auto tsv = splitLines(testing::readText(dir_.file("d.tsv")), '\n');
  const auto design = readSdmFile(dir_.file("d.sdm"), realFileSystem());
  EXPECT_EQ(splitLines(tsv[0], '\t'), design.predictorNames);
  EXPECT_EQ(run({"design", "07_poly_slice_ref.tsv", "--tr", "2.5", "--volumes", "30", "--out",
                 "e.sdm", "--export", "stata"})
                .exitCode,
            64);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("e.sdm")));
}

// Every usage error exits 64 with its message; faults of the events exit 1 naming the place;
// warnings are logged and the design saved.
TEST_F(DesignCommandTest, RefusesWhatItCannotBuildAndWarnsAboutDoubtfulEvents) {
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string err;
  };
  const std::string usageEnd = "\nRun 'duvendal --help' for more information.\n";
  // 01_block.tsv at TR 2 and 20 volumes, unless `more` says otherwise.
  const auto with = [](std::vector<std::string> more, const char* tr = "2",
                       const char* volumes = "20") {
    std::vector<std::string> arguments{"design", "01_block.tsv", "--tr", tr, "--volumes", volumes};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
  };
  const Case cases[] = {
      {{"design", "01_block.tsv", "--volumes", "20"}, 64, "Error: --tr is required" + usageEnd},
      {{"design", "01_block.tsv", "--tr", "2"}, 64, "Error: --volumes is required" + usageEnd},
      {with({}, "0"), 64,
       "Error: --tr: the repetition time is a number of seconds above 0" + usageEnd},
      {with({}, "2", "1"), 64,
       "Error: --volumes: a design from events has 2 volumes or more" + usageEnd},
      {with({"--hrf", "gamma"}), 64,
       "Error: --hrf: unknown response model \"gamma\": glover, spm, glover+derivative, "
       "spm+derivative, glover+derivative+dispersion, spm+derivative+dispersion, fir or none" +
           usageEnd},
      {with({"--fir-delays", "0,1"}), 64, "Error: --fir-delays: only with --hrf fir" + usageEnd},
      {with({"--hrf", "fir", "--fir-delays", "0,x"}), 64,
       "Error: --fir-delays: \"x\" is not a whole number of volumes, 0 or more" + usageEnd},
      {with({"--hrf", "fir", "--fir-delays", "2,2"}), 64,
       "Error: --fir-delays: 2 is given twice" + usageEnd},
      {with({"--drift", "linear"}), 64,
       "Error: --drift: \"linear\" is none of cosine, polynomial and none" + usageEnd},
      {with({"--drift", "none", "--high-pass", "0.01"}), 64,
       "Error: --high-pass: only with --drift cosine" + usageEnd},
      {with({"--drift-order", "2"}), 64,
       "Error: --drift-order: only with --drift polynomial" + usageEnd},
      {with({"--slice-time-ref", "1.5"}), 64,
       "Error: --slice-time-ref: a fraction of the repetition time, from 0 to 1" + usageEnd},
      {with({"--min-onset", "2"}), 64,
       "Error: --min-onset: 0 or less: the seconds before the first volume that events count" +
           usageEnd},
      {with({"--conditions", "a,,b"}), 64,
       "Error: --conditions: an empty name in \"a,,b\"" + usageEnd},
      {with({"--out", "d.txt"}), 64, "Error: --out: a design file's name ends in .sdm" + usageEnd},
      {with({"--conditions", "cue"}), 1,
       "Error: 01_block.tsv: no condition cue (its conditions: block)\n"},
      {with({"--out", "01_block.tsv.sdm"}, "2", "2"), 0,
       "Duvendal>  Warning: 01_block.tsv: block: 1 event starts after the run's end (4 s, 2 "
       "volumes): left out of the design\n"
       "Duvendal>  Warning: 01_block.tsv: column block is 0 in every volume\n"
       "Duvendal>  Saved 01_block.tsv.sdm\n"},
      {{"design", "09_nilearn_edges.tsv", "--tr", "2", "--volumes", "20"},
       1,
       "Error: 09_nilearn_edges.tsv, line 6, column modulation: no value (\"n/a\")\n"},
      {{"design", "missing.tsv", "--tr", "2", "--volumes", "20"},
       1,
       "Error: Failed opening for reading: missing.tsv\n"},
      {with({"-q"}), 0, ""},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const auto& argument : c.arguments) shown += argument + " ";
    const auto result = run(c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << shown;
    EXPECT_EQ(result.err, c.err) << shown;
  }
  EXPECT_TRUE(std::filesystem::exists(dir_.file("01_block.sdm")));  // beside the events
}

TEST_F(DesignCommandTest, WarnsAboutEventsOutsideTheRun) {
  testing::writeText(dir_.file("e.tsv"),
                     "onset\tduration\ttrial_type\n-40\t2\tcue\n4\t2\tcue\n4\t2\tcue\n50\t1\tcue\n"
                     "9\t1\tn/a\n");
  const auto result = run({"design", "e.tsv", "--tr", "2", "--volumes", "20"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err,
            "Duvendal>  Warning: e.tsv: line 6 without a trial_type: left out of the design\n"
            "Duvendal>  Warning: e.tsv: lines 3 and 4 are the same event (cue at 4 s for 2 s): "
            "one event of their summed amplitudes\n"
            "Duvendal>  Warning: e.tsv: cue: 1 event starts before the minimum onset (-24 s): "
            "clipped to it, it still drives the first volumes\n"
            "Duvendal>  Warning: e.tsv: cue: 1 event starts after the run's end (40 s, 20 "
            "volumes): left out of the design\n"
            "Duvendal>  Saved e.sdm\n");
}

}  // namespace
}  // namespace duv
