#include "stats/singular_value_decomposition.h"

#include <algorithm>
#include <cmath>

namespace duv {
namespace {

using kernels::ColumnRotation;

// |magnitude| with the sign of `sign`; a zero `sign` counts as positive.
float withSignOf(float magnitude, float sign) {
  return sign >= 0.0F ? std::abs(magnitude) : -std::abs(magnitude);
}

// sqrt(x^2 + y^2) without overflow or underflow in the squares.
float hypotenuse(float x, float y) {
  const float absX = std::abs(x);
  const float absY = std::abs(y);
  if (absX > absY) {
    const float ratio = absY / absX;
    return absX * std::sqrt(1.0F + ratio * ratio);
  }
  if (absY == 0.0F) return 0.0F;
  const float ratio = absX / absY;
  return absY * std::sqrt(1.0F + ratio * ratio);
}

// Counts as zero next to the largest bidiagonal entry.
bool negligible(float value, float anorm) { return std::abs(value) + anorm == anorm; }

// A column-major matrix in a caller's array.
struct Columns {
  float* data;
  std::size_t stride;
  float& operator()(std::size_t r, std::size_t c) const { return data[r + c * stride]; }
  float* column(std::size_t c) const { return data + c * stride; }
};

// A row-major matrix in the workspace.
struct Rows {
  float* data;
  std::size_t stride;
  float& operator()(std::size_t r, std::size_t c) const { return data[r * stride + c]; }
  float* row(std::size_t r) const { return data + r * stride; }
};

class Decomposition {
 public:
  Decomposition(float* a, std::size_t m, std::size_t n, std::size_t aStride, float* w, float* v,
                std::size_t vStride, SvdWorkspace& workspace)
      : a_{a, aStride},
        m_(m),
        n_(n),
        w_(w),
        v_{v, vStride},
        table_(workspace.table),
        e_(workspace.superdiagonal),
        sums_(workspace.sums),
        factors_(workspace.factors),
        vector_(workspace.householder),
        nextVector_(workspace.nextHouseholder),
        nextSums_(workspace.nextSums),
        reflections_(workspace.reflections),
        left_(workspace.leftRotations),
        right_(workspace.rightRotations) {
    table_.resize(std::max(m * n, n * n));
    e_.resize(n);
    sums_.resize(std::max(m, n) + 1);
    factors_.resize(std::max(m, n));
    vector_.resize(std::max(m, n));
    nextVector_.resize(std::max(m, n));
    nextSums_.resize(std::max(m, n) + 1);
    left_.clear();
    right_.clear();
  }

  bool run() {
    bidiagonalize();
    accumulateRight();
    accumulateLeft();
    const bool converged = diagonalize();
    kernels::applyRotations(v_.data, v_.stride, n_, right_.data(), right_.size());
    kernels::applyRotations(a_.data, a_.stride, m_, left_.data(), left_.size());
    return converged;
  }

 private:
  // -------------------------------------------------------------------------------------------
  // Householder reduction to upper bidiagonal form. The row-major copy r_ holds the same values
  // as a_ in rows and columns from i on, before step i.

  // The classic step i changes the trailing part six times over: column reflection (inner
  // products, update of a, update of the copy), then row reflection (the same three). Here each
  // step goes over each copy once. An update is carried to the next step's pass over the same
  // copy, where it is applied before that step's own update and inner products, element by
  // element in the classic order; the few rows and columns a step needs before its pass (its
  // own column, its own row) receive the carried updates first. Values that no later step reads
  // (row i of a beyond its Householder vector, column i of the copy) are left behind.
  struct Reflection {
    bool active = false;
    float* vector = nullptr;   // the normalised column (at rows) or row (at columns)
    float* factors = nullptr;  // column: dot(j) / h at columns; row: work(k) at columns
    float* dots = nullptr;     // row reflection: dot(r) at r - (i + 1)
  };

