#pragma once

// The layouts in which tools write a run's head motion, and where each keeps the six rigid-body
// parameters: three translations and three rotations, one set per volume.
//
//   sdm  a design matrix (sdm_format.h). Its motion predictors are those whose names begin with
//        "Translation" and end with "[mm]", or begin with "Rotation" and end with "[deg]" or
//        "[rad]"; whatever stands between is free. A motion input holds exactly six, three
//        translations and then three rotations, each rotation in its own unit; its other
//        predictors (a constant, task predictors of a merged design, derived terms such as
//        "Translation X [mm]_derivative1") are not looked at. Names tell nothing of the values: a
//        merged design whose confounds were z-transformed keeps them, so displacement is taken
//        from the motion file itself, never from a merge's result.
//          "Translation X [mm]" "Translation Y [mm]" "Translation Z [mm]" "Rotation X [deg]" ...
//   par  a motion text file (motion_text_format.h) of six columns:
//          rot_x  rot_y  rot_z (rad)   trans_x  trans_y  trans_z (mm)
//   txt  a motion text file of six columns:
//          trans_x  trans_y  trans_z (mm)   rot_x  rot_y  rot_z (rad)
//   1d   a motion text file of six columns:
//          roll  pitch  yaw (degrees)   dS  dL  dP (mm)
//        or of nine or ten, as 3dvolreg -dfile writes them: the volume's index (0, 1, 2, ...),
//        the same six, then measures of fit (rmsold, rmsnew, ...) that are not motion:
//          n  roll  pitch  yaw  dS  dL  dP  rmsold  rmsnew
//   tsv  a confound table (confound_table_format.h) with the columns trans_x, trans_y, trans_z
//        (mm) and rot_x, rot_y, rot_z (rad), wherever they stand; a table without all six gives
//        its framewise_displacement column instead.

#include <string_view>

namespace duv {

enum class MotionLayout { sdm, par, txt, afni1D, table };

namespace motion {

inline constexpr std::string_view kTranslationPrefix = "Translation";
inline constexpr std::string_view kRotationPrefix = "Rotation";
inline constexpr std::string_view kMillimetres = "[mm]";
inline constexpr std::string_view kDegrees = "[deg]";
inline constexpr std::string_view kRadians = "[rad]";

// A table's parameter columns: three translations, then three rotations.
inline constexpr std::string_view kTableColumns[] = {"trans_x", "trans_y", "trans_z",
                                                     "rot_x",   "rot_y",   "rot_z"};

// The names parseMotionLayout takes, as a user lists them.
inline constexpr std::string_view kLayoutNames = "sdm, par, txt, 1d, tsv";

}  // namespace motion

// The layout's name as parseMotionLayout takes it: "sdm", "par", "txt", "1d", "tsv".
std::string_view layoutName(MotionLayout layout);

// The layout named `text`, exactly one of motion::kLayoutNames (lower case). Throws
// std::invalid_argument for any other text.
MotionLayout parseMotionLayout(std::string_view text);

// The layout told by the path's extension, exact and case-sensitive as for the confound files:
// ".sdm", ".par", ".txt", ".1D", ".tsv". Throws std::invalid_argument naming the path for any
// other extension.
MotionLayout motionLayoutOf(std::string_view path);

// Whether skipped volumes apply to files of this layout: to tables and text files, not to
// design matrices, as in the merges.
bool dropsSkippedVolumes(MotionLayout layout);

}  // namespace duv
