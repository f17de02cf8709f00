#include "tests/reference/random_designs.h"

#include <bit>
#include <cmath>
#include <limits>

namespace duv::testing {
namespace {

using Column = std::vector<float>;

float normal(std::mt19937& random, float scale) {
  return std::normal_distribution<float>(0.0F, scale)(random);
}

std::int32_t uniform(std::mt19937& random, std::int32_t low, std::int32_t high) {
  return std::uniform_int_distribution<std::int32_t>(low, high)(random);
}

bool chance(std::mt19937& random, double probability) {
  return std::bernoulli_distribution(probability)(random);
}

Column independentColumn(std::mt19937& random, std::size_t points) {
  const float scale = std::pow(10.0F, static_cast<float>(uniform(random, -3, 3)));
  const float offset = chance(random, 0.5) ? normal(random, 10.0F * scale) : 0.0F;
  Column column(points);
  for (auto& x : column) x = offset + normal(random, scale);
  return column;
}

Column roundColumn(std::mt19937& random, std::size_t points) {
  Column column(points);
  for (auto& x : column) {
    x = static_cast<float>(uniform(random, -4, 4)) * 0.5F;
    if (x == 0.0F && chance(random, 0.5)) x = -0.0F;
  }
  return column;
}

Column constantColumn(std::mt19937& random, std::size_t points) {
  const float values[] = {1.0F, 0.0F, -0.0F, 5.0F, -2.5F};
  return Column(points, values[uniform(random, 0, 4)]);
}

// A sum of earlier columns with noise from 1e-2 down to below the float's resolution.
Column nearCombination(std::mt19937& random, const std::vector<Column>& earlier,
                       std::size_t points) {
  Column column(points, 0.0F);
  const auto terms = uniform(random, 1, 3);
  for (std::int32_t t = 0; t < terms; ++t) {
    const auto& source = earlier[static_cast<std::size_t>(
        uniform(random, 0, static_cast<std::int32_t>(earlier.size()) - 1))];
    const float weight = normal(random, 1.0F);
    for (std::size_t r = 0; r < points; ++r) column[r] += weight * source[r];
  }
  const float noise = std::pow(10.0F, static_cast<float>(uniform(random, -9, -2)));
  for (auto& x : column) x += normal(random, noise);
  return column;
}

Column columnOf(std::mt19937& random, DesignKind kind, const std::vector<Column>& earlier,
                std::size_t points) {
  switch (kind) {
    case DesignKind::independent:
      return independentColumn(random, points);
    case DesignKind::nearCollinear:
      if (earlier.size() >= 2 && chance(random, 0.6))
        return nearCombination(random, earlier, points);
      return independentColumn(random, points);
    case DesignKind::repeatedColumns:
      if (!earlier.empty() && chance(random, 0.35)) {
        return earlier[static_cast<std::size_t>(
            uniform(random, 0, static_cast<std::int32_t>(earlier.size()) - 1))];
      }
      if (chance(random, 0.1)) return Column(points, 1.0F);
      return chance(random, 0.5) ? roundColumn(random, points) : independentColumn(random, points);
    case DesignKind::constantColumns:
      if (chance(random, 0.3)) return constantColumn(random, points);
      return independentColumn(random, points);
    case DesignKind::roundValues:
      return roundColumn(random, points);
    case DesignKind::nonFinite: {
      auto column = independentColumn(random, points);
      if (chance(random, 0.3)) {
        const float specials[] = {std::numeric_limits<float>::quiet_NaN(),
                                  std::numeric_limits<float>::infinity(),
                                  -std::numeric_limits<float>::infinity()};
        column[static_cast<std::size_t>(uniform(
            random, 0, static_cast<std::int32_t>(points) - 1))] = specials[uniform(random, 0, 2)];
      }
      return column;
    }
  }
  return {};
}

}  // namespace

std::string nameOf(DesignKind kind) {
  switch (kind) {
    case DesignKind::independent:
      return "independent";
    case DesignKind::nearCollinear:
      return "near-collinear";
    case DesignKind::repeatedColumns:
      return "repeated columns";
    case DesignKind::constantColumns:
      return "constant columns";
    case DesignKind::roundValues:
      return "round values";
    case DesignKind::nonFinite:
      return "non-finite values";
  }
  return "";
}

DesignMatrix randomDesign(std::mt19937& random, DesignKind kind, std::int32_t predictors,
                          std::int32_t points) {
  const auto count = static_cast<std::size_t>(predictors);
  const auto rows = static_cast<std::size_t>(points);
  DesignMatrix matrix;
  matrix.fileName = "random.sdm";
  matrix.nrOfPredictors.value = predictors;
  matrix.nrOfDataPoints.value = points;
  matrix.firstConfoundPredictor.value = uniform(random, 1, predictors + 1);
  for (std::size_t p = 0; p < count; ++p) {
    if (p + 1 == count && rows > 0 && chance(random, 0.5)) {
      matrix.values.emplace_back(rows, 1.0F);
    } else if (rows == 0) {
      matrix.values.emplace_back();
    } else {
      matrix.values.push_back(columnOf(random, kind, matrix.values, rows));
    }
    matrix.predictorNames.push_back("P" + std::to_string(p + 1));
  }
  matrix.colorRed.assign(count, 255);
  matrix.colorGreen.assign(count, 255);
  matrix.colorBlue.assign(count, 255);
  return matrix;
}

Matrix randomMatrix(std::mt19937& random, DesignKind kind, std::int32_t rows, std::int32_t cols) {
  std::vector<Column> columns;
  for (std::int32_t c = 0; c < cols; ++c) {
    columns.push_back(rows == 0 ? Column{}
                                : columnOf(random, kind, columns, static_cast<std::size_t>(rows)));
  }
  Matrix matrix(rows, cols);
  for (std::int32_t c = 0; c < cols; ++c) {
    for (std::int32_t r = 0; r < rows; ++r) {
      matrix(r, c) = columns[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)];
    }
  }
  return matrix;
}

std::uint32_t bitsOf(float value) { return std::bit_cast<std::uint32_t>(value); }

bool sameResult(float a, float b) {
  return bitsOf(a) == bitsOf(b) || (std::isnan(a) && std::isnan(b));
}

}  // namespace duv::testing