  void bidiagonalize() {
    r_ = Rows{table_.data(), n_};
    for (std::size_t row = 0; row < m_; ++row) {
      for (std::size_t c = 0; c < n_; ++c) r_(row, c) = a_(row, c);
    }
    const std::size_t size = std::max(m_, n_) + 1;
    reflections_.resize(10 * size);
    float* buffers[10];
    for (std::size_t b = 0; b < 10; ++b) buffers[b] = reflections_.data() + b * size;
    Reflection column[2] = {{false, buffers[0], buffers[1], nullptr},
                            {false, buffers[2], buffers[3], nullptr}};
    Reflection row[2] = {{false, buffers[4], buffers[5], buffers[6]},
                         {false, buffers[7], buffers[8], buffers[9]}};
    float superdiagonal = 0.0F;
    for (std::size_t i = 0; i < n_; ++i) {
      Reflection& lastColumn = column[(i + 1) % 2];
      Reflection& lastRow = row[(i + 1) % 2];
      Reflection& thisColumn = column[i % 2];
      Reflection& thisRow = row[i % 2];
      e_[i] = superdiagonal;
      w_[i] = reflectColumn(i, lastColumn, lastRow, thisColumn);
      superdiagonal = reflectRow(i, lastRow, thisColumn, thisRow);
      const float magnitude = std::abs(w_[i]) + std::abs(e_[i]);
      // Once NaN, anorm stays NaN: no later comparison replaces it.
      if (std::isnan(magnitude) || magnitude > anorm_) anorm_ = magnitude;
    }
  }

  float reflectColumn(std::size_t i, const Reflection& lastColumn, const Reflection& lastRow,
                      Reflection& reflection) {
    reflection.active = false;
    if (i >= m_) return 0.0F;
    float* column = a_.column(i);
    // The last row reflection's update of column i.
    if (lastRow.active) {
      const float work = lastRow.factors[i];
      for (std::size_t k = i; k < m_; ++k) column[k] += lastRow.dots[k - i] * work;
    }
    float scale = 0.0F;
    for (std::size_t k = i; k < m_; ++k) scale += std::abs(column[k]);
    // The copy's rows from i take the carried updates; with a reflection, the inner products
    // dot(j) = sum over k of a(k, i) * a(k, j), from 0, in the same pass.
    const std::size_t rest = n_ - i - 1;
    const auto carriedUpdates = [&](const float* next, float* sums) {
      kernels::addOuterProductsThenAccumulate(
          r_.row(i) + i + 1, r_.stride, m_ - i, rest,
          lastColumn.active ? lastColumn.vector + i : nullptr,
          lastColumn.active ? lastColumn.factors + i + 1 : nullptr,
          lastRow.active ? lastRow.dots : nullptr,
          lastRow.active ? lastRow.factors + i + 1 : nullptr, next, sums);
    };
    if (scale == 0.0F) {
      carriedUpdates(nullptr, nullptr);
      return 0.0F;
    }
    float s = 0.0F;
    for (std::size_t k = i; k < m_; ++k) {
      column[k] /= scale;
      s += column[k] * column[k];
    }
    const float f = column[i];
    const float g = -withSignOf(std::sqrt(s), f);
    const float h = f * g - s;
    column[i] = f - g;
    float* vector = reflection.vector;
    for (std::size_t k = i; k < m_; ++k) vector[k] = column[k];
    float* dots = sums_.data();
    std::fill_n(dots, rest, 0.0F);
    carriedUpdates(vector + i, dots);
    float* factors = reflection.factors;
    for (std::size_t j = 0; j < rest; ++j) factors[i + 1 + j] = dots[j] / h;
    // Row i of the copy takes this reflection's update now: the row reflection starts from it.
    float* ownRow = r_.row(i);
    for (std::size_t j = i + 1; j < n_; ++j) ownRow[j] += factors[j] * vector[i];
    reflection.active = true;
    for (std::size_t k = i; k < m_; ++k) column[k] *= scale;
    return scale * g;
  }

