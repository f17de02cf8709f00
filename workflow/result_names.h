#pragma once

// The names of a merge's files, known from its request alone (nothing is read), so that a
// front end can plan and check its outputs before the merge runs. mergeDesigns gives its
// results the same names.

#include <optional>
#include <string>
#include <vector>

#include "design/design_format.h"
#include "workflow/merge_request.h"

namespace duv {

// The files of one saved result.
struct ResultFiles {
  std::vector<std::string> designs;   // the result itself, once per format asked, in that order
  std::optional<std::string> report;  // its correlation report and table beside it, when asked
  std::optional<std::string> table;
};

// The files of a result saved at `path`, the path its destination chose: the design in each of
// `formats`, the first at `path` itself and every further one beside it (pathInFormat); with
// `reports`, the correlation report (".txt") and table
// (".csv") beside it.
ResultFiles resultFilesAt(const std::string& path, const std::vector<const DesignFormat*>& formats,
                          bool reports);

// Where a result suggested as `suggestedName` goes when results are saved in `folder`: inside
// it under the suggested file name; without a folder, at the suggested path itself.
std::string pathInFolder(const std::string& suggestedName,
                         const std::optional<std::string>& folder);

// The suggested name of every result, in result order: the primary's path with a suffix from
// each secondary's name, or the first secondary's name with a suffix from every further one
// (mergedFileName); a secondary file's name is designNameOf it, a matrix's its fileName.
std::vector<std::string> suggestedResultNames(const MergeRequest& request);

// The files of every result, in result order, each saved at pathInFolder(its suggested name,
// folder) in the request's formats, with its reports when the request asks for them.
std::vector<ResultFiles> resultFiles(const MergeRequest& request,
                                     const std::optional<std::string>& folder);

}  // namespace duv
