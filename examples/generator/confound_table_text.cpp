#include "examples/generator/confound_table_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "design/confound_table_format.h"

namespace duv::examples {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Pipelines write all the digits they have.
std::string longText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

// "cosine" and 3 give "cosine03", as pipelines number their columns.
std::string numbered(const std::string& prefix, std::size_t number) {
  return prefix + (number < 10 ? "0" : "") + std::to_string(number);
}

std::vector<double> backwardDifference(const std::vector<double>& values) {
  std::vector<double> difference(values.size(), 0.0);
  for (std::size_t t = 1; t < values.size(); ++t) difference[t] = values[t] - values[t - 1];
  return difference;
}

std::vector<double> squares(const std::vector<double>& values) {
  std::vector<double> square(values.size());
  for (std::size_t t = 0; t < values.size(); ++t) square[t] = values[t] * values[t];
  return square;
}

// A column and its variants in the pipeline's order: the column, its difference, the square of
// the difference and its square (or, with `squareFirst`, the square before the difference's).
void addWithVariants(std::vector<TableColumn>& table, const std::string& name,
                     const std::vector<double>& values, bool squareFirst) {
  const auto difference = backwardDifference(values);
  const std::string derivative(tsv::kDerivativeSuffix);
  const std::string power(tsv::kPowerSuffix);
  table.push_back({name, values, 0});
  table.push_back({name + derivative, difference, 1});
  TableColumn square{name + power, squares(values), 0};
  TableColumn differenceSquare{name + derivative + power, squares(difference), 1};
  if (squareFirst) {
    table.push_back(std::move(square));
    table.push_back(std::move(differenceSquare));
  } else {
    table.push_back(std::move(differenceSquare));
    table.push_back(std::move(square));
  }
}

}  // namespace

std::vector<double> signal(double level, double amplitude, std::size_t points, Random& random) {
  const double period = 20 + 60 * random.uniform();
  std::vector<double> values(points);
  for (std::size_t t = 0; t < points; ++t) {
    values[t] = level + amplitude * std::sin(2 * kPi * static_cast<double>(t) / period) +
                0.2 * amplitude * random.normal();
  }
  return values;
}

std::string tableText(const std::vector<TableColumn>& table, std::size_t points) {
  std::string text;
  for (std::size_t c = 0; c < table.size(); ++c) {
    if (c != 0) text += tsv::kSeparator;
    text += table[c].name;
  }
  text += '\n';
  for (std::size_t t = 0; t < points; ++t) {
    for (std::size_t c = 0; c < table.size(); ++c) {
      if (c != 0) text += tsv::kSeparator;
      text += t < table[c].missing ? std::string(tsv::kNotAvailable) : longText(table[c].values[t]);
    }
    text += '\n';
  }
  return text;
}

std::vector<double> displacementOf(const std::vector<std::vector<double>>& motion) {
  const std::size_t points = motion.empty() ? 0 : motion.front().size();
  std::vector<double> displacement(points, 0.0);
  for (std::size_t t = 1; t < points; ++t) {
    for (std::size_t p = 0; p < 6; ++p) {
      displacement[t] += std::abs(motion[p][t] - motion[p][t - 1]) * (p < 3 ? 1.0 : 50.0);
    }
  }
  return displacement;
}

std::string confoundTableText(int dataPoints, Random& random) {
  const auto points = static_cast<std::size_t>(dataPoints);
  std::vector<TableColumn> table;
  addWithVariants(table, "global_signal", signal(512, 2, points, random), false);
  addWithVariants(table, "csf", signal(830, 6, points, random), true);
  addWithVariants(table, "white_matter", signal(604, 1.5, points, random), false);

  // Motion: slow random walks, each parameter with a jump of its own at two abrupt moves.
  std::vector<std::vector<double>> motion(6, std::vector<double>(points));
  std::vector<std::size_t> jerks;
  for (int k = 0; k < 2 && points > 4; ++k) {
    jerks.push_back(2 +
                    static_cast<std::size_t>(random.uniform() * static_cast<double>(points - 3)));
  }
  for (std::size_t p = 0; p < 6; ++p) {
    const double step = p < 3 ? 0.02 : 0.0003;
    double position = step * random.normal();
    for (std::size_t t = 0; t < points; ++t) {
      position += step * random.normal();
      if (std::find(jerks.begin(), jerks.end(), t) != jerks.end()) {
        position += 15 * step * random.normal();
      }
      motion[p][t] = position;
    }
  }
  const auto displacement = displacementOf(motion);
  std::vector<double> dvars(points, 0.0);
  for (std::size_t t = 1; t < points; ++t)
    dvars[t] = 18 + 40 * displacement[t] + 2 * random.normal();
  table.push_back({"dvars", dvars, 1});
  table.push_back({std::string(tsv::kFramewiseDisplacement), displacement, 1});

  // Noise components, each of unit length over the run.
  const auto components = [&](const char* prefix, int count) {
    for (int k = 0; k < count; ++k) {
      std::vector<double> values(points);
      for (auto& value : values) value = random.normal() / std::sqrt(static_cast<double>(points));
      table.push_back({numbered(prefix, static_cast<std::size_t>(k)), values, 0});
    }
  };
  components("t_comp_cor_", 3);
  components("a_comp_cor_", 8);
  // A discrete cosine basis for high-pass filtering.
  for (int k = 1; k <= 4; ++k) {
    std::vector<double> values(points);
    for (std::size_t t = 0; t < points; ++t) {
      values[t] = std::sqrt(2.0 / static_cast<double>(points)) *
                  std::cos(kPi * (2.0 * static_cast<double>(t) + 1) * k /
                           (2.0 * static_cast<double>(points)));
    }
    table.push_back({numbered("cosine", static_cast<std::size_t>(k - 1)), values, 0});
  }
  std::vector<double> nonSteady(points, 0.0);
  if (points > 0) nonSteady[0] = 1;
  table.push_back({"non_steady_state_outlier00", nonSteady, 0});

  const char* const motionNames[] = {"trans_x", "trans_y", "trans_z", "rot_x", "rot_y", "rot_z"};
  for (std::size_t p = 0; p < 6; ++p) addWithVariants(table, motionNames[p], motion[p], false);
  std::sort(jerks.begin(), jerks.end());
  for (std::size_t k = 0; k < jerks.size(); ++k) {
    std::vector<double> spike(points, 0.0);
    spike[jerks[k]] = 1;
    table.push_back({numbered("motion_outlier", k), spike, 0});
  }

  return tableText(table, points);
}

}  // namespace duv::examples
