#pragma once

// Finding the files a pattern names (study/study_pattern.h) by walking down from where it starts.
// Only the pattern's components are followed, never the whole tree: a component without fields
// or "*" is looked up directly, one with them is matched against each entry of the folder it is
// in.
// The last component takes files (regular files, or links to them), the others folders (or links
// to them).

#include <string>
#include <vector>

#include "design/file_system.h"
#include "study/study_pattern.h"

namespace duv {

struct PatternFile {
  // joinPath(root, the pattern with the names found in place of its components) (pathOfNames,
  // design/paths.h): the pattern filled with `values` when it has no "*".
  std::string path;
  FieldValues values;  // every field's value
  // The file's folder relative to where the pattern starts: the values of the components walked
  // before the file name, "/" between them; "" when the file lies where the pattern starts.
  std::string folder;
};

// Every file below `root` ("" for the current folder) that the pattern names, sorted by path
// (byte order), looked for through `files`. A folder that does not exist on the way holds no
// files. Throws FolderListingError "Cannot list folder: <folder> (<reason>)" when a folder the
// walk must list exists but cannot be listed (no permission).
std::vector<PatternFile> findPatternFiles(const StudyPattern& pattern, const std::string& root,
                                          FileSystem& files);

// The folder where the pattern starts as seen from `root`, for messages: "." for the current
// folder.
std::string patternStartFolder(const StudyPattern& pattern, const std::string& root);

}  // namespace duv
