#include "numerics/framewise_displacement.h"

#include <cmath>
#include <cstddef>

namespace duv {

std::vector<double> framewiseDisplacement(const std::vector<MotionParameters>& parameters) {
  std::vector<double> displacement(parameters.size(), 0.0);
  for (std::size_t t = 1; t < parameters.size(); ++t) {
    const auto& now = parameters[t];
    const auto& before = parameters[t - 1];
    double sum = 0.0;
    for (std::size_t k = 0; k < 3; ++k) sum += std::abs(now.translation[k] - before.translation[k]);
    for (std::size_t k = 0; k < 3; ++k) {
      sum += kHeadRadiusMm * std::abs(now.rotation[k] - before.rotation[k]);
    }
    displacement[t] = sum;
  }
  return displacement;
}

std::vector<double> framewiseDisplacement(const MotionInput& input) {
  if (!input.parameters.empty()) return framewiseDisplacement(input.parameters);
  auto displacement = input.displacementColumn;
  if (!displacement.empty()) displacement.front() = 0.0;
  return displacement;
}

}  // namespace duv
