// Fuzz target: events text through the reader (as .tsv, or as .csv when it starts with a comma
// line) and the design built from it.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "design/events_file.h"
#include "fuzz/fuzz_checks.h"
#include "numerics/event_design.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const bool commas = text.substr(0, text.find('\n')).find(',') != std::string_view::npos;
  duv::EventsFile events;
  try {
    events = duv::readEventsFile(text, commas ? "fuzz.csv" : "fuzz.tsv");
  } catch (const std::exception&) {
    return 0;  // refusing the text is an expected outcome
  }
  for (const auto& condition : events.conditions) {
    if (condition.events.empty()) duv::fuzz::fail("a condition without events");
    for (const auto& event : condition.events) {
      if (!(event.duration >= 0.0)) duv::fuzz::fail("a negative duration was read");
    }
  }
  duv::EventDesignOptions options;
  options.repetitionTime = 2.0;
  options.volumes = 20;
  options.hrf = duv::HrfModel::spmDerivativeDispersion;
  duv::EventDesign design;
  try {
    design = duv::buildEventDesign(events.conditions, options);
  } catch (const std::exception&) {
    return 0;  // a trial type named as another column
  }
  if (design.columns.size() != design.names.size()) duv::fuzz::fail("a name per column");
  for (const auto& column : design.columns) {
    if (column.size() != options.volumes) duv::fuzz::fail("a column does not match the volumes");
  }
  return 0;
}
