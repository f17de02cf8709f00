#include "study/bold_sidecar.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "design/bounded_read.h"
#include "design/paths.h"

namespace duv {
namespace {

constexpr std::string_view kBoldSuffix = "_bold.json";
constexpr std::string_view kDatasetDescription = "dataset_description.json";

// The key-value entities of a BIDS file name: "sub-01_task-faces_run-1_events.tsv" holds
// sub-01, task-faces and run-1; the last part ("events.tsv") is the suffix, not an entity.
std::vector<std::string> entitiesOf(const std::string& fileName) {
  std::vector<std::string> entities;
  std::size_t start = 0;
  for (;;) {
    const auto underscore = fileName.find('_', start);
    if (underscore == std::string::npos) break;
    entities.push_back(fileName.substr(start, underscore - start));
    start = underscore + 1;
  }
  return entities;
}

bool appliesTo(const std::vector<std::string>& sidecar, const std::vector<std::string>& run) {
  return std::all_of(sidecar.begin(), sidecar.end(), [&](const std::string& entity) {
    return entity.find('-') != std::string::npos &&
           std::find(run.begin(), run.end(), entity) != run.end();
  });
}

// The folder above `folder` ("a/b/" -> "a/"); nothing above "" and a root.
std::optional<std::string> parentOf(const std::string& folder) {
  if (folder.empty()) return std::nullopt;
  auto inner = folder;
  while (!inner.empty() && inner.back() == '/') inner.pop_back();
  if (inner.empty()) return std::nullopt;  // the root
  return folderPart(inner);
}

}  // namespace

std::vector<std::string> boldSidecarsOf(const std::string& events, FileSystem& files) {
  const auto run = entitiesOf(fileNameOf(events, PathStyle::native));
  std::vector<std::string> found;
  for (std::optional<std::string> folder = folderPart(events); folder; folder = parentOf(*folder)) {
    std::vector<std::pair<std::size_t, std::string>> here;
    bool root = false;
    for (const auto& entry : files.listFolder(folder->empty() ? "." : *folder)) {
      if (entry.name == kDatasetDescription) root = true;
      if (entry.kind != FileKind::file || entry.name.size() < kBoldSuffix.size() ||
          entry.name.compare(entry.name.size() - kBoldSuffix.size(), kBoldSuffix.size(),
                             kBoldSuffix) != 0) {
        continue;
      }
      const auto entities = entitiesOf(entry.name);
      if (appliesTo(entities, run)) here.emplace_back(entities.size(), *folder + entry.name);
    }
    std::sort(here.begin(), here.end(), [](const auto& a, const auto& b) {
      return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    for (auto& [count, path] : here) found.push_back(std::move(path));
    if (root) break;
  }
  return found;
}

double repetitionTimeOf(const std::vector<std::string>& sidecars, const std::string& events,
                        FileSystem& files) {
  for (const auto& sidecar : sidecars) {
    nlohmann::json json;
    try {
      json = nlohmann::json::parse(readBoundedFile(files, sidecar, kSidecarLimit));
    } catch (const nlohmann::json::exception&) {
      throw std::runtime_error(sidecar + ": not valid JSON");
    }
    if (!json.is_object()) throw std::runtime_error(sidecar + ": not a JSON object");
    const auto found = json.find("RepetitionTime");
    if (found == json.end()) continue;
    if (!found->is_number() || !(found->get<double>() > 0.0) ||
        !std::isfinite(found->get<double>())) {
      throw std::runtime_error(sidecar + ": RepetitionTime is not a number of seconds above 0");
    }
    return found->get<double>();
  }
  throw std::runtime_error(events +
                           ": no repetition time: no --tr and no *_bold.json sidecar with a "
                           "RepetitionTime applies to it");
}

}  // namespace duv
