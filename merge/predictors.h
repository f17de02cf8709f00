#pragma once

// Putting the predictors of one design matrix into another: where each goes, what happens to
// the counts, the confound boundary and the constant predictor, and the merged file name.
//
// These operations report nothing: what does not fit is dropped silently. They expect the
// invariants of DesignMatrix (five per-predictor lists of equal length, every column
// nrOfDataPoints long) and keep them; they only ever touch the header values, never a field's
// label, width or presence.

#include <cstdint>
#include <string>
#include <vector>

#include "design/design_matrix.h"

namespace duv {

// Inserts one predictor (column, name and colour at the same position of every list) and sets
// nrOfPredictors to the new number of columns:
//   - a confound goes in front of a constant last predictor, otherwise at the end, and leaves
//     firstConfoundPredictor as it is;
//   - a main predictor goes directly in front of the first confound, nrOfPredictors -
//     firstConfoundPredictor + 1 places from the end, and firstConfoundPredictor moves one back
//     so that the new predictor is the last main predictor.
// Dropped without a change: a column whose length differs from nrOfDataPoints, and a constant
// column when the last predictor is already constant. Inserting a constant column sets
// includesConstant; nothing here clears it.
// When firstConfoundPredictor lies outside 1 ... nrOfPredictors + 1 (or nrOfPredictors differs
// from the length of the lists), a main predictor's position is clamped into the lists: to the
// front or to the end. firstConfoundPredictor then becomes the number of the predictor behind the
// new one, which brings it back into range.
void insertPredictor(DesignMatrix& matrix, const std::vector<float>& column,
                     const std::string& name, std::int32_t red, std::int32_t green,
                     std::int32_t blue, bool asConfound);

// Inserts all predictors of `other` in their order, each as a main predictor or a confound as it
// was in `other` (when the data-point counts agree; otherwise none), then extends
// receiver.fileName with a suffix taken from other's file name, directly in front of the last
// dot of receiver.fileName (at its end when it has none).
//
// The suffix: with S1 and S2 the file names (no directory, cut at their last dot) of receiver
// and other, it is S2 from its last "_" or blank whose preceding part equals the same-length
// start of S1 (sub01_run1 + sub01_run2 -> suffix _run2); when there is none, "_" followed by the
// whole of S2 (abc + xyz -> suffix _xyz). A chain of merges so piles up: s_1, s_2, s_3 ->
// s_1_2_3. `receiver` and `other` may be the same matrix.
void appendPredictors(DesignMatrix& receiver, const DesignMatrix& other);

// The file name a matrix named `receiverFileName` gets when another matrix's predictors are
// appended to it: a suffix taken from the other's file name, put in front of the receiver's
// extension. The suffix starts at the last "_" or blank of the other's name (without folder and
// extension) up to which both names agree, so that a shared stem is not repeated
// (sub01_run1 + sub01_run2 -> sub01_run1_run2); with no such separator it is "_" and the
// other's whole name (abc + xyz -> abc_xyz).
std::string mergedFileName(const std::string& receiverFileName, const std::string& otherFileName);

// A copy of `base` with appendPredictors(copy, other) applied.
DesignMatrix mergedCopy(const DesignMatrix& base, const DesignMatrix& other);

}  // namespace duv
