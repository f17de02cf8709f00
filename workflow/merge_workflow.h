#pragma once

// The merges: "merge all" (the primary design with every secondary input, one result each) and
// "merge secondaries" (all secondary inputs into one result). Every front end runs them through
// these functions with a MergeRequest; where results go is asked through a ResultDestination,
// progress goes to a LogSink.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "design/confound_file.h"
#include "design/design_matrix.h"
#include "workflow/log_sink.h"
#include "workflow/merge_request.h"

namespace duv {

class FileSystem;

// Asked once per result, in result order, just before it would be saved, with the name the
// result suggests (its fileName); answers the path to save it to, or nothing to skip it (no
// file, no report). May throw; the merge then ends with that error.
using ResultDestination =
    std::function<std::optional<std::string>(const std::string& suggestedName)>;

// Logs the start of a merge: texts::kStartMergingLog with the argument naming its kind.
void logMergeStart(MergeKind kind, const LogSink& log);

// Reads the secondary inputs in order (confound files with `confounds`); matrices already read
// are taken as they are. With spikes, the head motion of each file input that holds some
// (spikeMotionOf) adds its spike columns to that input's matrix, logged. Throws
// std::runtime_error texts::kNoSecondaries when there is no input, texts::kNoMotionForSpikes
// when spikes are asked and no file input holds head motion, and the readers' errors.
std::vector<DesignMatrix> readSecondaries(std::vector<SecondaryInput> inputs,
                                          const ConfoundOptions& confounds,
                                          const std::optional<SpikeOptions>& spikes,
                                          FileSystem& files, const LogSink& log);

// The first matrix whose number of data points differs from the first one's, in order; the
// inputs are named by their fileName.
std::optional<DataPointMismatch> firstDataPointMismatch(const std::vector<DesignMatrix>& matrices);
// As above, the inputs named by `inputs` (one per matrix, as the user named them).
std::optional<DataPointMismatch> firstDataPointMismatch(const std::vector<DesignMatrix>& matrices,
                                                        const std::vector<std::string>& inputs);

// Runs the merge of `request`:
//  1. reads the secondary inputs (readSecondaries) and stops at the first whose number of data
//     points differs from the first one's; then, with a primary, reads it (readTaskDesignFile:
//     a TSV design, or an SDM file whatever its extension) and stops when its count differs;
//  2. builds the results: a copy of the primary with each secondary's predictors appended, or
//     the first secondary with every further one's appended; each result's fileName is its
//     suggested name (mergedFileName);
//  3. for each result in order: the constant predictor added or removed, the confounds
//     z-transformed if asked (keepIndicators: but for the indicator columns), with keepDecimals
//     the six decimals of an SDM file kept in the SDM file alone, every other format written
//     from the values before (keepInSixDecimals: each confound scaled logged as
//     texts::kScaledLog "<name> by 1e<k>: six decimals would flatten it to a constant; a
//     confound's scale changes no fit" or "... would distort it (a rounding error of <p> % of
//     its standard deviation); ...", each predictor left as it is as texts::kWarningLog "six
//     decimals flatten the main predictor <name> of <file name> to a constant; multiply it by
//     1e<k> in its own design before merging" or "...; no power of ten keeps it"), the
//     destination asked; when it answers, the result is saved there
//     (atomically) in each of the request's formats (resultFilesAt), texts::kSavedLog is logged
//     with each file's path, and with `reports` the correlation report and then the table are
//     written beside it.
// Returns the mismatch, or every result with where it was saved. Throws std::invalid_argument,
// before anything is read, for a request of no format or of a format that is not written; and
// the readers' and the writers' errors; results saved before an error stay on disk.
MergeOutcome mergeDesigns(MergeRequest request, FileSystem& files,
                          const ResultDestination& destination, const LogSink& log);

}  // namespace duv
