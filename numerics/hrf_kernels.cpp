#include "numerics/hrf_kernels.h"

#include <cmath>
#include <stdexcept>

namespace duv {
namespace {

constexpr double kKernelSeconds = 32.0;
constexpr double kTimeDelta = 0.1;         // seconds, of the time derivative
constexpr double kDispersionDelta = 0.01;  // of the dispersion derivative

// A difference of two gamma densities: the peak, minus `ratio` times the undershoot.
struct GammaDifference {
  double delay;
  double undershoot;
  double dispersion;
  double undershootDispersion;
  double ratio;
};

// The undershoot ratio 0.167 is the reference model's, not SPM's 1/6.
constexpr GammaDifference kSpm{6.0, 16.0, 1.0, 1.0, 0.167};
constexpr GammaDifference kGlover{6.0, 12.0, 0.9, 0.9, 0.48};

// The gamma density of `shape` and `scale` at tau, starting at `start`; evaluated in the order
// the reference's statistics library evaluates it, so that the last bits agree.
double gammaDensity(double tau, double shape, double scale, double start) {
  const double x = (tau - start) / scale;
  if (x < 0.0) return 0.0;
  return std::exp((shape - 1.0) * std::log(x) - x - std::lgamma(shape)) / scale;
}

// The kernel's time axis is linspace(0, 32, M) – not steps of dt – shifted by `onset`.
std::vector<double> responseKernel(const GammaDifference& g, double dt, double onset) {
  const auto samples = static_cast<std::size_t>(std::nearbyint(kKernelSeconds / dt));
  std::vector<double> kernel(samples);
  const double step = samples > 1 ? kKernelSeconds / static_cast<double>(samples - 1) : 0.0;
  double sum = 0.0;
  for (std::size_t m = 0; m < samples; ++m) {
    double tau = m + 1 == samples ? kKernelSeconds : static_cast<double>(m) * step;
    tau -= onset;
    const double peak = gammaDensity(tau, g.delay / g.dispersion, g.dispersion, dt);
    const double under =
        gammaDensity(tau, g.undershoot / g.undershootDispersion, g.undershootDispersion, dt);
    kernel[m] = peak - g.ratio * under;
    sum += kernel[m];
  }
  for (auto& value : kernel) value /= sum;
  return kernel;
}

std::vector<double> scaledDifference(const std::vector<double>& a, const std::vector<double>& b,
                                     double delta) {
  std::vector<double> difference(a.size());
  for (std::size_t m = 0; m < a.size(); ++m) difference[m] = 1.0 / delta * (a[m] - b[m]);
  return difference;
}

bool isGlover(HrfModel model) {
  return model == HrfModel::glover || model == HrfModel::gloverDerivative ||
         model == HrfModel::gloverDerivativeDispersion;
}

int derivativesOf(HrfModel model) {
  switch (model) {
    case HrfModel::gloverDerivative:
    case HrfModel::spmDerivative:
      return 1;
    case HrfModel::gloverDerivativeDispersion:
    case HrfModel::spmDerivativeDispersion:
      return 2;
    default:
      return 0;
  }
}

}  // namespace

HrfModel parseHrfModel(std::string_view text) {
  // Blanks are dropped only beside a "+": " spm" stays unknown, as it is to the reference.
  std::string name;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ') {
      const auto next = text.find_first_not_of(' ', i);
      const bool beforePlus = next != std::string_view::npos && text[next] == '+';
      const bool afterPlus = !name.empty() && name.back() == '+';
      if (beforePlus || afterPlus) continue;
    }
    name += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  struct Named {
    const char* name;
    HrfModel model;
  };
  static constexpr Named kModels[] = {
      {"glover", HrfModel::glover},
      {"spm", HrfModel::spm},
      {"glover+derivative", HrfModel::gloverDerivative},
      {"spm+derivative", HrfModel::spmDerivative},
      {"glover+derivative+dispersion", HrfModel::gloverDerivativeDispersion},
      {"spm+derivative+dispersion", HrfModel::spmDerivativeDispersion},
      {"fir", HrfModel::fir},
      {"none", HrfModel::none}};
  for (const auto& known : kModels) {
    if (name == known.name) return known.model;
  }
  throw std::invalid_argument("unknown response model \"" + std::string(text) +
                              "\": glover, spm, glover+derivative, spm+derivative, "
                              "glover+derivative+dispersion, spm+derivative+dispersion, fir or "
                              "none");
}

std::vector<std::string> hrfColumnSuffixes(HrfModel model, const std::vector<int>& firDelays) {
  if (model == HrfModel::fir) {
    std::vector<std::string> suffixes;
    suffixes.reserve(firDelays.size());
    for (const int delay : firDelays) suffixes.push_back("_delay_" + std::to_string(delay));
    return suffixes;
  }
  std::vector<std::string> suffixes{""};
  if (derivativesOf(model) >= 1) suffixes.emplace_back("_derivative");
  if (derivativesOf(model) >= 2) suffixes.emplace_back("_dispersion");
  return suffixes;
}

bool hrfOrthogonalised(HrfModel model) { return model != HrfModel::fir; }

std::vector<std::vector<double>> hrfKernels(HrfModel model, double repetitionTime, int oversampling,
                                            const std::vector<int>& firDelays) {
  const auto os = static_cast<std::size_t>(oversampling);
  if (model == HrfModel::none) {
    std::vector<double> impulse(os, 0.0);
    impulse[0] = 1.0;
    return {impulse};
  }
  if (model == HrfModel::fir) {
    std::vector<std::vector<double>> kernels;
    for (const int delay : firDelays) {
      std::vector<double> kernel(static_cast<std::size_t>(delay) * os, 0.0);
      kernel.insert(kernel.end(), os, 1.0 / static_cast<double>(oversampling));
      kernels.push_back(std::move(kernel));
    }
    return kernels;
  }
  const double dt = repetitionTime / static_cast<double>(oversampling);
  const auto& shape = isGlover(model) ? kGlover : kSpm;
  std::vector<std::vector<double>> kernels{responseKernel(shape, dt, 0.0)};
  if (derivativesOf(model) >= 1) {
    kernels.push_back(
        scaledDifference(kernels[0], responseKernel(shape, dt, kTimeDelta), kTimeDelta));
  }
  if (derivativesOf(model) >= 2) {
    // The reference widens glover's peak only and takes the undershoot's dispersion as 1.
    auto wider = shape;
    wider.dispersion = shape.dispersion + kDispersionDelta;
    wider.undershootDispersion = 1.0;
    kernels.push_back(
        scaledDifference(kernels[0], responseKernel(wider, dt, 0.0), kDispersionDelta));
  }
  return kernels;
}

}  // namespace duv
