// Task designs from events: a 400-volume run (TR 2) with 4 conditions of 20 events each and
// the default model (glover, cosine drifts), from its events file's text (reading included)
// and from the events already read.

#include <benchmark/benchmark.h>

#include <string>

#include "design/events_file.h"
#include "numerics/event_design.h"

namespace duv::bench {
namespace {

constexpr std::size_t kVolumes = 400;
constexpr double kRepetitionTime = 2.0;

// Events every 10 s, the conditions in turn, 0 to 3 s long.
const std::string& eventsText() {
  static const std::string text = [] {
    std::string events = "onset\tduration\ttrial_type\n";
    for (int e = 0; e < 80; ++e) {
      events += std::to_string(4 + 10 * e) + "\t" + std::to_string(e % 4) + "\tcondition_" +
                std::string(1, static_cast<char>('a' + e % 4)) + "\n";
    }
    return events;
  }();
  return text;
}

EventDesignOptions defaultOptions() {
  EventDesignOptions options;
  options.repetitionTime = kRepetitionTime;
  options.volumes = kVolumes;
  return options;
}

void BM_EventDesignFromText(benchmark::State& state) {
  const auto options = defaultOptions();
  for (auto _ : state) {
    const auto events = readEventsFile(eventsText(), "run_events.tsv");
    const auto design = buildEventDesign(events.conditions, options);
    benchmark::DoNotOptimize(design.columns.front().front());
  }
  state.counters["design_rate"] =
      benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_EventDesignFromText)->Unit(benchmark::kMicrosecond);

void BM_EventDesignFromEvents(benchmark::State& state) {
  const auto options = defaultOptions();
  const auto events = readEventsFile(eventsText(), "run_events.tsv");
  for (auto _ : state) {
    const auto design = buildEventDesign(events.conditions, options);
    benchmark::DoNotOptimize(design.columns.front().front());
  }
  state.counters["design_rate"] =
      benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_EventDesignFromEvents)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace duv::bench
