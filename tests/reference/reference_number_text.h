#pragma once

// The number conversions the text formats are defined by, through the C library: the platform's
// string-to-double conversion narrowed to float, and printf's fixed notation of the value
// widened to double. The fast conversions of design/number_text.h must give the same results.

#include <string>

#include "design/number_text.h"

namespace duv::reference {

// strtod at `first` (which must not begin with white space) on the decimal number there: a
// hexadecimal number is read up to its "0", as a decimal reader stops at the "x". Out of range
// when strtod reports a range error with an infinite or zero result (a subnormal result is a
// number). `end` is the end of the text strtod read.
ScannedNumber scanDouble(const std::string& text);

// printf("%.*f") of the value widened to double.
std::string fixed(float value, int decimals);

}  // namespace duv::reference
