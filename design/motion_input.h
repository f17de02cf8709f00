#pragma once

// A run's head motion read from a file of any motion layout (motion_layout.h), in the units
// framewise displacement is computed in: translations in mm, rotations in radians.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "design/motion_layout.h"

namespace duv {

class FileSystem;

// The six parameters of one volume. Each group of three keeps the file's own order (x, y, z;
// or dS, dL, dP and roll, pitch, yaw): framewise displacement does not depend on the axes.
struct MotionParameters {
  std::array<double, 3> translation{};  // mm
  std::array<double, 3> rotation{};     // radians
};

struct MotionInput {
  std::string fileName;  // the path read; names the file in messages
  MotionLayout layout = MotionLayout::sdm;
  std::size_t volumes = 0;  // at least 1
  // One entry per volume. Empty only for a table without the six parameter columns, which
  // gives displacementColumn instead.
  std::vector<MotionParameters> parameters;
  // Such a table's framewise_displacement column, its leading "n/a" cells as 0, one entry per
  // volume; empty otherwise.
  std::vector<double> displacementColumn;
};

// Reads the motion of `text` in `layout`; `path` names the file in messages. The values are
// those the readers hold (single precision, as every value of a design matrix), widened to
// double; degrees become radians; a table's framewise_displacement column is taken as the file
// writes it, in double precision, so that a threshold compares the file's own decimals. For every
// layout but sdm the first `skipVolumes` and the last `skipLastVolumes` rows are dropped first
// (skipRows), as the merges drop them; design matrices keep all their rows. A 1d file of nine or
// ten columns is read as 3dvolreg -dfile writes it: the volume's index (counting up by one), the
// six parameters of a 1d file, then measures of fit that are not read.
//
// Throws the errors of the layout's reader (readSdm, readMotionText, readConfoundTable) and of
// skipRows, and std::runtime_error naming the file
//   for an sdm without its motion predictors:
//     "<path>: no motion parameters: expected three predictors named \"Translation ... [mm]\",
//     then three named \"Rotation ... [deg]\" or \"Rotation ... [rad]\"; found <the motion
//     predictors found, quoted and separated by \", \", or none>"
//   for an sdm of no data points: "<path>: no motion parameters: the design holds no data points"
//   for a text file of another number of columns than six (or, 1d, nine or ten):
//     "<path>: no motion parameters: a <layout name> file holds six columns, <their order>;
//     this one holds <n>"
//   for a 1d file of nine or ten columns whose first does not count up by one:
//     "<path>: no motion parameters: a 1d file of <n> columns is read as 3dvolreg -dfile writes
//     it, the volume's index first, but volume <t> has the index <x> where <y> follows"
//   for a table with neither its six parameter columns nor framewise_displacement:
//     "<path>: no motion parameters: the columns <missing ones, separated by \", \"> are missing,
//     and so is framewise_displacement"
//   for an "n/a" past the leading ones of a column read (which count as 0, as in the merges):
//     "<path>, line <n>, column <name>: n/a"
//   for a negative value of framewise_displacement:
//     "<path>, line <n>, column framewise_displacement: a displacement is never negative"
//   for a value that is not finite (a design matrix's "inf" or "nan"):
//     "<path>, volume <t>: a motion value beyond the single-precision range" (t counted from 1
//     among the volumes kept).
MotionInput readMotionInput(std::string_view text, const std::string& path, MotionLayout layout,
                            std::size_t skipVolumes, std::size_t skipLastVolumes = 0);
// Whether a design's predictor of this name is one of its motion parameters (motion_layout.h:
// "Translation ... [mm]", "Rotation ... [deg]" or "Rotation ... [rad]").
bool namesMotionParameter(std::string_view name);

// As readMotionInput, but nothing (rather than the error) when the file holds no motion
// parameters: for telling motion inputs among other files. Every other error passes on.
std::optional<MotionInput> findMotionInput(std::string_view text, const std::string& path,
                                           MotionLayout layout, std::size_t skipVolumes,
                                           std::size_t skipLastVolumes = 0);

// readMotionInput of the file's contents; FileSystem::readFile's errors pass on.
MotionInput readMotionInputFile(const std::string& path, MotionLayout layout,
                                std::size_t skipVolumes, FileSystem& files,
                                std::size_t skipLastVolumes = 0);

}  // namespace duv
