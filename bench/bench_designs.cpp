#include "bench/bench_designs.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <utility>

#include "examples/generator/study_generator.h"

namespace duv::bench {
namespace {

constexpr int kConditions = 4;
constexpr unsigned kSeed = 2026;

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "duvendal-bench-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("cannot make a scratch folder in " + pattern);
    }
    path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

const DesignMatrix& benchDesign(int predictors, int points) {
  static std::map<std::pair<int, int>, DesignMatrix> designs;
  auto found = designs.find({predictors, points});
  if (found != designs.end()) return found->second;
  examples::Random random(kSeed);
  auto design = examples::taskDesign(kConditions, points, random);
  examples::Random confoundRandom(kSeed + 1);
  examples::addStudyConfounds(design, predictors, confoundRandom);
  design.fileName = scratchDir() + "/design_" + std::to_string(predictors) + "x" +
                    std::to_string(points) + ".sdm";
  return designs.emplace(std::pair{predictors, points}, std::move(design)).first->second;
}

const std::string& scratchDir() {
  static const ScratchDir dir;
  return dir.path();
}

void reportFlops(benchmark::State& state, double flops) {
  state.counters["flop"] =
      benchmark::Counter(flops, benchmark::Counter::kDefaults, benchmark::Counter::kIs1000);
  state.counters["flop_rate"] = benchmark::Counter(
      flops, benchmark::Counter::kIsIterationInvariantRate, benchmark::Counter::kIs1000);
}

double tableFlops(double predictors, double points) {
  return predictors * (predictors + 1) / 2 * 2 * points + predictors * 5 * points;
}

double rSquaredFlops(double predictors, double points) {
  const double regressors = predictors + 1;
  const double gram = regressors * (regressors + 1) / 2 * 2 * points;
  const double p = predictors;
  const double perFit = 21 * p * p * p + 3 * p * p * p + 2 * p * p * points + 6 * p * points;
  return gram + predictors * perFit;
}

}  // namespace duv::bench
