#pragma once

// One measure of a study's runs as a figure of the group page: a dot per run (inline SVG),
// the measure upwards, runs of about the same value spread side by side; beside them a box of
// the quartiles with the median and whiskers; the upper fence Q3 + 1.5 IQR dashed, and any
// absolute limits solid, labelled and counted in the notes (runs above each); the runs above
// the fence named beside their dots (as many as fit; all are listed below the plot). Infinite
// values lie in a band of their own above the axis. Dots take their run's status colour, link
// to its check page and name it on hovering. Only the named runs have text in the SVG, so
// that a plot of 1,000 runs stays light.

#include <cstddef>
#include <string>
#include <vector>

#include "check/check_status.h"

namespace duv {

struct DotPlotRun {
  double value = 0.0;      // finite or +infinity
  std::string label;       // names the run, plain text
  std::string shortLabel;  // the label beside its dot: `label` shortened for the page
                           // (shortLabels, kLongestRunLabel of check/page_kit.h)
  std::string link;        // its check page as a URL relative to the page; empty: none
  CheckStatus status = CheckStatus::ok;  // its colour (dotColour)
};

// An absolute limit on the measure (a motion rule's), drawn as a solid line across the dots
// beside Tukey's fence, whatever the runs' values.
struct DotPlotLimit {
  double value = 0.0;  // finite
  std::string label;   // plain text, as "stringent rule: 0.25 mm"
};

struct DotPlot {
  std::string figure;        // the data-figure name of its drawing
  std::string caption;       // plain text
  std::string unit;          // after values in texts ("mm"); may be empty
  bool logarithmic = false;  // a logarithmic axis, unless a value is 0 or less
  int decimals = 2;          // of values in texts
  std::vector<DotPlotRun> runs;
  std::size_t withoutValue = 0;  // runs left out for want of the value, for the note
  std::vector<DotPlotLimit> limits;
};

// The plot as an HTML <figure>; without runs, a figure saying there is nothing to draw.
std::string dotPlotFigure(const DotPlot& plot);

}  // namespace duv