  // Also applies the column reflection's update (and the last row reflection's) to a's columns
  // behind i, in the pass that forms this row reflection's inner products.
  float reflectRow(std::size_t i, const Reflection& lastRow, const Reflection& thisColumn,
                   Reflection& reflection) {
    reflection.active = false;
    const std::size_t l = i + 1;
    const auto columnsOfA = [&](const float* next, float* sums) {
      if (i >= m_ || l >= n_ || l >= m_) return;
      kernels::addOuterProductsThenAccumulate(
          &a_(l, l), a_.stride, n_ - l, m_ - l, lastRow.active ? lastRow.factors + l : nullptr,
          lastRow.active ? lastRow.dots + 1 : nullptr,
          thisColumn.active ? thisColumn.factors + l : nullptr,
          thisColumn.active ? thisColumn.vector + l : nullptr, next, sums);
    };
    if (i >= m_ || i == n_ - 1) {
      columnsOfA(nullptr, nullptr);
      return 0.0F;
    }
    float* row = r_.row(i);
    float scale = 0.0F;
    for (std::size_t k = l; k < n_; ++k) scale += std::abs(row[k]);
    if (scale == 0.0F) {
      columnsOfA(nullptr, nullptr);
      return 0.0F;
    }
    float s = 0.0F;
    for (std::size_t k = l; k < n_; ++k) {
      row[k] /= scale;
      s += row[k] * row[k];
    }
    const float f = row[l];
    const float g = -withSignOf(std::sqrt(s), f);
    const float h = f * g - s;
    row[l] = f - g;
    float* work = reflection.factors;
    for (std::size_t k = l; k < n_; ++k) work[k] = row[k] / h;
    // dot(r) = sum over k of a(r, k) * a(i, k), from 0, for rows r > i.
    float* dots = reflection.dots;
    if (m_ > l) {
      std::fill_n(dots, m_ - l, 0.0F);
      columnsOfA(row + l, dots);
    }
    reflection.active = true;
    for (std::size_t k = l; k < n_; ++k) {
      row[k] *= scale;
      a_(i, k) = row[k];
    }
    return scale * g;
  }

  // -------------------------------------------------------------------------------------------
  // Accumulation of the transformations.

  // V from the right reflections, last first, on a row-major V. Each step's update runs in one
  // pass with the next step's inner products, which read the rows just updated.
  void accumulateRight() {
    const Rows vr{table_.data(), n_};
    float* householder = vector_.data();
    float* nextHouseholder = nextVector_.data();
    float* temporary = factors_.data();
    float* s = sums_.data();  // s(j) at s[j - l]
    float* nextSums = nextSums_.data();
    bool summed = false;  // s holds this step's inner products already
    for (std::size_t i = n_; i-- > 0;) {
      const std::size_t l = i + 1;
      if (i == n_ - 1) {
        vr(i, i) = 1.0F;
        continue;
      }
      const float g = e_[l];
      // Row and column i are set before the update, which neither reads nor writes them.
      for (std::size_t j = l; j < n_; ++j) {
        vr(i, j) = 0.0F;
        vr(j, i) = 0.0F;
      }
      vr(i, i) = 1.0F;
      if (g == 0.0F) {
        summed = false;
        continue;
      }
      for (std::size_t j = l; j < n_; ++j) householder[j] = a_(i, j);
      // Column i of V holds (a(i, j) / a(i, l)) / g while the other columns are updated.
      for (std::size_t j = l; j < n_; ++j) temporary[j] = (householder[j] / householder[l]) / g;
      // s(j) = sum over k of a(i, k) * v(k, j), from 0; then v(k, j) += s(j) * v(k, i).
      const std::size_t count = n_ - l;
      if (!summed) {
        std::fill_n(s, count, 0.0F);
        kernels::accumulateRows(s, householder + l, vr.row(l) + l, vr.stride, count, count);
      }
      summed = i > 0 && e_[i] != 0.0F;
      if (!summed) {
        kernels::addOuterProduct(vr.row(l) + l, vr.stride, count, count, temporary + l, s);
        continue;
      }
      // Step i - 1's s(j), j >= i: the sum over k >= i of a(i - 1, k) * v(k, j), row i first.
      for (std::size_t j = i; j < n_; ++j) nextHouseholder[j] = a_(i - 1, j);
      for (std::size_t j = i; j < n_; ++j) nextSums[j - i] = 0.0F + nextHouseholder[i] * vr(i, j);
      kernels::addOuterProductThenAccumulate(vr.row(l) + i, vr.stride, count, count + 1, 1,
                                             temporary + l, s, nextHouseholder + l, nextSums);
      std::swap(s, nextSums);
    }
    for (std::size_t c = 0; c < n_; ++c) {
      for (std::size_t r = 0; r < n_; ++r) v_(r, c) = vr(r, c);
    }
  }

