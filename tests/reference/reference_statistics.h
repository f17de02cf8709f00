#pragma once

// The straightforward implementation of the column statistics, the correlation coefficient and
// table, and the correlation report, kept as the reference that the fast paths of merge/ and
// stats/ must reproduce bit for bit (every value, every byte of text). The loops are as the
// formulas read: one pair, one column, one fit at a time. Do not optimise them.

#include <iosfwd>
#include <vector>

#include "design/design_matrix.h"
#include "numerics/column_statistics.h"
#include "stats/correlation_report.h"
#include "tests/reference/reference_matrix.h"

namespace duv::reference {

MeanAndDeviation meanAndDeviation(const std::vector<float>& column);

float correlation(const std::vector<float>& a, const std::vector<float>& b);
float correlation(const std::vector<float>& a, const MeanAndDeviation& ofA,
                  const std::vector<float>& b, const MeanAndDeviation& ofB);
void writeCorrelationTable(const DesignMatrix& matrix, std::ostream& out);

Matrix buildRegressorMatrix(const DesignMatrix& matrix);
// A copy of `matrix` without column k (0 <= k < cols); the columns behind k move one place to
// the front.
Matrix removeColumn(const Matrix& matrix, std::int32_t k);
std::vector<RSquared> rSquaredValues(const DesignMatrix& matrix);
void writeCorrelationReport(const DesignMatrix& matrix, std::ostream& out);

}  // namespace duv::reference
