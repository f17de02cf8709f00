#include "stats/regression_fits.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "stats/column_table.h"
#include "stats/singular_value_decomposition.h"
#include "stats/vector_kernels.h"

namespace duv {
namespace {

constexpr std::size_t kVectorFloats = 8;

// The distance between the columns of a fit's matrices: whole vectors, so that columns start
// aligned alike, and an odd number of them, so that the same rows of many columns spread over
// the cache's sets instead of crowding into a few (as with a stride of 256 floats).
std::size_t columnStride(std::size_t rows) {
  const std::size_t vectors = (rows + kVectorFloats - 1) / kVectorFloats;
  return (vectors % 2 == 0 ? vectors + 1 : vectors) * kVectorFloats;
}

std::size_t indexOf(std::int32_t position) { return static_cast<std::size_t>(position); }

bool sameBits(const float* first, const float* second, std::size_t rows) {
  for (std::size_t r = 0; r < rows; ++r) {
    if (std::bit_cast<std::uint32_t>(first[r]) != std::bit_cast<std::uint32_t>(second[r])) {
      return false;
    }
  }
  return true;
}

std::vector<const float*> columnsOf(const Matrix& regressors) {
  std::vector<const float*> columns;
  columns.reserve(indexOf(regressors.cols()));
  for (std::int32_t c = 0; c < regressors.cols(); ++c) {
    columns.push_back(regressors.data() + indexOf(c) * indexOf(regressors.rows()));
  }
  return columns;
}

// What all fits share: the regressors, column by column and row by row, their sums of
// products, and for every column the first column holding the same bits (itself when none
// does).
struct FitInputs {
  explicit FitInputs(const Matrix& matrix)
      : regressors(matrix.data()),
        n(indexOf(matrix.rows())),
        q(indexOf(matrix.cols())),
        table(columnsOf(matrix), n),
        products(table.products()) {}

  const float* regressors;  // column-major, n x q
  std::size_t n;
  std::size_t q;
  ColumnTable table;
  std::vector<float> products;  // q x q
  std::vector<std::int32_t> firstOfEqual;
};

FitInputs inputsOf(const Matrix& regressors) {
  FitInputs inputs(regressors);
  const auto columns = columnsOf(regressors);
  inputs.firstOfEqual.resize(inputs.q);
  for (std::size_t c = 0; c < inputs.q; ++c) {
    inputs.firstOfEqual[c] = static_cast<std::int32_t>(c);
    for (std::size_t earlier = 0; earlier < c; ++earlier) {
      if (indexOf(inputs.firstOfEqual[earlier]) == earlier &&
          sameBits(columns[earlier], columns[c], inputs.n)) {
        inputs.firstOfEqual[c] = static_cast<std::int32_t>(earlier);
        break;
      }
    }
  }
  return inputs;
}

// Everything one fit needs besides the inputs, sized once for the largest fit.
class FitWorkspace {
 public:
  explicit FitWorkspace(const FitInputs& inputs)
      : inputs_(inputs),
        stride_(columnStride(inputs.q)),
        groupTaken_(inputs.q),
        normal_(stride_ * inputs.q, 0.0F),
        singularValues_(inputs.q),
        v_(stride_ * inputs.q, 0.0F),
        inverse_(stride_ * inputs.q, 0.0F),
        coefficients_(stride_),
        scratch_(4 * stride_),
        fit_(inputs.n) {
    columns_.reserve(inputs.q);
    // A decomposition of order p records fewer than p^2 rotations for U and for V (about
    // 0.4 p^2 each for the designs measured); more would only grow the record now and then.
    svd_.leftRotations.reserve(inputs.q * inputs.q);
    svd_.rightRotations.reserve(inputs.q * inputs.q);
  }

  float rSquared(std::int32_t target) {
    chooseColumns(target);
    const std::size_t n = inputs_.n;
    const float* y = inputs_.regressors + indexOf(target) * n;
    // Every sum starts from its element 0 term rather than from 0, as the fits are defined.
    float sum = y[0];
    for (std::size_t r = 1; r < n; ++r) sum += y[r];
    const float mean = sum / static_cast<float>(n);
    float total = (y[0] - mean) * (y[0] - mean);
    for (std::size_t r = 1; r < n; ++r) total += (y[r] - mean) * (y[r] - mean);

    fitValues(y);
    float residual = (y[0] - fit_[0]) * (y[0] - fit_[0]);
    for (std::size_t r = 1; r < n; ++r) residual += (y[r] - fit_[r]) * (y[r] - fit_[r]);
    return 1.0F - residual / total;
  }

 private:
  // The regressors of the target: every column but it, less the columns whose bits repeat an
  // earlier one of them.
  void chooseColumns(std::int32_t target) {
    columns_.clear();
    std::fill(groupTaken_.begin(), groupTaken_.end(), false);
    for (std::size_t c = 0; c < inputs_.q; ++c) {
      if (c == indexOf(target)) continue;
      const auto group = indexOf(inputs_.firstOfEqual[c]);
      if (groupTaken_[group]) continue;
      groupTaken_[group] = true;
      columns_.push_back(static_cast<std::int32_t>(c));
    }
  }

