#pragma once

// group.html: a study's runs on one self-contained page (no network, no external scripts or
// fonts), made to sit at the top of the study's output folder:
// - a title, and the counts of runs ok, warned (medium, high, error) and failed;
// - the record files that could not be read, if any;
// - the distributions of the runs' mean framewise displacement and highest task VIF
//   (study/dot_plot.h): the runs above Tukey's upper fence Q3 + 1.5 IQR named; runs without
//   the value left out;
// - a table of every run with the columns of group.tsv (study/group_tsv.h), each row in its
//   status's colour, the run's name linking to its check page.
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
#include <string>
#include <vector>

#include "study/run_record.h"

namespace duv {

// `runs` in the order the table first shows them; `unreadableRecords`: messages naming the
// record files that could not be read (FoundRunRecords::errors). A run's checkPage is relative
// to the output folder, where the page sits. Stream failures are left in the stream's state.
void writeGroupHtml(const std::vector<RunRecord>& runs,
                    const std::vector<std::string>& unreadableRecords, std::ostream& out);

}  // namespace duv
