#pragma once

// The names of a merge's files, known from its request alone (nothing is read), so that a
// front end can plan and check its outputs before the merge runs. mergeDesigns gives its
// results the same names.

#include <optional>
#include <string>
#include <vector>

#include "workflow/merge_request.h"

namespace duv {

// The files of one saved result.
struct ResultFiles {
  std::string design;  // the result itself
  std::string report;  // its correlation report and table beside it (MergeRequest::reports)
  std::string table;
};

// The files of a result saved at `designPath`.
ResultFiles filesOfResult(const std::string& designPath);

// Where a result suggested as `suggestedName` goes when results are saved in `folder`: inside
// it under the suggested file name; without a folder, at the suggested path itself.
std::string pathInFolder(const std::string& suggestedName,
                         const std::optional<std::string>& folder);

// The suggested name of every result, in result order: the primary's path with a suffix from
// each secondary's name, or the first secondary's name with a suffix from every further one
// (mergedFileName); a secondary file's name is designNameOf it, a matrix's its fileName.
std::vector<std::string> suggestedResultNames(const MergeRequest& request);

// The files of every result, in result order, each saved at pathInFolder(its suggested name,
// folder).
std::vector<ResultFiles> resultFiles(const MergeRequest& request,
                                     const std::optional<std::string>& folder);

}  // namespace duv
