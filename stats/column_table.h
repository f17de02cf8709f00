#pragma once

// Columns of equal length laid side by side, row by row, so that one pass over the rows serves
// every column: the vector kernels then work across columns, each column's (or pair's) sum
// still taken alone and in increasing row order.

#include <cstddef>
#include <vector>

#include "numerics/column_statistics.h"

namespace duv {

class ColumnTable {
 public:
  // Copies `rows` values of each column, in order. Every pointer must reach `rows` floats.
  ColumnTable(const std::vector<const float*>& columns, std::size_t rows);

  std::size_t rows() const { return rows_; }
  std::size_t columns() const { return columns_; }
  // Value r of column c at r * columns() + c.
  const float* data() const { return values_.data(); }

  // The sums of products of every pair of columns, columns() x columns() row-major: element
  // (i, j) is the sum over r = 0 .. rows-1 of x(r, i) * x(r, j), added in increasing r from the
  // r = 0 term (0 without rows). Each pair is formed once; the result is symmetric.
  std::vector<float> products() const;

  // meanAndDeviation of every column, the same bits as column by column.
  std::vector<MeanAndDeviation> statistics() const;

 private:
  std::size_t rows_;
  std::size_t columns_;
  std::vector<float> values_;  // x(r, c) at r * columns_ + c
};

}  // namespace duv