  // U from the left reflections, last first, on a row-major copy of a, written back into a.
  // Each step's update runs in one pass with the next step's inner products.
  void accumulateLeft() {
    const Rows ur{table_.data(), n_};
    for (std::size_t r = 0; r < m_; ++r) {
      for (std::size_t c = 0; c < n_; ++c) ur(r, c) = a_(r, c);
    }
    float* householder = vector_.data();
    float* nextHouseholder = nextVector_.data();
    float* f = factors_.data();
    float* s = sums_.data();  // s(j) at s[j - l]
    float* nextSums = nextSums_.data();
    bool summed = false;  // s holds this step's inner products already
    for (std::size_t i = std::min(m_, n_); i-- > 0;) {
      const std::size_t l = i + 1;
      for (std::size_t j = l; j < n_; ++j) ur(i, j) = 0.0F;
      if (w_[i] == 0.0F) {
        for (std::size_t j = i; j < m_; ++j) ur(j, i) = 0.0F;
        ur(i, i) += 1.0F;
        summed = false;
        continue;
      }
      const float g = 1.0F / w_[i];
      const std::size_t count = n_ - l;
      for (std::size_t k = i; k < m_; ++k) householder[k] = ur(k, i);
      if (count > 0) {
        // s(j) = sum over k > i of a(k, i) * a(k, j), from 0; then for k >= i
        // a(k, j) += ((s(j) / a(i, i)) * g) * a(k, i).
        if (!summed) {
          std::fill_n(s, count, 0.0F);
          kernels::accumulateRows(s, householder + l, ur.row(l) + l, ur.stride, m_ - l, count);
        }
        for (std::size_t j = 0; j < count; ++j) f[j] = (s[j] / ur(i, i)) * g;
      }
      // Column i takes its last values before the update, which reads it from householder.
      for (std::size_t j = i; j < m_; ++j) ur(j, i) *= g;
      ur(i, i) += 1.0F;
      summed = i > 0 && w_[i - 1] != 0.0F;
      if (!summed) {
        if (count > 0) {
          kernels::addOuterProduct(ur.row(i) + l, ur.stride, m_ - i, count, householder + i, f);
        }
        continue;
      }
      // Step i - 1's s(j), j >= i: the sum over k >= i of a(k, i - 1) * a(k, j).
      for (std::size_t k = i; k < m_; ++k) nextHouseholder[k] = ur(k, i - 1);
      std::fill_n(nextSums, count + 1, 0.0F);
      kernels::addOuterProductThenAccumulate(ur.row(i) + i, ur.stride, m_ - i, count + 1, 1,
                                             householder + i, f, nextHouseholder + i, nextSums);
      std::swap(s, nextSums);
    }
    for (std::size_t c = 0; c < n_; ++c) {
      for (std::size_t r = 0; r < m_; ++r) a_(r, c) = ur(r, c);
    }
  }

  // -------------------------------------------------------------------------------------------
  // Diagonalisation of the bidiagonal form. Only w_ and e_ decide the rotations; they are
  // recorded for U and V and applied afterwards.

  void rotateLeft(std::size_t first, std::size_t second, float c, float s) {
    left_.push_back({static_cast<std::int32_t>(first), static_cast<std::int32_t>(second), c, s});
  }

  void rotateRight(std::size_t first, std::size_t second, float c, float s) {
    right_.push_back({static_cast<std::int32_t>(first), static_cast<std::int32_t>(second), c, s});
  }

