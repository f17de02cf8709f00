#pragma once

// The values a merge takes and gives back. A front end fills a MergeRequest from what its user
// chose (the plug-in from the dialog, the tool from its arguments) and reads the MergeOutcome;
// neither knows how the other asks.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "design/confound_file.h"
#include "design/design_format.h"
#include "design/design_matrix.h"
#include "workflow/head_motion.h"
#include "workflow/input_files.h"

namespace duv {

// The two merges: the primary merged with every secondary input (one result each, "merge all"),
// or the secondary inputs merged into one result ("merge secondaries").
enum class MergeKind { withPrimary, secondariesOnly };

// A secondary input: a file to read, or a matrix already read (its fileName names it, in
// messages and in the names of the results).
using SecondaryInput = std::variant<InputFile, DesignMatrix>;

struct MergeRequest {
  // An SDM file merged with every secondary input, one result each; without it the secondary
  // inputs are merged, in order, into one result.
  std::optional<std::string> primary;
  // The task columns of a primary TSV design without a sidecar (readTaskDesignFile).
  std::vector<std::string> taskColumns;
  std::vector<SecondaryInput> secondaries;  // in order
  ConfoundOptions confounds;                // how the confound files among them are read
  // Every result ends with a constant predictor (added when its last one is not constant);
  // off: a constant last predictor is removed.
  bool baseline = true;
  // Every non-constant confound of every result, but for the spike columns, which stay 0 and 1.
  bool zTransform = false;
  // With zTransform, every confound that indicates one volume (isIndicatorColumn: a table's own
  // outlier columns too) stays 0 and 1. The tool's choice; the plug-in's results are
  // z-transformed as its host expects.
  bool keepIndicators = false;
  // Before a result is saved as an SDM file (six decimals), each confound that six decimals
  // would flatten or distort is scaled by a power of ten, and each main predictor they would is
  // warned of (keepInSixDecimals), logged. The tool's choice.
  bool keepDecimals = false;
  bool reports = false;  // a correlation report and table beside every saved result
  // The formats every saved result is written in, at least one, each one that writes: the
  // first at the path the destination answers, the others beside it (resultFilesAt).
  std::vector<const DesignFormat*> formats{&kSdmFormat};
  // Spike columns for the head motion of the secondary inputs (spikeMotionOf); at least one
  // must hold some.
  std::optional<SpikeOptions> spikes;
  // Threads sharing the reports' fits, the calling one among them; the files are the same
  // bytes for any number (1: the calling thread only).
  std::size_t workers = 1;
};

// One result of a merge, in the order the results are built.
struct MergedResult {
  // As processed: merged, with the constant predictor and z-transformation applied. Its
  // fileName is the saved path, or the suggested name when the result was skipped.
  DesignMatrix matrix;
  // Where the destination put it (the file of the first format); none: skipped, neither saved
  // nor reported.
  std::optional<std::string> savedAs;
};

// Two matrices of a merge have different numbers of data points.
struct DataPointMismatch {
  std::string differing;  // the file name (no folder) of the matrix that differs
  std::string reference;  // the file name of the first secondary matrix
  // The two inputs as the user named them: a file's path as given (a confound table's, not its
  // converted name), a matrix's fileName.
  std::string differingInput;
  std::string referenceInput;
  std::int32_t differingCount = 0;  // their numbers of data points
  std::int32_t referenceCount = 0;
  // "<differing> does not have the same number of data points as <reference>" (the plug-in's).
  std::string message() const;
};

struct MergeOutcome {
  // Set when the merge stopped at a mismatch, before anything was merged or saved; `results`
  // is then empty.
  std::optional<DataPointMismatch> mismatch;
  std::vector<MergedResult> results;
};

}  // namespace duv
