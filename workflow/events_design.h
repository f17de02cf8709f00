#pragma once

// A run's task design from its events file: read (design/events_file.h), built
// (numerics/event_design.h) and made a design matrix whose main predictors are the task
// columns, the drifts confounds and "constant" the last confound.

#include <string>
#include <vector>

#include "design/design_matrix.h"
#include "design/events_file.h"
#include "numerics/event_design.h"
#include "workflow/log_sink.h"

namespace duv {

class FileSystem;

struct EventsDesignRequest {
  std::string events;  // the events file (.tsv or .csv)
  EventDesignOptions options;
  // The conditions kept, by name (their columns stay in the design's own order); empty: all.
  std::vector<std::string> conditions;
};

struct EventsDesign {
  // fileName: the events file's path with ".sdm" in place of its extension.
  DesignMatrix matrix;
  // The reader's warnings, then those of the run (eventTimingWarnings), one sentence each.
  std::vector<std::string> warnings;
};

// The design of the request's events. Throws the reader's errors (which name the file, line and
// column), OpenFileError when it cannot be read, std::runtime_error "<file>: no condition <name>
// (its conditions: A, B)" for a kept condition the file lacks, and buildEventDesign's errors;
// std::runtime_error "<file>: column <name> holds values beyond single precision" when a value
// would not fit a design file.
EventsDesign designFromEvents(const EventsDesignRequest& request, FileSystem& files);

// What the events do that the design shows only partly, one sentence each naming `file`:
// events that start before the minimum onset (clipped to the grid's start, so they still drive
// the first volumes), events that start at or after the run's end (n times the repetition time;
// they leave no trace), and task columns that are 0 in every volume.
std::vector<std::string> eventTimingWarnings(const std::string& file,
                                             const std::vector<EventCondition>& conditions,
                                             const EventDesign& design,
                                             const EventDesignOptions& options);

// Logs each warning with texts::kWarningLog.
void logWarnings(const std::vector<std::string>& warnings, const LogSink& log);

}  // namespace duv
