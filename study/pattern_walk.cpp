#include "study/pattern_walk.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "study/study_paths.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

// A folder reached by the walk: its path as text (what messages show) and the values and names
// that led there.
struct WalkState {
  std::string folder;
  FieldValues values;
  std::vector<std::string> names;
};

std::string childOf(const std::string& folder, const std::string& name) {
  if (folder == ".") return name;
  return isPathSeparator(folder.back()) ? folder + name : folder + "/" + name;
}

bool isWanted(const fs::path& path, bool wantFile) {
  std::error_code ignored;  // what cannot be looked at is neither a file nor a folder
  return wantFile ? fs::is_regular_file(path, ignored) : fs::is_directory(path, ignored);
}

[[noreturn]] void failListing(const std::string& folder, const std::error_code& error) {
  throw std::runtime_error("Cannot list folder: " + folder + " (" + error.message() + ")");
}

// The names of the entries of `folder` that are files (`wantFile`) or folders.
std::vector<std::string> entriesOf(const std::string& folder, bool wantFile) {
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator entry(fs::path(folder), error);
  if (error) {
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) {
      return names;
    }
    failListing(folder, error);
  }
  for (; entry != fs::directory_iterator(); entry.increment(error)) {
    if (error) failListing(folder, error);
    std::error_code ignored;
    const bool wanted = wantFile ? entry->is_regular_file(ignored) : entry->is_directory(ignored);
    if (wanted) names.push_back(entry->path().filename().string());
  }
  if (error) failListing(folder, error);
  return names;
}

void walkComponent(const StudyPattern& pattern, std::size_t component, const WalkState& state,
                   std::vector<WalkState>& next) {
  const auto& pieces = pattern.components[component];
  const bool wantFile = component + 1 == pattern.components.size();
  const bool hasField = std::any_of(pieces.begin(), pieces.end(),
                                    [](const PatternPiece& piece) { return piece.isField; });
  if (!hasField) {
    const std::string& name = pieces.front().literal;
    const auto path = childOf(state.folder, name);
    if (!isWanted(fs::path(path), wantFile)) return;
    next.push_back({path, state.values, state.names});
    next.back().names.push_back(name);
    return;
  }
  for (const auto& name : entriesOf(state.folder, wantFile)) {
    FieldValues values = state.values;
    if (!matchComponent(pattern, component, name, values)) continue;
    next.push_back({childOf(state.folder, name), std::move(values), state.names});
    next.back().names.push_back(name);
  }
}

}  // namespace

std::string patternStartFolder(const StudyPattern& pattern, const std::string& root) {
  auto folder = pathUnder(root, pattern.start);
  return folder.empty() ? "." : folder;
}

std::vector<PatternFile> findPatternFiles(const StudyPattern& pattern, const std::string& root) {
  std::vector<WalkState> states{
      {patternStartFolder(pattern, root), FieldValues(pattern.fields.size()), {}}};
  for (std::size_t c = 0; c < pattern.components.size() && !states.empty(); ++c) {
    std::vector<WalkState> next;
    for (const auto& state : states) walkComponent(pattern, c, state, next);
    states = std::move(next);
  }

  std::vector<PatternFile> files;
  files.reserve(states.size());
  for (auto& state : states) {
    PatternFile file;
    file.path = pathUnder(root, fillPattern(pattern, state.values));
    state.names.pop_back();  // the file's own name
    for (const auto& name : state.names) file.folder += (file.folder.empty() ? "" : "/") + name;
    file.values = std::move(state.values);
    files.push_back(std::move(file));
  }
  std::sort(files.begin(), files.end(),
            [](const PatternFile& a, const PatternFile& b) { return a.path < b.path; });
  return files;
}

}  // namespace duv
