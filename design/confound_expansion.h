#pragma once

// The variants of motion columns that pipelines add to their tables, made for files that hold
// only the parameters themselves.

namespace duv {

struct ConfoundTable;

// Appends, with `derivatives`, each column's backward difference (row 0 is 0, row t is
// x[t] - x[t-1]) named "<name>_derivative1", and with `squares` each column's square
// "<name>_power2" and, with both, each difference's square "<name>_derivative1_power2". The
// order is: the columns, their differences, their squares, the squares of the differences. All
// arithmetic is single precision. Throws std::runtime_error naming the file when the columns
// would exceed the design-matrix limit, and
//   "<fileName>, column <name>_derivative1: the difference of two values overflows single
//   precision" or "<fileName>, column <name>_power2: the square of a value overflows single
//   precision" (and so for "<name>_derivative1_power2") when finite values make an infinite one.
void expandMotion(ConfoundTable& table, bool derivatives, bool squares);

}  // namespace duv
