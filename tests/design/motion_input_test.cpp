#include "design/motion_input.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "design/confound_table.h"
#include "design/design_matrix.h"
#include "design/sdm_writer.h"
#include "numerics/framewise_displacement.h"
#include "numerics/motion_summary.h"
#include "tests/support/expect_error.h"
#include "tests/support/memory_file_system.h"

namespace duv {
namespace {

using testing::expectError;

// Five volumes of known motion: three translations (mm), then three rotations (rad).
const double kMotion[5][6] = {
    {0, 0, 0, 0, 0, 0},
    {0.1, 0, 0, 0, 0, 0},
    {0.1, -0.2, 0.05, 0.002, 0, 0},
    {0.1, -0.2, 0.05, 0.002, -0.001, 0},
    {-0.3, 0, 0, 0, 0, 0.004},
};
// By hand, |Δtranslations| + 50 |Δrotations|: 0.1; 0.2 + 0.05 + 50 * 0.002; 50 * 0.001;
// 0.4 + 0.2 + 0.05 + 50 * (0.002 + 0.001 + 0.004).
const std::vector<double> kDisplacement = {0, 0.1, 0.35, 0.05, 1.0};
constexpr double kDegreesPerRadian = 180 / 3.14159265358979323846;

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

// A text file or table: `header`, then per volume the parameters in the order of `pick`
// (indexes into kMotion's rows; -1 stands for a column holding 9), rotations in degrees with
// `degrees`.
std::string rows(const std::string& header, const std::vector<int>& pick, bool degrees,
                 const char* separator) {
  std::string text = header;
  for (const auto& volume : kMotion) {
    for (std::size_t k = 0; k < pick.size(); ++k) {
      const int p = pick[k];
      const double value = p < 0 ? 9 : volume[p] * (degrees && p >= 3 ? kDegreesPerRadian : 1);
      text += (k == 0 ? "" : separator) + number(value);
    }
    text += '\n';
  }
  return text;
}

// The host's motion design between a task predictor and a constant, as a merge leaves it.
std::string sdmText(const std::string& translationLabel, const std::string& rotationUnit) {
  DesignMatrix m;
  m.nrOfPredictors.value = 8;
  m.nrOfDataPoints.value = 5;
  m.firstConfoundPredictor.value = 2;
  m.colorRed = m.colorGreen = m.colorBlue = std::vector<std::int32_t>(8, 255);
  m.predictorNames = {"Task"};
  for (const char* axis : {"X", "Y", "Z"})
    m.predictorNames.push_back(translationLabel + axis + " [mm]");
  for (const char* axis : {"X", "Y", "Z"})
    m.predictorNames.push_back("Rotation " + std::string(axis) + rotationUnit);
  m.predictorNames.emplace_back("Constant");
  m.values.assign(8, std::vector<float>(5, 1.0F));
  for (std::size_t t = 0; t < 5; ++t) {
    for (std::size_t p = 0; p < 6; ++p) {
      const double scale = p >= 3 && rotationUnit == " [deg]" ? kDegreesPerRadian : 1;
      m.values[1 + p][t] = static_cast<float>(kMotion[t][p] * scale);
    }
  }
  std::ostringstream out;
  writeSdm(m, out);
  return out.str();
}

const std::string kPar = rows("", {3, 4, 5, 0, 1, 2}, false, "  ");

// As 3dvolreg -dfile writes it: each 1d row after its volume's index (counted from `first`),
// followed by `fit`.
std::string dfile(int first, const std::string& fit) {
  const auto plain = rows("", {5, 3, 4, 2, 0, 1}, true, " ");
  std::string text;
  int index = first;
  for (std::size_t start = 0; start < plain.size();) {
    const auto end = plain.find('\n', start);
    text += std::to_string(index++) + "  " + plain.substr(start, end - start) + fit + "\n";
    start = end + 1;
  }
  return text;
}
const std::string kTable =
    rows("rot_z\ttrans_x\ttrans_y\tframewise_displacement\trot_x\ttrans_z\trot_y\tdvars\n",
         {5, 0, 1, -1, 3, 2, 4, -1}, false, "\t");

// Each layout's file, written from the known motion, gives the displacement computed by hand
// (to 1e-5 mm: SDM text holds six decimals, and the readers single precision); skipped volumes
// drop the first rows of every layout but the design's.
TEST(MotionInputTest, EveryLayoutGivesTheDisplacementComputedByHand) {
  struct Case {
    std::string path;
    MotionLayout layout;
    std::string text;
    std::size_t skip;
    std::vector<double> expected;
    std::size_t skipLast = 0;
  };
  const std::vector<double> afterTwo = {0, 0.05, 1.0};
  const std::string fd = "framewise_displacement";
  const Case cases[] = {
      {"mc.par", MotionLayout::par, kPar, 0, kDisplacement},
      {"rp.txt", MotionLayout::txt, rows("# mm, rad\n", {0, 1, 2, 3, 4, 5}, false, " "), 0,
       kDisplacement},
      {"m.1D", MotionLayout::afni1D, rows("", {5, 3, 4, 2, 0, 1}, true, "\t"), 0, kDisplacement},
      {"c.tsv", MotionLayout::table, kTable, 0, kDisplacement},
      {"deg.sdm", MotionLayout::sdm, sdmText("Translation ", " [deg]"), 0, kDisplacement},
      {"rad.sdm", MotionLayout::sdm, sdmText("Translation XY-", " [rad]"), 0, kDisplacement},
      {"par_named.txt", MotionLayout::par, kPar, 0, kDisplacement},
      {"mc.par", MotionLayout::par, kPar, 2, afterTwo},
      {"c.tsv", MotionLayout::table, kTable, 2, afterTwo},
      {"deg.sdm", MotionLayout::sdm, sdmText("Translation ", " [deg]"), 2, kDisplacement},
      // Without all six parameter columns, the framewise_displacement column: its leading n/a
      // as 0, and 0 at the first volume kept.
      {"fd.tsv",
       MotionLayout::table,
       fd + "\tdvars\nn/a\tn/a\n0.25\tn/a\n0.5\t3\n",
       0,
       {0, 0.25, 0.5}},
      {"fd.tsv",
       MotionLayout::table,
       "trans_x\t" + fd + "\n0\tn/a\n.1\tn/a\n.2\t.75\n",
       0,
       {0, 0, 0.75}},
      {"fd.tsv", MotionLayout::table, fd + "\nn/a\n0.25\n0.5\n0.125\n", 1, {0, 0.5, 0.125}},
      // 3dvolreg -dfile: the index, the six of a 1d file, then two or three measures of fit.
      {"d.1D", MotionLayout::afni1D, dfile(0, " 88.46 87.39"), 0, kDisplacement},
      {"d.1D", MotionLayout::afni1D, dfile(0, " 88.46 87.39 0.5"), 0, kDisplacement},
      {"d.1D", MotionLayout::afni1D, dfile(4, " 88.46 87.39"), 2, afterTwo},
      // The last rows dropped, from every layout but the design's.
      {"mc.par", MotionLayout::par, kPar, 0, {0, 0.1, 0.35, 0.05}, 1},
      {"c.tsv", MotionLayout::table, kTable, 1, {0, 0.35}, 2},
      {"fd.tsv", MotionLayout::table, fd + "\nn/a\n0.25\n0.5\n0.125\n", 0, {0, 0.25}, 2},
      {"deg.sdm", MotionLayout::sdm, sdmText("Translation ", " [deg]"), 0, kDisplacement, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + ", skipping " + std::to_string(c.skip));
    const auto input = readMotionInput(c.text, c.path, c.layout, c.skip, c.skipLast);
    EXPECT_EQ(input.fileName, c.path);
    EXPECT_EQ(input.volumes, c.expected.size());
    EXPECT_EQ(input.parameters.empty(), c.path == "fd.tsv");
    const auto displacement = framewiseDisplacement(input);
    ASSERT_EQ(displacement.size(), c.expected.size());
    for (std::size_t t = 0; t < c.expected.size(); ++t) {
      EXPECT_NEAR(displacement[t], c.expected[t], 1e-5) << "volume " << t + 1;
    }
  }
}

// The pipelines' column follows the same definition: a random walk's parameters, read in
// single precision, give it back to 1e-4 mm.
TEST(MotionInputTest, ATablesParametersGiveItsFramewiseDisplacementColumn) {
  std::string text = "framewise_displacement\ttrans_x\ttrans_y\ttrans_z\trot_x\trot_y\trot_z\n";
  double now[6] = {};
  unsigned state = 12345;
  for (int t = 0; t < 300; ++t) {
    double displacement = 0;
    std::string row;
    for (int k = 0; k < 6 && t > 0; ++k) {
      state = state * 1103515245U + 12345U;
      const double step = (static_cast<double>((state >> 8) % 2001) / 1000 - 1) *
                          (k < 3 ? 0.08 : 0.0015);  // -1 ... 1 of the parameter's scale
      now[k] += step;
      displacement += std::abs(step) * (k < 3 ? 1 : 50);
    }
    text += t == 0 ? "n/a" : number(displacement);
    for (const double value : now) text += '\t' + number(value);
    text += '\n';
  }
  const auto computed =
      framewiseDisplacement(readMotionInput(text, "c.tsv", MotionLayout::table, 0));
  const auto column = readConfoundTable(text, "c.tsv").columns[0];
  ASSERT_EQ(computed.size(), 300U);
  EXPECT_EQ(computed[0], 0.0);
  for (std::size_t t = 1; t < computed.size(); ++t) {
    EXPECT_NEAR(computed[t], column[t], 1e-4) << "volume " << t + 1;
  }
}

TEST(MotionInputTest, InputsWithoutMotionParametersAreErrorsNamingTheFileAndWhatIsMissing) {
  struct Case {
    std::string path;
    MotionLayout layout;
    std::string text;
    std::size_t skip;
    std::string message;
    std::size_t skipLast = 0;
  };
  const std::string names =
      ": no motion parameters: expected three predictors named \"Translation ... [mm]\", then "
      "three named \"Rotation ... [deg]\" or \"Rotation ... [rad]\"; found ";
  const std::string six = "trans_x\ttrans_y\ttrans_z\trot_x\trot_y\trot_z\n";
  auto withRotationFirst = sdmText("Translation ", " [rad]");
  withRotationFirst.replace(withRotationFirst.find("Task"), 4, "Rotation T [rad]");
  const std::string header =
      "FileVersion: 1\nNrOfPredictors: 1\nNrOfDataPoints: 1\nIncludesConstant: 0\n"
      "FirstConfoundPredictor: 2\n\n";
  auto withoutPoints = sdmText("Translation ", " [rad]");
  withoutPoints.replace(withoutPoints.find("DataPoints:         5"), 21, "DataPoints:         0");
  withoutPoints.erase(withoutPoints.find("\n  ") + 1);
  const Case cases[] = {
      {"a.sdm", MotionLayout::sdm, sdmText("Shift ", " [deg]"), 0,
       "a.sdm" + names + "\"Rotation X [deg]\", \"Rotation Y [deg]\", \"Rotation Z [deg]\""},
      {"b.sdm", MotionLayout::sdm, withRotationFirst, 0,
       "b.sdm" + names +
           "\"Rotation T [rad]\", \"Translation X [mm]\", \"Translation Y [mm]\", "
           "\"Translation Z [mm]\", \"Rotation X [rad]\", \"Rotation Y [rad]\", "
           "\"Rotation Z [rad]\""},
      {"c.sdm", MotionLayout::sdm, sdmText("Translation ", " [grad]"), 0,
       "c.sdm" + names + "\"Translation X [mm]\", \"Translation Y [mm]\", \"Translation Z [mm]\""},
      {"task.sdm", MotionLayout::sdm, header + "0 0 0\n\"Task\"\n1\n", 0,
       "task.sdm" + names + "none"},
      {"e.sdm", MotionLayout::sdm, withoutPoints, 0,
       "e.sdm: no motion parameters: the design holds no data points"},
      {"mc.par", MotionLayout::par, "1 2 3 4 5\n", 0,
       "mc.par: no motion parameters: a par file holds six columns, three rotations (rad) then "
       "three translations (mm); this one holds 5"},
      {"rp.txt", MotionLayout::txt, "1 2 3 4 5 6 7\n", 0,
       "rp.txt: no motion parameters: a txt file holds six columns, three translations (mm) then "
       "three rotations (rad); this one holds 7"},
      {"m.1D", MotionLayout::afni1D, "1 2 3\n", 0,
       "m.1D: no motion parameters: a 1d file holds six columns, roll, pitch and yaw (degrees) "
       "then three displacements (mm), or nine or ten as 3dvolreg -dfile writes them (the "
       "volume's index first); this one holds 3"},
      {"m.1D", MotionLayout::afni1D, "0 1 2 3 4 5 6 7\n", 0,
       "m.1D: no motion parameters: a 1d file holds six columns, roll, pitch and yaw (degrees) "
       "then three displacements (mm), or nine or ten as 3dvolreg -dfile writes them (the "
       "volume's index first); this one holds 8"},
      {"m.1D", MotionLayout::afni1D, "0 1 2 3 4 5 6 7 8\n1 1 2 3 4 5 6 7 8\n5 1 2 3 4 5 6 7 8\n", 0,
       "m.1D: no motion parameters: a 1d file of 9 columns is read as 3dvolreg -dfile writes it, "
       "the volume's index first, but volume 3 has the index 5 where 2 follows"},
      {"m.1D", MotionLayout::afni1D, "0 1 2 3 4 5 6 7 8 9 10\n1 1 2 3 4 5 6 7 8 9 10\n", 0,
       "m.1D: no motion parameters: a 1d file holds six columns, roll, pitch and yaw (degrees) "
       "then three displacements (mm), or nine or ten as 3dvolreg -dfile writes them (the "
       "volume's index first); this one holds 11"},
      // Nine columns of a par file are no -dfile: only 1d files have that layout.
      {"mc.par", MotionLayout::par, "0 1 2 3 4 5 6 7 8\n", 0,
       "mc.par: no motion parameters: a par file holds six columns, three rotations (rad) then "
       "three translations (mm); this one holds 9"},
      {"c.tsv", MotionLayout::table, "framewise_displacement\nn/a\n0.5\n", 1,
       "c.tsv: skipping 1 first and 1 last volumes leaves none of its 2 rows", 1},
      {"c.tsv", MotionLayout::table, "trans_x\ttrans_y\tdvars\n0\t0\tn/a\n", 0,
       "c.tsv: no motion parameters: the columns trans_z, rot_x, rot_y, rot_z are missing, and "
       "so is framewise_displacement"},
      {"c.tsv", MotionLayout::table, six + "0\t0\t0\t0\t0\t0\n0\tn/a\t0\t0\t0\t0\n", 0,
       "c.tsv, line 3, column trans_y: n/a"},
      {"c.tsv", MotionLayout::table,
       six + "0\t0\t0\t0\t0\t0\n0\t0\t0\t0\t0\t0\nn/a\t0\t0\t0\t0\t0\n", 1,
       "c.tsv, line 4, column trans_x: n/a"},
      {"c.tsv", MotionLayout::table, "framewise_displacement\nn/a\n0.5\nn/a\n", 0,
       "c.tsv, line 4, column framewise_displacement: n/a"},
      {"c.tsv", MotionLayout::table, kTable, 5,
       "c.tsv: skipping 5 volumes leaves none of its 5 rows"},
      {"i.sdm", MotionLayout::sdm,
       "NrOfPredictors: 6\nNrOfDataPoints: 2\nFirstConfoundPredictor: 7\n\"Translation X [mm]\" "
       "\"Translation Y [mm]\" \"Translation Z [mm]\" \"Rotation X [rad]\" \"Rotation Y [rad]\" "
       "\"Rotation Z [rad]\"\n0 0 0 0 0 0\n1 2 3 4 5 inf\n",
       0, "i.sdm, volume 2: a motion value beyond the single-precision range"},
      {"c.tsv", MotionLayout::table, "framewise_displacement\nn/a\n-1\n", 0,
       "c.tsv, line 3, column framewise_displacement: a displacement is never negative"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + ": " + c.text);
    expectError<std::runtime_error>(
        [&] { readMotionInput(c.text, c.path, c.layout, c.skip, c.skipLast); }, c.message);
    // Telling motion inputs among other files: a file without motion parameters is none; every
    // other error is still one.
    if (c.message.find(": no motion parameters: ") != std::string::npos) {
      EXPECT_FALSE(findMotionInput(c.text, c.path, c.layout, c.skip, c.skipLast));
    } else {
      expectError<std::runtime_error>(
          [&] { findMotionInput(c.text, c.path, c.layout, c.skip, c.skipLast); }, c.message);
    }
  }
  EXPECT_TRUE(findMotionInput(kTable, "c.tsv", MotionLayout::table, 0));
}

// A threshold compares the file's own decimals: single precision would make 0.50000001 and
// 0.500000001 the threshold itself, which is not above it.
TEST(MotionInputTest, ATablesDisplacementColumnKeepsTheFilesDecimals) {
  const auto input =
      readMotionInput("framewise_displacement\nn/a\n0.5000001\n0.50000001\n0.5\n0.4999999999\n",
                      "fd.tsv", MotionLayout::table, 0);
  EXPECT_EQ(input.displacementColumn,
            (std::vector<double>{0, 0.5000001, 0.50000001, 0.5, 0.4999999999}));
  MotionSummaryOptions options;
  options.spikeThreshold = 0.5;
  EXPECT_EQ(summarizeMotion(framewiseDisplacement(input), options).flaggedVolumes,
            (std::vector<std::size_t>{1, 2}));
  for (const char* name : {"Translation X [mm]", "Rotation XY-Z [deg]", "Rotation [rad]"}) {
    EXPECT_TRUE(namesMotionParameter(name)) << name;
  }
  for (const char* name : {"Translation X [mm]_derivative1", "Rotation X", "trans_x", ""}) {
    EXPECT_FALSE(namesMotionParameter(name)) << name;
  }
}

TEST(MotionInputTest, LayoutsAreNamedOrToldByTheExtension) {
  struct Case {
    const char* path;
    MotionLayout layout;
  };
  const Case cases[] = {{"d/run1.sdm", MotionLayout::sdm},
                        {"mc.par", MotionLayout::par},
                        {"rp.txt", MotionLayout::txt},
                        {"m.1D", MotionLayout::afni1D},
                        {"c.tsv", MotionLayout::table}};
  for (const auto& c : cases) {
    EXPECT_EQ(motionLayoutOf(c.path), c.layout) << c.path;
    EXPECT_EQ(parseMotionLayout(layoutName(c.layout)), c.layout) << c.path;
    EXPECT_EQ(dropsSkippedVolumes(c.layout), c.layout != MotionLayout::sdm) << c.path;
  }
  expectError<std::invalid_argument>([] { parseMotionLayout("1D"); },
                                     "unknown motion layout \"1D\": one of sdm, par, txt, 1d, tsv");
  expectError<std::invalid_argument>(
      [] { motionLayoutOf("m.1d"); },
      "m.1d: its extension tells no motion layout (.sdm, .par, .txt, .1D, .tsv); name the "
      "layout: one of sdm, par, txt, 1d, tsv");
  testing::MemoryFileSystem files;
  files.files["d/mc.par"] = kPar;
  EXPECT_EQ(readMotionInputFile("d/mc.par", MotionLayout::par, 0, files).volumes, 5U);
  expectError<std::runtime_error>(
      [&] { readMotionInputFile("no.par", MotionLayout::par, 0, files); },
      "Failed opening for reading: no.par");
}

}  // namespace
}  // namespace duv
