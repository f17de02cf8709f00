#pragma once

// One run of a study: the merge of its task design with its confound inputs, the check of the
// result (task's view, contrasts, head motion), its check page, and its record.

#include <optional>
#include <string>
#include <vector>

#include "design/file_system.h"
#include "study/run_options.h"
#include "study/run_plan.h"
#include "study/run_record.h"
#include "workflow/result_names.h"

namespace duv {

// The folder that holds a run's outputs and record: the plan's folder in studyFolder (joinPath).
std::string runFolderOf(const std::string& studyFolder, const RunPlan& plan);

// The files a run writes in its folder, named from its plan alone: its results (designs, and
// report and table under options.reports) and its check page.
struct RunOutputs {
  ResultFiles results;
  std::string checkPage;
  // The design built from events, for events runs: its .sdm, then its files of each export.
  std::vector<std::string> taskDesign;
};

// The path of the task design an events run builds in its folder: the events file's name with
// ".sdm" in place of its extension.
std::string taskDesignPathOf(const std::string& studyFolder, const RunPlan& plan);

// The outputs mergeAndCheckRun gives `plan`. Reads an input only where its extension leaves its
// format open (inputFileAt); throws what that throws (the run itself then fails the same way).
RunOutputs runOutputsOf(const RunPlan& plan, const RunOptions& options,
                        const std::string& studyFolder, FileSystem& files);

// What a record of `plan` holds before the run is done: which run (name, fields, primary,
// confounds) and what tells whether it must be done again (the tool's version, the options'
// text, its inputs as they are now through `files`).
RunRecord plannedRecord(const RunPlan& plan, const std::string& optionsText,
                        const std::string& toolVersion, FileSystem& files);

// Does `plan` with `options`: the merge writes the bytes `merge-all --primary PRIMARY CONFOUND`
// writes for one confound input, and those of `merge-sec PRIMARY CONFOUND...` for several (with
// their report and table under options.reports), saved in the run's folder (made when the first
// file goes there); the result is checked as its file reads back, with the head motion of the
// first confound input that holds some; its check page is written beside it. The record tells
// how it went: an error of the run (an input that cannot be read, data points that differ, a
// contrast naming what the design lacks) makes it "failed" with that error, and the outputs
// written before it stay. The record is not saved here. Every file is read, written and looked
// at through `files`. Thread-safe when `files` is: runs may go on side by side, each on its own
// files.
RunRecord mergeAndCheckRun(const RunPlan& plan, const RunOptions& options,
                           const std::string& optionsText, const std::string& toolVersion,
                           const std::string& studyFolder, FileSystem& files);

}  // namespace duv
