#pragma once

// The head motion of the workflows' inputs: which inputs hold it, their framewise displacement
// (from the input file itself, read as the merges read it), and spike columns for the volumes
// that moved too much.

#include <optional>
#include <string>
#include <vector>

#include "design/confound_file.h"
#include "design/design_matrix.h"
#include "design/motion_input.h"
#include "design/motion_options.h"
#include "workflow/input_files.h"
#include "workflow/log_sink.h"

namespace duv {

class FileSystem;

// How motion inputs are read.
struct MotionReading {
  // The layout of motion text files (".txt", ".par", ".1D"), which their extension only
  // guesses (a ".txt" may come from any tool); none: by the extension.
  std::optional<MotionLayout> textLayout;
  std::size_t skipVolumes = 0;      // as ConfoundOptions::skipVolumes: not for design matrices
  std::size_t skipLastVolumes = 0;  // as ConfoundOptions::skipLastVolumes
};

// Spike columns for the merges: one confound per volume that the criterion flags, after the
// other columns of the motion input that flags it.
struct SpikeOptions {
  SpikeCriterion criterion;                      // which volumes
  std::optional<MotionLayout> motionTextLayout;  // as MotionReading::textLayout
};

// The layout `path` is read in as a motion input: by its extension (".sdm", ".par", ".txt",
// ".1D", ".tsv"), motion text files in reading.textLayout when given; none for other files
// (a time-course file holds no motion).
std::optional<MotionLayout> motionLayoutFor(const std::string& path, const MotionReading& reading);

// The head motion of the file at `path`, in `layout`. required: the file must hold it (an
// error naming the file, readMotionInput's, when it does not); otherwise nothing when it holds
// none (a design without the six motion predictors, a text file of another number of columns,
// a table without its motion columns). Other errors of reading pass on.
std::optional<MotionInput> readHeadMotion(const std::string& path, MotionLayout layout,
                                          const MotionReading& reading, bool required,
                                          FileSystem& files);

// Throws std::runtime_error "<motionPath>: <v> volumes of head motion for the <n> data points of
// <design's file name>" unless the displacement has one volume per data point of `design`.
void requireOneVolumePerDataPoint(const DesignMatrix& design, const std::string& motionPath,
                                  const std::vector<double>& displacement);

// Appends to `matrix` one spike column per volume of `displacement` strictly above `threshold`
// (appendSpikeColumns) and logs texts::kFlaggedLog with "<n> of <volumes> volumes: <motionPath>".
// Precondition: requireOneVolumePerDataPoint. Returns the flagged volumes. Throws
// std::runtime_error "<motionPath>: <k> volumes are flagged as spikes, more than the <m> spike
// columns that <n> data points and <p> predictors allow (one residual degree of freedom must
// remain); a higher spike threshold (fd:<mm>) flags fewer volumes" before any column is made
// when n - p - k < 1 for k > 0 flagged volumes.
std::vector<std::size_t> addSpikes(DesignMatrix& matrix, const std::string& motionPath,
                                   const std::vector<double>& displacement, double threshold,
                                   const LogSink& log);

// The head motion a merge flags spikes in: that of motion text files and confound tables
// (required: an error when they hold none) and of design matrices holding the six motion
// predictors; nothing for any other input.
std::optional<MotionInput> spikeMotionOf(const InputFile& input, const MotionReading& reading,
                                         FileSystem& files);

}  // namespace duv
