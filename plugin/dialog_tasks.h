#pragma once

// The dialog's tasks over the typed workflows: each reads its inputs from the dialog
// parameters, builds the workflow's request, and answers the user through the host (save
// dialogs, message boxes, the log). Every host call is made in the order the dialog's script
// and its users know.

#include "plugin/host_bridge.h"
#include "workflow/merge_request.h"

namespace duv {

class FileSystem;

// "mergeall" (MergeKind::withPrimary) and "mergesec". Reads "ztans", "baseline", "allcorr" and the
// list "sdms2" (paths separated by line breaks). Entries ending in ".sdm" are read as design
// matrices, ".rtc" as time-course files; every other entry (another or an upper-case
// extension, an empty line) is skipped. Throws texts::kNoSecondaries for an empty list and
// texts::kNotEnoughSecondaries for a single entry without a primary (counting entries, read or
// skipped), and the workflow's errors. After the secondaries agree in their number of data
// points, "mergeall" reads the primary's path from "sdm1". Each result is offered in the save
// dialog under its suggested name; a cancelled dialog skips it.
// Returns false after telling a data-point mismatch in a message box (nothing saved).
bool mergeFromDialog(HostBridge& host, FileSystem& files, MergeKind kind);

// "sdm1corr": the correlation report and table of the SDM file named by "sdm1", beside it.
// Throws the reader's and the workflow's errors.
void correlateFromDialog(HostBridge& host, FileSystem& files);

}  // namespace duv