  // fit = X b with b = (inverse(X^T X) X^T) y.
  void fitValues(const float* y) {
    const std::size_t n = inputs_.n;
    const std::size_t p = columns_.size();
    if (p == 0) {
      std::fill(fit_.begin(), fit_.end(), 0.0F);
      return;
    }
    for (std::size_t b = 0; b < p; ++b) {
      const float* products = inputs_.products.data() + indexOf(columns_[b]) * inputs_.q;
      float* column = normal_.data() + b * stride_;
      for (std::size_t a = 0; a < p; ++a) column[a] = products[indexOf(columns_[a])];
    }
    const auto size = static_cast<std::int32_t>(p);
    if (!singularValueDecomposition(normal_.data(), size, size, stride_, singularValues_.data(),
                                    v_.data(), stride_, svd_)) {
      throw MatrixInversionError();
    }
    kernels::inverseFromDecomposition(normal_.data(), stride_, v_.data(), stride_,
                                      singularValues_.data(), p, inverse_.data(), stride_);
    kernels::fitCoefficients(inverse_.data(), stride_, p, inputs_.table.data(), inputs_.q,
                             columns_.data(), n, y, coefficients_.data(), scratch_.data());
    const float* first = inputs_.regressors + indexOf(columns_[0]) * n;
    for (std::size_t r = 0; r < n; ++r) fit_[r] = first[r] * coefficients_[0];
    for (std::size_t j = 1; j < p; ++j) {
      const float* column = inputs_.regressors + indexOf(columns_[j]) * n;
      const float coefficient = coefficients_[j];
      for (std::size_t r = 0; r < n; ++r) fit_[r] += column[r] * coefficient;
    }
  }

  const FitInputs& inputs_;
  std::size_t stride_;
  std::vector<std::int32_t> columns_;
  std::vector<bool> groupTaken_;
  std::vector<float> normal_;  // X^T X, then U
  std::vector<float> singularValues_;
  std::vector<float> v_;
  std::vector<float> inverse_;
  std::vector<float> coefficients_;
  std::vector<float> scratch_;
  std::vector<float> fit_;
  SvdWorkspace svd_;
};

// Fits taken in turn by several threads. A failed fit keeps its error; fits after the first
// failure are skipped, since only the first failure in target order is reported.
class ParallelFits {
 public:
  ParallelFits(const FitInputs& inputs, std::int32_t targets)
      : inputs_(inputs),
        targets_(targets),
        results_(indexOf(targets)),
        errors_(indexOf(targets)),
        firstFailure_(targets) {}

  std::vector<float> run(std::size_t workers) {
    std::vector<std::thread> threads;
    threads.reserve(workers - 1);
    try {
      for (std::size_t t = 1; t < workers; ++t) threads.emplace_back([this] { work(); });
    } catch (...) {
      // Fewer threads than asked for: the ones started and this one finish the fits.
    }
    work();
    for (auto& thread : threads) thread.join();
    for (const auto& error : errors_) {
      if (error) std::rethrow_exception(error);
    }
    // Every thread failed to make its workspace before any fit.
    if (next_.load() < targets_) std::rethrow_exception(setupError_);
    return std::move(results_);
  }

 private:
  void work() {
    std::unique_ptr<FitWorkspace> workspace;
    try {
      workspace = std::make_unique<FitWorkspace>(inputs_);
    } catch (...) {
      // The other threads take the fits; the error counts only if none could.
      const std::lock_guard<std::mutex> lock(setupErrorMutex_);
      setupError_ = std::current_exception();
      return;
    }
    for (;;) {
      const std::int32_t k = next_.fetch_add(1);
      if (k >= targets_ || k > firstFailure_.load()) return;
      try {
        results_[indexOf(k)] = workspace->rSquared(k);
      } catch (...) {
        errors_[indexOf(k)] = std::current_exception();
        std::int32_t failure = firstFailure_.load();
        while (k < failure && !firstFailure_.compare_exchange_weak(failure, k)) {
        }
      }
    }
  }

  const FitInputs& inputs_;
  std::int32_t targets_;
  std::vector<float> results_;
  std::vector<std::exception_ptr> errors_;
  std::atomic<std::int32_t> next_{0};
  std::atomic<std::int32_t> firstFailure_;
  std::mutex setupErrorMutex_;
  std::exception_ptr setupError_;
};

}  // namespace

std::vector<float> rSquaredOfTargets(const Matrix& regressors, std::int32_t targets,
                                     std::size_t workers) {
  if (targets <= 0) return {};
  const FitInputs inputs = inputsOf(regressors);
  const std::size_t threads = std::clamp<std::size_t>(workers, 1, indexOf(targets));
  if (threads == 1) {
    std::vector<float> results;
    results.reserve(indexOf(targets));
    FitWorkspace workspace(inputs);
    for (std::int32_t k = 0; k < targets; ++k) results.push_back(workspace.rSquared(k));
    return results;
  }
  return ParallelFits(inputs, targets).run(threads);
}

}  // namespace duv
