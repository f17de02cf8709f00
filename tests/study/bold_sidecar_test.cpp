#include "study/bold_sidecar.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/memory_file_system.h"

namespace duv {
namespace {

constexpr const char* kEvents = "ds/sub-01/func/sub-01_task-faces_run-1_events.tsv";

// A dataset's files, the sidecars found for kEvents, and the repetition time or error.
struct Case {
  const char* what;
  std::map<std::string, std::string> files;
  std::vector<std::string> sidecars;
  double repetitionTime;  // 0: the error
  const char* error;
};

std::string tr(const char* seconds) { return std::string("{\"RepetitionTime\": ") + seconds + "}"; }

const std::string kRoot = "{\"Name\": \"x\"}";

TEST(BoldSidecar, TheNearestSidecarThatAppliesGivesTheRepetitionTime) {
  const Case cases[] = {
      {"dataset-level",
       {{"ds/dataset_description.json", kRoot}, {"ds/task-faces_bold.json", tr("2")}},
       {"ds/task-faces_bold.json"},
       2.0,
       nullptr},
      {"the run's own wins over the subject's and the dataset's",
       {{"ds/dataset_description.json", kRoot},
        {"ds/task-faces_bold.json", tr("2")},
        {"ds/sub-01/sub-01_task-faces_bold.json", tr("1.5")},
        {"ds/sub-01/func/sub-01_task-faces_run-1_bold.json", tr("0.8")}},
       {"ds/sub-01/func/sub-01_task-faces_run-1_bold.json", "ds/sub-01/sub-01_task-faces_bold.json",
        "ds/task-faces_bold.json"},
       0.8,
       nullptr},
      {"in one folder, more entities first; another task's and run's do not apply",
       {{"ds/dataset_description.json", kRoot},
        {"ds/sub-01/func/sub-01_task-faces_bold.json", tr("1.5")},
        {"ds/sub-01/func/sub-01_task-faces_run-1_bold.json", tr("0.8")},
        {"ds/sub-01/func/sub-01_task-faces_run-2_bold.json", tr("9")},
        {"ds/task-rest_bold.json", tr("9")},
        {"ds/task-faces_events.json", tr("9")}},
       {"ds/sub-01/func/sub-01_task-faces_run-1_bold.json",
        "ds/sub-01/func/sub-01_task-faces_bold.json"},
       0.8,
       nullptr},
      {"a nearer sidecar without RepetitionTime leaves it to a farther one",
       {{"ds/dataset_description.json", kRoot},
        {"ds/task-faces_bold.json", tr("2.5")},
        {"ds/sub-01/func/sub-01_task-faces_run-1_bold.json", "{\"EchoTime\": 0.03}"}},
       {"ds/sub-01/func/sub-01_task-faces_run-1_bold.json", "ds/task-faces_bold.json"},
       2.5,
       nullptr},
      {"nothing above the dataset's root is looked at",
       {{"ds/dataset_description.json", kRoot}, {"task-faces_bold.json", tr("2")}},
       {},
       0,
       "ds/sub-01/func/sub-01_task-faces_run-1_events.tsv: no repetition time: no --tr and no "
       "*_bold.json sidecar with a RepetitionTime applies to it"},
      {"without a root, up to where the path starts",
       {{"task-faces_bold.json", tr("3")}},
       {"task-faces_bold.json"},
       3.0,
       nullptr},
      {"damaged sidecar",
       {{"ds/dataset_description.json", kRoot},
        {"ds/task-faces_bold.json", "{\"RepetitionTime\": "}},
       {"ds/task-faces_bold.json"},
       0,
       "ds/task-faces_bold.json: not valid JSON"},
      {"not an object",
       {{"ds/dataset_description.json", kRoot}, {"ds/task-faces_bold.json", "[2]"}},
       {"ds/task-faces_bold.json"},
       0,
       "ds/task-faces_bold.json: not a JSON object"},
      {"a repetition time of text",
       {{"ds/dataset_description.json", kRoot}, {"ds/task-faces_bold.json", tr("\"2\"")}},
       {"ds/task-faces_bold.json"},
       0,
       "ds/task-faces_bold.json: RepetitionTime is not a number of seconds above 0"},
      {"a repetition time of 0",
       {{"ds/dataset_description.json", kRoot}, {"ds/task-faces_bold.json", tr("0")}},
       {"ds/task-faces_bold.json"},
       0,
       "ds/task-faces_bold.json: RepetitionTime is not a number of seconds above 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::MemoryFileSystem files;
    files.files = c.files;
    files.files[kEvents] = "onset\tduration\n";
    const auto sidecars = boldSidecarsOf(kEvents, files);
    EXPECT_EQ(sidecars, c.sidecars);
    try {
      EXPECT_EQ(repetitionTimeOf(sidecars, kEvents, files), c.repetitionTime);
      EXPECT_EQ(c.error, nullptr);
    } catch (const std::runtime_error& error) {
      ASSERT_NE(c.error, nullptr) << error.what();
      EXPECT_EQ(std::string(error.what()), c.error);
    }
  }
}

}  // namespace
}  // namespace duv
