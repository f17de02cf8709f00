#pragma once

#include <functional>
#include <optional>
#include <string>

#include "design/design_matrix.h"
#include "design/file_system.h"
#include "merge/host_services.h"

namespace duv {

// Reads one listed secondary file: its matrix, or nothing when the entry is to be skipped.
using SecondaryReader = std::function<std::optional<DesignMatrix>(const std::string& path)>;

// The dialog's rule: a path ending in ".sdm" is read as an SDM file, one ending in ".rtc" as a
// time-course file converted to a matrix; any other entry (another or an upper-case extension,
// an empty line, a trailing carriage return) is skipped. Throws the readers' errors.
std::optional<DesignMatrix> readDialogSecondary(const std::string& path, FileSystem& files);

// The merge task. withPrimary: merge the primary design ("sdm1") with every secondary one
// ("sdms2"), one result each; otherwise merge all secondary designs into one result. Reads the
// options "ztans", "baseline" and "allcorr", saves each result where the save dialog says and,
// with "allcorr", writes its report and table beside it.
// Returns false when it stopped at a data-point mismatch (told in a message box, nothing
// saved); throws on every other failure, results saved before it staying on disk.
// `readSecondary` reads each listed entry in list order; when empty, readDialogSecondary does.
bool mergeSdms(HostServices& host, FileSystem& files, bool withPrimary,
               const SecondaryReader& readSecondary = {});

}  // namespace duv
