#include "examples/generator/study_events.h"

#include <string>

namespace duv::examples {
namespace {

constexpr int kConditions = 4;
constexpr int kRepetitionTime = 2;  // seconds, as taskDesign's

std::string label(int number) { return (number < 10 ? "0" : "") + std::to_string(number); }

// The blocks taskDesign draws from `random`, in its order and with its draws: blocks of 8 to 12
// volumes, each condition in turn, with rests of 6 to 10 between them, from volume 4 on.
std::string eventsText(int dataPoints, Random& random) {
  std::string text = "onset\tduration\ttrial_type\n";
  int t = 4;
  for (int block = 0; t < dataPoints; ++block) {
    const int length = 8 + static_cast<int>(random.uniform() * 5);
    const int shown = t + length < dataPoints ? length : dataPoints - t;
    text += std::to_string(t * kRepetitionTime) + "\t" + std::to_string(shown * kRepetitionTime) +
            "\tCondition " + std::string(1, static_cast<char>('A' + block % kConditions)) + "\n";
    t += length + 6 + static_cast<int>(random.uniform() * 5);
  }
  return text;
}

}  // namespace

std::vector<StudyFile> exampleStudyEvents(const StudyShape& shape, std::uint64_t seed) {
  std::vector<StudyFile> files;
  for (int subject = 1; subject <= shape.subjects; ++subject) {
    for (int run = 1; run <= shape.runs; ++run) {
      // The seed of the run's task design in exampleStudy, so that the events are its blocks.
      Random random(seed * 1000 + static_cast<std::uint64_t>(subject * 10 + run));
      const std::string sub = "sub-" + label(subject);
      files.push_back(
          {sub + "/func/" + sub + "_task-faces_run-" + std::to_string(run) + "_events.tsv",
           eventsText(shape.dataPoints, random)});
    }
  }
  files.push_back(
      {"dataset_description.json",
       "{\n  \"Name\": \"Duvendal example study\",\n  \"BIDSVersion\": \"1.9.0\"\n}\n"});
  files.push_back({"task-faces_bold.json", "{\n  \"TaskName\": \"faces\",\n  \"RepetitionTime\": " +
                                               std::to_string(kRepetitionTime) + ".0\n}\n"});
  return files;
}

}  // namespace duv::examples
