#pragma once

// Building small design matrices for the tests, and checking them.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "design/design_matrix.h"

namespace duv::testing {

// One predictor as the five per-predictor lists hold it.
struct Predictor {
  std::string name;
  std::vector<float> values;
  std::int32_t red = 0;
  std::int32_t green = 0;
  std::int32_t blue = 0;

  friend bool operator==(const Predictor&, const Predictor&) = default;
};

std::ostream& operator<<(std::ostream& out, const Predictor& predictor);

// A default-headed matrix holding `predictors` in order, with consistent counts.
DesignMatrix makeMatrix(const std::string& fileName, std::int32_t nrOfDataPoints,
                        std::int32_t firstConfoundPredictor,
                        const std::vector<Predictor>& predictors);

// A default-headed matrix holding `columns` under `names` (as many), every colour white, as the
// readers' tests and the analyses' tests need it.
DesignMatrix makeDesign(const std::vector<std::string>& names,
                        const std::vector<std::vector<float>>& columns,
                        std::int32_t firstConfoundPredictor,
                        const std::string& fileName = "study/run1.sdm");

// The predictors of `matrix`, in order, read from its lists.
std::vector<Predictor> predictorsOf(const DesignMatrix& matrix);

// Equal file name, header fields (every member) and predictors.
void expectSameMatrix(const DesignMatrix& actual, const DesignMatrix& expected);

// The record's invariants: five lists of nrOfPredictors entries, columns of nrOfDataPoints
// values, firstConfoundPredictor within 1 ... nrOfPredictors + 1.
void expectInvariants(const DesignMatrix& matrix);

}  // namespace duv::testing
