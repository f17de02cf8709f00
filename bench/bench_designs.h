#pragma once

// What the benchmarks share: the generated designs they run on, a scratch folder, an output
// stream that only counts, and the float-operation counts they report next to their times.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>

#include "design/design_matrix.h"

namespace duv::bench {

// The example study's task design (four conditions and a constant) widened to `predictors`
// predictors with study confounds (motion terms, drifts, spikes, noise components), generated
// once per size and kept.
const DesignMatrix& benchDesign(int predictors, int points);

// A folder for the benchmarks' files, made on first use and removed at exit.
const std::string& scratchDir();

// Discards what is written and counts it, so that formatting is timed without a device.
class CountingStream : public std::ostream {
 public:
  CountingStream() : std::ostream(&buffer_) {}
  std::int64_t bytes() const { return buffer_.bytes; }

 private:
  struct Buffer : std::streambuf {
    std::int64_t bytes = 0;
    int_type overflow(int_type c) override {
      ++bytes;
      return c == traits_type::eof() ? traits_type::not_eof(c) : c;
    }
    std::streamsize xsputn(const char*, std::streamsize count) override {
      bytes += count;
      return count;
    }
  };
  Buffer buffer_;
};

// Float operations per run, shown as a count and as a rate next to the time.
void reportFlops(benchmark::State& state, double flops);

// The float operations the correlation table needs: the product sums of every pair (each pair
// once, the table being symmetric) and two passes per column for mean and deviation.
double tableFlops(double predictors, double points);

// The float operations of the report's R² section for a design whose fits have about
// `predictors` regressors each: the products of the regressor columns once (Gram matrix), and
// per fit the inverse of the normal matrix (Golub-Reinsch SVD with both factors, 21 p^3 by
// Golub and Van Loan's count, and V diag(1/w) U^T, 3 p^3) and (A X^T) y, 2 p^2 n.
double rSquaredFlops(double predictors, double points);

}  // namespace duv::bench
