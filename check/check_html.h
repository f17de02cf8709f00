#pragma once

// The check as one self-contained HTML page (no network, no external scripts or fonts), for a
// design or a run of files: per design its facts and warnings, the design matrix as an image
// (time down, one column per predictor scaled to its range, main predictors and confounds
// apart, names above), a heatmap of |r| with a colour scale marking the thresholds, and R² bars
// with the VIF thresholds drawn. Over several files, a summary table first.
//
// Pictures are inline SVG; the design matrix and heatmaps of more than 100 predictors are
// PNG images embedded as data: URIs: the design matrix at most 1000 rows (longer designs are
// averaged in bins), the heatmap at most 500 x 500 (each pixel the strongest |r| of its block).
// After loading, the page's script marks <body data-rendered="ok"> when every image decoded,
// gives every figure a data-box="left,top,width,height" (page pixels), and adds every script
// or resource error to data-errors on <html>.

#include <iosfwd>

#include "check/check_run.h"

namespace duv {

// Stream failures are left in the stream's state, not thrown.
void writeCheckHtml(const CheckRun& run, std::ostream& out);

}  // namespace duv
