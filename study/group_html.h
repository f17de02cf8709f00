#pragma once

// group.html: a study's runs on one self-contained page (no network, no external scripts or
// fonts), made to sit at the top of the study's output folder:
// - a title, and the counts of runs ok, warned (medium, high, error), failed and skipped (when
//   any);
// - the subjects whose every run fails a motion rule, named (study/group_subjects.h);
// - the record files that could not be read, if any;
// - per subject (when the runs have fields): its runs ok, warned, failed and skipped;
// - the distributions of the runs' mean framewise displacement and highest task VIF
//   (study/dot_plot.h): the runs above Tukey's upper fence Q3 + 1.5 IQR named, the motion
//   rule's mean-FD limit drawn beside the fence; runs without the value left out. A run is
//   labelled by the values of the fields that tell the runs apart ("sub 03, run 2"), by its
//   name when they do not;
// - a table of every run with the columns of group.tsv (study/group_tsv.h), each row in its
//   status's colour, the run's name linking to its check page; it fits the window's width
//   (down to about 1,400 pixels), its long texts (names, first errors, reasons) wrapping.
//
// Sorting: a click on a column's heading sorts the rows by that column, a second click the
// other way; numbers sort as numbers, texts with their digits as numbers, empty cells last
// either way; equal rows keep their order. Sorting sets the address's fragment to "#sort=KEY"
// ("#sort=-KEY" descending; KEY the column's group.tsv header, URI-encoded), and a page opened
// with such a fragment sorts itself by clicking that heading once or twice, as a reader would.
//
// After loading, the page's script marks <body data-rendered="ok"> when every figure has a
// size (else "incomplete"); gives every figure, data-figure "mean-fd", "task-vif" and "runs",
// a data-box="left,top,width,height" (page pixels); marks the table data-sorted="KEY" or
// "-KEY" once sorted; and adds every script or resource error to data-errors on <html>. Each
// row has data-i: its run's position in `runs`, from 0.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "study/run_record.h"

namespace duv {

// What the page shows beside the runs' records.
struct GroupPageSettings {
  // The mean-FD limit of the motion rule the runs were checked by (MotionLimits), mm, and the
  // rule's name; none: no line.
  std::optional<double> meanDisplacementLimit;
  std::string motionRule;
};

// `runs` in the order the table first shows them; `unreadableRecords`: messages naming the
// record files that could not be read (FoundRunRecords::errors). A run's checkPage is relative
// to the output folder, where the page sits. Stream failures are left in the stream's state.
void writeGroupHtml(const std::vector<RunRecord>& runs,
                    const std::vector<std::string>& unreadableRecords, std::ostream& out,
                    const GroupPageSettings& settings = {});

}  // namespace duv
