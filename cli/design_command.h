#pragma once

// The `design` subcommand: a run's task design built from its events file, and the design
// options it shares with study runs from events.

#include <cstddef>
#include <optional>
#include <string>

#include "workflow/events_design.h"

namespace duv::cli {

// The design options as given on the command line; checked and turned into a request by
// eventsRequestOf.
struct DesignOptionArguments {
  std::optional<double> repetitionTime;  // --tr
  std::optional<std::size_t> volumes;    // --volumes
  std::string hrf = "glover";
  std::optional<std::string> firDelays;  // "0,1,2"
  std::string drift = "cosine";
  std::optional<double> highPass;
  std::optional<int> driftOrder;
  double sliceTimeReference = 0.0;
  double minOnset = -24.0;
  std::optional<std::string> conditions;  // "A,B"
};

struct DesignArguments {
  std::string events;
  std::optional<std::string> out;
  std::optional<std::string> exports;  // --export FORMAT[,FORMAT...]
  bool quiet = false;
  DesignOptionArguments options;
};

// The request for `events` with the options, a repetition time and a number of volumes given
// apart (a study run's; 0: the options' own). Throws std::invalid_argument (a usage error)
// naming the option: a value outside its range (--tr above 0, --volumes 2 or more,
// --slice-time-ref 0 to 1, --min-onset 0 or less, --high-pass 0 or more, --drift-order 0 or
// more), an unknown --hrf, a --fir-delays list that is not of distinct whole numbers 0 or more,
// --fir-delays without --hrf fir, --high-pass without cosine drifts, --drift-order without
// polynomial drifts, an empty name in --conditions.
EventsDesignRequest eventsRequestOf(const std::string& events, const DesignOptionArguments& options,
                                    double repetitionTime = 0.0, std::size_t volumes = 0);

// Throws std::invalid_argument for the design command's usage errors: those of eventsRequestOf,
// a missing --tr or --volumes, and an --out that does not end in .sdm.
void validateDesignArguments(const DesignArguments& arguments);

// Builds the design of the events file, logs its warnings on standard error and saves it at
// --out, or beside the events file with ".sdm" in place of its extension, with the files of
// each --export beside it. Returns kSuccess;
// throws the reading, building and saving errors (and when the output is the events file).
int runDesign(const DesignArguments& arguments);

}  // namespace duv::cli
