#include "study/pattern_walk.h"

#include <algorithm>
#include <utility>

#include "design/paths.h"

namespace duv {
namespace {

// A folder reached by the walk: its path as text (what messages show; "" for the current
// folder) and the values and names that led there.
struct WalkState {
  std::string folder;
  FieldValues values;
  std::vector<std::string> names;
};

// The path that names `folder` to the file system.
std::string listable(const std::string& folder) { return folder.empty() ? "." : folder; }

bool isWanted(FileSystem& files, const std::string& path, bool wantFile) {
  // What cannot be looked at is neither a file nor a folder.
  return files.status(path).kind == (wantFile ? FileKind::file : FileKind::folder);
}

// The names of the entries of `folder` that are files (`wantFile`) or folders.
std::vector<std::string> entriesOf(FileSystem& files, const std::string& folder, bool wantFile) {
  std::vector<std::string> names;
  const auto kind = files.status(listable(folder)).kind;
  // A folder that is not there holds no files; one that cannot be looked at must be listed to
  // tell why.
  if (kind != FileKind::folder && kind != FileKind::unknown) return names;
  for (const auto& entry : files.listFolder(listable(folder))) {
    if (entry.kind == (wantFile ? FileKind::file : FileKind::folder)) names.push_back(entry.name);
  }
  return names;
}

void walkComponent(const StudyPattern& pattern, std::size_t component, const WalkState& state,
                   FileSystem& files, std::vector<WalkState>& next) {
  const auto& pieces = pattern.components[component];
  const bool wantFile = component + 1 == pattern.components.size();
  const bool listed = std::any_of(pieces.begin(), pieces.end(), [](const PatternPiece& piece) {
    return piece.isField || piece.isWildcard;
  });
  if (!listed) {
    const std::string& name = pieces.front().literal;
    const auto path = joinPath(state.folder, name);
    if (!isWanted(files, path, wantFile)) return;
    next.push_back({path, state.values, state.names});
    next.back().names.push_back(name);
    return;
  }
  for (const auto& name : entriesOf(files, state.folder, wantFile)) {
    FieldValues values = state.values;
    if (!matchComponent(pattern, component, name, values)) continue;
    next.push_back({joinPath(state.folder, name), std::move(values), state.names});
    next.back().names.push_back(name);
  }
}

}  // namespace

std::string patternStartFolder(const StudyPattern& pattern, const std::string& root) {
  return listable(joinPath(root, pattern.start));
}

std::vector<PatternFile> findPatternFiles(const StudyPattern& pattern, const std::string& root,
                                          FileSystem& files) {
  std::vector<WalkState> states{
      {joinPath(root, pattern.start), FieldValues(pattern.fields.size()), {}}};
  for (std::size_t c = 0; c < pattern.components.size() && !states.empty(); ++c) {
    std::vector<WalkState> next;
    for (const auto& state : states) walkComponent(pattern, c, state, files, next);
    states = std::move(next);
  }

  std::vector<PatternFile> found;
  found.reserve(states.size());
  for (auto& state : states) {
    PatternFile file;
    file.path = joinPath(root, pathOfNames(pattern, state.names));
    state.names.pop_back();  // the file's own name
    for (const auto& name : state.names) file.folder += (file.folder.empty() ? "" : "/") + name;
    file.values = std::move(state.values);
    found.push_back(std::move(file));
  }
  std::sort(found.begin(), found.end(),
            [](const PatternFile& a, const PatternFile& b) { return a.path < b.path; });
  return found;
}

}  // namespace duv
