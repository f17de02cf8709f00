#pragma once

// The repetition time of a BIDS run, from the BOLD sidecars that apply to its events file as
// BIDS inheritance finds them:
//
//   ds/task-faces_bold.json                         <- the dataset's: every faces run
//   ds/sub-01/sub-01_task-faces_bold.json           <- sub-01's faces runs
//   ds/sub-01/func/sub-01_task-faces_run-1_bold.json
//   ds/sub-01/func/sub-01_task-faces_run-1_events.tsv
//
// A sidecar applies when it ends in "_bold.json" and each of its entities (key-value pairs
// such as "task-faces") is one of the events file's, in the events file's folder or one above
// it, up to the dataset's root (the folder holding dataset_description.json) or, without one,
// to where the path starts. The nearest wins: a nearer folder before a farther one, and in one
// folder the sidecar of more entities first.

#include <optional>
#include <string>
#include <vector>

#include "design/file_system.h"

namespace duv {

inline constexpr std::uint64_t kSidecarLimit = std::uint64_t{16} << 20;  // 16 MiB

// The sidecars that apply to `events`, nearest first. Throws FolderListingError when a folder
// on the way cannot be listed.
std::vector<std::string> boldSidecarsOf(const std::string& events, FileSystem& files);

// The RepetitionTime of the first of `sidecars` that has one (seconds). Throws
// std::runtime_error naming the file for a sidecar that is not a JSON object or whose
// RepetitionTime is not a number above 0, and "<events>: no repetition time: no --tr and no
// *_bold.json sidecar with a RepetitionTime applies to it" when none has one.
double repetitionTimeOf(const std::vector<std::string>& sidecars, const std::string& events,
                        FileSystem& files);

}  // namespace duv
