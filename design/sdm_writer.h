#pragma once

#include <iosfwd>

#include "design/design_matrix.h"

namespace duv {

// Writes the matrix as SDM text (sdm_format.h). Leaves `out` in fixed notation with precision 6.
// A failing stream is left failed (writeFile makes it IOError). Files are saved through the
// seam: saveDesign with kSdmFormat.
void writeSdm(const DesignMatrix& design, std::ostream& out);

// The matrix as it reads back from the SDM text that writeSdm gives it: every value rounded to
// the six decimals written (a value that is not a number is left as it is), and
// firstConfoundPredictor lowered to nrOfPredictors + 1 where it lies above, as the reader
// lowers it. For describing a file that is being saved without reading it again.
DesignMatrix asReadBack(DesignMatrix matrix);

}  // namespace duv
