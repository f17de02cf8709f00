#pragma once

// Paths as byte strings: file names, extensions, folders and joins. Paths stay the user's text:
// they are joined and cut at separators, never rewritten, so that messages show what the user
// wrote and the program opens exactly the file that was named. Comparisons are exact and
// case-sensitive. None of these functions looks at the disk or changes its input.
//
// Two kinds of path meet here, and they differ in one point, the backslash:
// - host paths: the paths the host application passes in and design files name each other by,
//   which may have been written on Windows and be read on another system. "/" and "\" separate
//   folders on every platform.
// - native paths: the ones this program opens itself, as a study's patterns and manifests and
//   the tool's output folders give them. "/" separates folders everywhere and "\" only where
//   the system takes it as one (Windows); elsewhere a backslash is a byte of a name, as the
//   file system sees it.
// An extension is everything from the last dot of the whole path on (that dot may lie in a
// folder's name when the file name has none).

#include <string>
#include <string_view>

namespace duv {

enum class PathStyle { host, native };

bool isPathSeparator(char c, PathStyle style);

// The part after the last separator; the whole path when it has none.
std::string fileNameOf(std::string_view path, PathStyle style = PathStyle::host);

// The part of a native path up to and including its last separator; "" when it has none.
std::string folderPart(std::string_view path);

// True when `path` ends with a dot followed by exactly `extension` (given without its dot).
bool hasExtension(std::string_view path, std::string_view extension);

// The part before the last dot; the whole path when it has no dot.
std::string pathWithoutExtension(std::string_view path);

// pathWithoutExtension(path) followed by `newExtension` (given with its dot, e.g. ".sdm").
std::string replaceExtension(std::string_view path, std::string_view newExtension);

// `text` inserted directly in front of the last dot, or appended when the path has no dot.
std::string insertBeforeExtension(std::string_view path, std::string_view text);

// True for a native path that does not start from the current folder: absolute, or beginning
// with a separator or a drive ("/data", "C:\data", "C:data").
bool isRootedPath(std::string_view path);

// The native `path` as seen from `folder`: `path` unchanged when it is rooted or `folder` is
// ""; `folder` when `path` is ""; else `folder`, a "/" unless `folder` ends with a separator,
// and `path`. "." is a folder like any other here: joinPath(".", "a") is "./a".
std::string joinPath(std::string_view folder, std::string_view path);

// The native `path` lexically normal ("." and "name/.." taken out, separators single) with "/"
// between its components; a trailing separator stays. "" stays "".
std::string normalPath(std::string_view path);

// The native `path` relative to `base`, both lexically normal, "/" between components; "" when
// there is no such path (one is rooted and the other not, or they differ in their roots).
std::string relativePath(std::string_view path, std::string_view base);

// `folder` as an output folder: lexically normal, "/" between components, no trailing
// separator, "" for "." or "". Returns false (and leaves `normal` unspecified) when it is rooted
// or leads out of where it starts ("..", "a/../.."), which no output folder may.
bool normalOutputFolder(std::string_view folder, std::string& normal);

}  // namespace duv
