#pragma once

// Generates realistic example studies: a block-design task convolved with a haemodynamic
// response, head-motion parameters as slow random walks, physiological and drift time courses.
// Deterministic for a seed, on every platform (its own random numbers; values rounded to the
// six decimals the files hold).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "design/design_matrix.h"

namespace duv::examples {

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 2654435761U + 1) {}
  // Uniform in [0, 1).
  double uniform();
  // Standard normal (Box-Muller).
  double normal();

 private:
  std::uint64_t state_;
};

// Task predictors (blocks of `conditions` alternating conditions convolved with a two-gamma
// response, TR 2 s), then a constant; IncludesConstant 1, the constant the only confound.
DesignMatrix taskDesign(int conditions, int dataPoints, Random& random);

// Six motion parameters, all confounds: three translations in mm, then three rotations in
// degrees, or in radians (small values written with all their digits, as realignment tools
// write them).
enum class RotationUnit { degrees, radians };
DesignMatrix motionParameters(int dataPoints, Random& random,
                              RotationUnit rotations = RotationUnit::degrees);

// Confound courses with the given names (noisy slow waves), all confounds.
DesignMatrix confounds(const std::vector<std::string>& names, int dataPoints, Random& random);

// Widens a design to `predictors` predictors with the confounds a modern study regresses out,
// inserted before its last predictor (the constant of taskDesign) and counted as confounds:
// 24 motion terms (six parameters, their temporal derivatives, and the squares of both),
// discrete cosine drifts up to 1/128 Hz, spike regressors (one volume each, one per 50
// volumes) and noise components, in that order, as many of each as fit. A design that already
// holds `predictors` predictors or more is left as it is.
void addStudyConfounds(DesignMatrix& design, int predictors, Random& random);

// A merged design (main predictors, then confounds, then a constant) with the mistakes a design
// check is for: the task's conditions with one of them entered twice and a combined predictor
// that is the sum of two others, and head motion that follows one condition
// (stimulus-correlated motion). `task` is a taskDesign of at least four conditions.
DesignMatrix brokenDesign(const DesignMatrix& task, Random& random);

// The same matrix as SDM text whose data rows are written compactly, as other writers do: each
// value in %g style right-aligned in 12 columns (a negative value of 12 characters touches the
// previous one), integers without a decimal point.
std::string compactSdmText(const DesignMatrix& matrix);

// A confound table in the layout preprocessing pipelines write (confound_table_format.h), one
// row per data point: global, CSF and white-matter signals with their variants, DVARS and
// framewise displacement, CompCor components, a cosine basis, a non-steady-state volume, the six
// motion parameters (translations in mm, rotations in radians) with their variants, and one
// spike column per volume that moved abruptly. Differences have "n/a" in their first row.
std::string confoundTableText(int dataPoints, Random& random);

// A realignment's six parameters per volume: three rotations (radians) about x, y and z, then
// three translations (mm) along x, y and z, each a random walk from its first step.
using RealignmentMotion = std::vector<std::array<double, 6>>;
RealignmentMotion realignmentMotion(int dataPoints, Random& random);

// The same motion as realignment tools write it, one line per volume:
//   ".par": the three rotations (radians), then the three translations (mm), each in %g style
//           followed by two blanks;
//   ".txt": the three translations (mm), then the three rotations (radians), each in %16.7e;
//   ".1D":  roll, pitch and yaw (degrees about z, x and y), then dS, dL and dP (mm along z, x
//           and y), each with four decimals, separated by two blanks.
std::string motionParText(const RealignmentMotion& motion);
std::string motionRpText(const RealignmentMotion& motion);
std::string motion1DText(const RealignmentMotion& motion);

// The contrasts a study of a taskDesign tests, as a contrasts file (a header line
// name<TAB>expression, then one contrast a line): each condition against the next, and the
// first half of the conditions against the second (each half averaged; with two or more).
std::string contrastsText(int conditions);

// A small study, as files (paths relative to the study's folder, and their texts): for each
// subject sub-01 ..., task and run run-1 ..., a task design
// (sub-XX/func/sub-XX_task-T_run-Y_design.sdm) and its pipeline's confound table
// (derivatives/sub-XX/func/sub-XX_task-T_run-Y_desc-confounds_timeseries.tsv: the six motion
// parameters, framewise displacement, CSF and white matter), and the study's contrasts
// (contrasts.tsv: each condition against the next, and with one task the first half of the
// conditions against the second; with several tasks, a task column says whose contrast it is).
// The `restless` subject (from 1) moves abruptly in about a third of its volumes; the
// `steadyMover` subject moves a little at every volume (mean framewise displacement about
// 0.35 mm, hardly a volume above 0.5 mm); in run `entangledRun` of subject `entangledSubject`
// of the first task, its second condition follows head motion (r 0.8 with trans_x). The run
// whose file stem is `missingTable` has no confound table.
struct StudyFile {
  std::string path;
  std::string text;
};
struct StudyTask {
  std::string name;
  std::vector<std::string> conditions;  // none: four, "Condition A" to "Condition D"
};
struct StudyShape {
  int subjects = 4;
  int runs = 2;
  int dataPoints = 240;
  int restless = 3;
  int entangledSubject = 2;
  int entangledRun = 2;
  std::vector<StudyTask> tasks{{"faces", {}}};
  int steadyMover = 0;
  std::string missingTable;
};
std::vector<StudyFile> exampleStudy(const StudyShape& shape, std::uint64_t seed);

// Time-course files in the keyed layout (with names) and in the older layout.
std::string keyedRtcText(const DesignMatrix& matrix);
std::string olderRtcText(const DesignMatrix& matrix);

}  // namespace duv::examples
