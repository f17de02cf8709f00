#pragma once

// Framewise displacement: how far the head moved from one volume to the next, as one number
// per volume in mm.
//
//   FD[0] = 0
//   FD[t] = |Δtx| + |Δty| + |Δtz| + r |Δrx| + r |Δry| + r |Δrz|,   Δx = x[t] - x[t-1]
//
// summed in that order, in double precision: translations in mm, and rotations in radians, each
// turned into the arc it sweeps on a sphere of radius r = 50 mm (about the distance from the
// centre of the head to the cortex).

#include <vector>

#include "design/motion_input.h"

namespace duv {

inline constexpr double kHeadRadiusMm = 50.0;

// One value per entry of `parameters`, in double precision; empty for no entries.
std::vector<double> framewiseDisplacement(const std::vector<MotionParameters>& parameters);

// The displacement of a motion input: from its parameters, or, for a table that gives only its
// framewise_displacement column, that column with its first value 0 (the first volume read has
// no preceding one, also where skipped volumes dropped the rows before it).
std::vector<double> framewiseDisplacement(const MotionInput& input);

}  // namespace duv
