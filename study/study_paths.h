#pragma once

// Path texts as a study's patterns and manifests give them. Paths stay the user's text: they are
// joined and cut at separators, never rewritten, so that messages show what the user wrote and
// the runner opens exactly the file that was found. A separator is "/" everywhere and also "\"
// where the platform takes it as one (Windows): on other systems a backslash is a byte of a name,
// as the file system sees it.

#include <string>
#include <string_view>

namespace duv {

bool isPathSeparator(char c);

// True for a path that does not start from the current folder: absolute, or beginning with a
// separator or a drive ("/data", "C:\data", "C:data").
bool isRootedPath(std::string_view path);

// `path` as seen from the folder `root`: unchanged when rooted or when `root` is "" or "."
// (the current folder); `root` when `path` is empty; else `root`, a "/" unless `root` ends with
// a separator, and `path`.
std::string pathUnder(std::string_view root, std::string_view path);

// The part after the last separator; the whole path when it has none.
std::string lastPathComponent(std::string_view path);

// The part up to and including the last separator; "" when it has none.
std::string folderPart(std::string_view path);

// `folder` as an output folder: lexically normal, "/" between components, no trailing
// separator, "" for "." or "". Returns false (and leaves `normal` unspecified) when it is rooted
// or leads out of where it starts ("..", "a/../.."), which no output folder may.
bool normalOutputFolder(std::string_view folder, std::string& normal);

}  // namespace duv
