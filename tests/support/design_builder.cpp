#include "tests/support/design_builder.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace duv::testing {

std::ostream& operator<<(std::ostream& out, const Predictor& predictor) {
  out << '"' << predictor.name << "\" {";
  for (const float x : predictor.values) out << ' ' << x;
  return out << " } " << predictor.red << ' ' << predictor.green << ' ' << predictor.blue;
}

DesignMatrix makeMatrix(const std::string& fileName, std::int32_t nrOfDataPoints,
                        std::int32_t firstConfoundPredictor,
                        const std::vector<Predictor>& predictors) {
  DesignMatrix matrix;
  matrix.fileName = fileName;
  matrix.nrOfDataPoints.value = nrOfDataPoints;
  matrix.nrOfPredictors.value = static_cast<std::int32_t>(predictors.size());
  matrix.firstConfoundPredictor.value = firstConfoundPredictor;
  for (const auto& predictor : predictors) {
    matrix.predictorNames.push_back(predictor.name);
    matrix.values.push_back(predictor.values);
    matrix.colorRed.push_back(predictor.red);
    matrix.colorGreen.push_back(predictor.green);
    matrix.colorBlue.push_back(predictor.blue);
  }
  return matrix;
}

DesignMatrix makeDesign(const std::vector<std::string>& names,
                        const std::vector<std::vector<float>>& columns,
                        std::int32_t firstConfoundPredictor, const std::string& fileName) {
  if (names.size() != columns.size()) {
    throw std::invalid_argument("makeDesign: a name for every column");
  }
  std::vector<Predictor> predictors;
  for (std::size_t p = 0; p < columns.size(); ++p) {
    predictors.push_back({names[p], columns[p], 255, 255, 255});
  }
  const auto points = columns.empty() ? 0 : static_cast<std::int32_t>(columns.front().size());
  return makeMatrix(fileName, points, firstConfoundPredictor, predictors);
}

std::vector<Predictor> predictorsOf(const DesignMatrix& matrix) {
  std::vector<Predictor> predictors;
  for (std::size_t p = 0; p < matrix.values.size(); ++p) {
    predictors.push_back({matrix.predictorNames.at(p), matrix.values.at(p), matrix.colorRed.at(p),
                          matrix.colorGreen.at(p), matrix.colorBlue.at(p)});
  }
  return predictors;
}

namespace {

void expectSameField(const IntHeaderField& actual, const IntHeaderField& expected) {
  EXPECT_EQ(actual.label, expected.label);
  EXPECT_EQ(actual.value, expected.value) << expected.label;
  EXPECT_EQ(actual.width, expected.width) << expected.label;
  EXPECT_EQ(actual.present, expected.present) << expected.label;
}

}  // namespace

void expectSameMatrix(const DesignMatrix& actual, const DesignMatrix& expected) {
  EXPECT_EQ(actual.fileName, expected.fileName);
  expectSameField(actual.fileVersion, expected.fileVersion);
  expectSameField(actual.nrOfPredictors, expected.nrOfPredictors);
  expectSameField(actual.nrOfDataPoints, expected.nrOfDataPoints);
  expectSameField(actual.firstConfoundPredictor, expected.firstConfoundPredictor);
  EXPECT_EQ(actual.includesConstant.label, expected.includesConstant.label);
  EXPECT_EQ(actual.includesConstant.value, expected.includesConstant.value);
  EXPECT_EQ(actual.includesConstant.width, expected.includesConstant.width);
  EXPECT_EQ(actual.includesConstant.present, expected.includesConstant.present);
  EXPECT_EQ(predictorsOf(actual), predictorsOf(expected));
}

void expectInvariants(const DesignMatrix& matrix) {
  const auto count = static_cast<std::size_t>(matrix.nrOfPredictors.value);
  EXPECT_EQ(matrix.values.size(), count);
  EXPECT_EQ(matrix.predictorNames.size(), count);
  EXPECT_EQ(matrix.colorRed.size(), count);
  EXPECT_EQ(matrix.colorGreen.size(), count);
  EXPECT_EQ(matrix.colorBlue.size(), count);
  for (const auto& column : matrix.values) {
    EXPECT_EQ(column.size(), static_cast<std::size_t>(matrix.nrOfDataPoints.value));
  }
  EXPECT_GE(matrix.firstConfoundPredictor.value, 1);
  EXPECT_LE(matrix.firstConfoundPredictor.value, matrix.nrOfPredictors.value + 1);
}

}  // namespace duv::testing
