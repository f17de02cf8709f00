#pragma once

// The check of one design: read it (or take it as already read), find the head motion beside it,
// add its spike columns when asked, check the design, its contrasts and its motion. The tool's
// `check`, the merges' check pages and every run of a study check through here, so that the
// check page of a design is the same bytes whichever of them writes it. A front end fills a
// CheckRequest from what its user chose and reads the CheckOutcome.

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "check/check_output.h"
#include "check/contrast_expression.h"
#include "check/contrasts.h"
#include "check/design_check.h"
#include "design/confound_file.h"
#include "design/design_matrix.h"
#include "numerics/motion_summary.h"
#include "workflow/head_motion.h"
#include "workflow/log_sink.h"

namespace duv {

class FileSystem;

// A design file to read. `reader` names the front end in the error for a file of an extension
// it does not read (inputFileAt: "the tool").
struct DesignFile {
  std::string path;
  std::string reader;
};

// Where the head motion beside a design comes from.
enum class MotionSource {
  none,
  // CheckRequest::motionFiles.front(), which must hold head motion: in the layout its extension
  // names (motionLayoutFor, else motionLayoutOf).
  motionFile,
  // The design's own file, when it holds some: a motion text file of six columns, a confound
  // table with its motion columns, or a design of head motion alone (every predictor a motion
  // parameter or a constant; a design holding more, a merged one, may have z-transformed its
  // motion columns). Nothing for a design already read.
  designFile,
  // The first of CheckRequest::motionFiles that holds some, as the merges look for it
  // (spikeMotionOf: a confound file must hold it, a design matrix may not; other files hold
  // none).
  firstHolding,
};

// Spike columns for the volumes whose framewise displacement lies strictly above the spike
// threshold (MotionSummaryOptions::spikeThreshold).
enum class SpikeColumns {
  none,
  add,           // they join the design before it is checked (logged as the merges log them)
  alreadyAdded,  // the design holds them already (a merge added them)
};

struct CheckRequest {
  std::variant<DesignFile, DesignMatrix> design;  // a matrix is named by its fileName
  ConfoundOptions confounds;                      // how a confound file is read as the design
  CheckThresholds thresholds;                     // with the nuisance patterns
  std::vector<Contrast> contrasts;                // in order, each name once
  ContrastThresholds contrastThresholds;
  // The head-motion thresholds; its spikeThreshold is the spike criterion.
  MotionSummaryOptions motion;
  MotionSource motionSource = MotionSource::none;
  std::vector<std::string> motionFiles;  // for motionFile (one) and firstHolding (in order)
  MotionReading motionReading;
  SpikeColumns spikes = SpikeColumns::none;
};

struct CheckOutcome {
  // The design as checked (with its spike columns), its findings, contrasts and head motion;
  // or, when the status is unreadable or failed, the error in words (readError).
  CheckedFile file;
  CheckStatus status = CheckStatus::ok;
};

// Runs the check of `request`. The design is read (a DesignFile as readInputFile reads it, after
// inputFileAt), then its head motion (as MotionSource says), which must have one volume per data
// point; with SpikeColumns::add the flagged volumes become spike columns (addSpikes, logged);
// then the design is checked, its motion summarised and each contrast checked. Never throws for
// the design: an error reading it or its motion makes it unreadable, a contrast naming what the
// design lacks makes it failed (no contrasts, no motion), each with the error's message.
// Throws only what allocation and `log` throw.
CheckOutcome checkRequestedDesign(CheckRequest request, FileSystem& files, const LogSink& log);

// A run of no files yet, with the request's thresholds: the frame the writers print the
// checked files in.
CheckRun checkRunFor(const CheckRequest& request);

// Writes the check page of `run` to `path` (atomically, through `files`). Throws the writer's
// errors; the folder must exist.
void writeCheckPage(const CheckRun& run, const std::string& path, FileSystem& files);

// Checks the request's design as checkRequestedDesign does and writes the page of that one
// design (a run of checkRunFor) to `pagePath`. The errors that would make the design
// unreadable or failed pass on instead, before any page is written; so do the writer's.
// Returns the checked file.
CheckedFile checkAndWritePage(CheckRequest request, const std::string& pagePath, FileSystem& files,
                              const LogSink& log);

}  // namespace duv
