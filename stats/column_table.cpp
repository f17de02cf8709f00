#include "stats/column_table.h"

#include <algorithm>
#include <cmath>

#include "stats/vector_kernels.h"

namespace duv {
namespace {

// Rows of the product matrix formed together: the kernels' tiles are four rows high.
constexpr std::size_t kProductBlock = 16;

}  // namespace

ColumnTable::ColumnTable(const std::vector<const float*>& columns, std::size_t rows)
    : rows_(rows), columns_(columns.size()), values_(rows * columns.size()) {
  for (std::size_t c = 0; c < columns_; ++c) {
    const float* column = columns[c];
    for (std::size_t r = 0; r < rows_; ++r) values_[r * columns_ + c] = column[r];
  }
}

std::vector<float> ColumnTable::products() const {
  const std::size_t count = columns_;
  std::vector<float> products(count * count);
  // Block rows from the diagonal on; the part left of the diagonal is mirrored afterwards.
  for (std::size_t first = 0; first < count; first += kProductBlock) {
    const std::size_t rowsOfBlock = std::min(kProductBlock, count - first);
    kernels::productSums(values_.data(), count, rows_, first, rowsOfBlock, first, count - first,
                         products.data() + first * count + first, count);
  }
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t j = i + 1; j < count; ++j) products[j * count + i] = products[i * count + j];
  }
  return products;
}

std::vector<MeanAndDeviation> ColumnTable::statistics() const {
  const std::size_t count = columns_;
  std::vector<MeanAndDeviation> statistics(count, MeanAndDeviation{0.0F, 0.0F});
  if (rows_ == 0) return statistics;
  // Each column's sums start at 0 and take the rows in order, as meanAndDeviation's do; the
  // loops over the columns are the ones the compiler vectorises.
  std::vector<float> sums(count, 0.0F);
  for (std::size_t r = 0; r < rows_; ++r) {
    const float* row = values_.data() + r * count;
    for (std::size_t c = 0; c < count; ++c) sums[c] += row[c];
  }
  std::vector<float> means(count);
  for (std::size_t c = 0; c < count; ++c) means[c] = sums[c] / static_cast<float>(rows_);
  std::vector<float> squares(count, 0.0F);
  for (std::size_t r = 0; r < rows_; ++r) {
    const float* row = values_.data() + r * count;
    for (std::size_t c = 0; c < count; ++c) {
      const float difference = row[c] - means[c];
      squares[c] += difference * difference;
    }
  }
  for (std::size_t c = 0; c < count; ++c) {
    statistics[c] = {means[c], std::sqrt(squares[c] / static_cast<float>(rows_ - 1))};
  }
  return statistics;
}

}  // namespace duv