  // The start l of the unreduced block ending at k: e[l] negligible (then returns true), or
  // w[l - 1] negligible (returns false, and e[l] must be cancelled first). e[0] is zero by
  // construction, so position 0 always ends the search, also when anorm is NaN.
  bool findBlockStart(std::size_t k, std::size_t& l) const {
    for (l = k; l > 0; --l) {
      if (negligible(e_[l], anorm_)) return true;
      if (negligible(w_[l - 1], anorm_)) return false;
    }
    return true;
  }

  // With w[l - 1] negligible, rotates e[l .. k] away into column l - 1 of U.
  void cancelSuperdiagonal(std::size_t l, std::size_t k) {
    const std::size_t nm = l - 1;
    float c = 0.0F;
    float s = 1.0F;
    for (std::size_t i = l; i <= k; ++i) {
      const float f = s * e_[i];
      e_[i] = c * e_[i];
      if (negligible(f, anorm_)) break;
      const float g = w_[i];
      float h = hypotenuse(f, g);
      w_[i] = h;
      h = 1.0F / h;
      c = g * h;
      s = -f * h;
      rotateLeft(nm, i, c, s);
    }
  }

  // One implicitly shifted QR sweep over the block l .. k.
  void shiftedSweep(std::size_t l, std::size_t k) {
    const std::size_t nm = k - 1;
    float x = w_[l];
    float y = w_[nm];
    float z = w_[k];
    float g = e_[nm];
    float h = e_[k];
    float f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0F * h * y);
    g = hypotenuse(f, 1.0F);
    f = ((x - z) * (x + z) + h * ((y / (f + withSignOf(g, f))) - h)) / x;
    float c = 1.0F;
    float s = 1.0F;
    for (std::size_t j = l; j <= nm; ++j) {
      const std::size_t i = j + 1;
      g = e_[i];
      y = w_[i];
      h = s * g;
      g = c * g;
      z = hypotenuse(f, h);
      e_[j] = z;
      c = f / z;
      s = h / z;
      f = x * c + g * s;
      g = g * c - x * s;
      h = y * s;
      y *= c;
      rotateRight(j, i, c, s);
      z = hypotenuse(f, h);
      w_[j] = z;
      if (z != 0.0F) {
        z = 1.0F / z;
        c = f * z;
        s = h * z;
      }
      f = c * g + s * y;
      x = c * y - s * g;
      rotateLeft(j, i, c, s);
    }
    e_[l] = 0.0F;
    e_[k] = f;
    w_[k] = x;
  }

  static constexpr int kMaxPasses = 30;

  bool diagonalize() {
    for (std::size_t k = n_; k-- > 0;) {
      for (int pass = 1;; ++pass) {
        std::size_t l = 0;
        if (!findBlockStart(k, l)) cancelSuperdiagonal(l, k);
        if (l == k) {
          if (w_[k] < 0.0F) {
            w_[k] = -w_[k];
            right_.push_back({static_cast<std::int32_t>(k), ColumnRotation::kNegate, 0.0F, 0.0F});
          }
          break;
        }
        if (pass == kMaxPasses) return false;
        shiftedSweep(l, k);
      }
    }
    return true;
  }

  Columns a_;
  std::size_t m_;
  std::size_t n_;
  float* w_;
  Columns v_;
  std::vector<float>& table_;
  std::vector<float>& e_;
  std::vector<float>& sums_;
  std::vector<float>& factors_;
  std::vector<float>& vector_;
  std::vector<float>& nextVector_;
  std::vector<float>& nextSums_;
  std::vector<float>& reflections_;
  std::vector<ColumnRotation>& left_;
  std::vector<ColumnRotation>& right_;
  Rows r_{nullptr, 0};
  float anorm_ = 0.0F;
};

}  // namespace

bool singularValueDecomposition(float* a, std::int32_t m, std::int32_t n, std::size_t aStride,
                                float* w, float* v, std::size_t vStride, SvdWorkspace& workspace) {
  Decomposition decomposition(a, static_cast<std::size_t>(m), static_cast<std::size_t>(n), aStride,
                              w, v, vStride, workspace);
  return decomposition.run();
}

}  // namespace duv
