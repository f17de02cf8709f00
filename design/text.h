#pragma once

// Path and text helpers shared by the readers, the writers and the workflows.
//
// Paths are plain byte strings in the host's conventions: a slash or a backslash separates
// directories, and an extension is everything from the last dot of the whole path on (that dot
// may lie in a directory name when the file name has none). Comparisons are exact and
// case-sensitive. None of these functions changes its input.

#include <string>
#include <string_view>
#include <vector>

namespace duv {

// The part after the last slash or backslash; the whole path when it has neither.
std::string fileNameOf(std::string_view path);

// True when `path` ends with a dot followed by exactly `extension` (given without its dot).
bool hasExtension(std::string_view path, std::string_view extension);

// The part before the last dot; the whole path when it has no dot.
std::string pathWithoutExtension(std::string_view path);

// pathWithoutExtension(path) followed by `newExtension` (given with its dot, e.g. ".sdm").
std::string replaceExtension(std::string_view path, std::string_view newExtension);

// `text` inserted directly in front of the last dot, or appended when the path has no dot.
std::string insertBeforeExtension(std::string_view path, std::string_view text);

// `text` without the UTF-8 byte-order mark it may start with: spreadsheet programs and Windows
// editors write one before a table's header, and it must not become part of the first name.
std::string_view withoutByteOrderMark(std::string_view text);

// The pieces in order, with `separator` between each two.
std::string joined(const std::vector<std::string>& pieces, std::string_view separator);

// The pieces between delimiters, in order. Two delimiters in a row give an empty piece; a
// delimiter at the very end gives no empty last piece; an empty text gives no pieces. A carriage
// return before a newline delimiter stays at the end of its piece.
std::vector<std::string> splitLines(std::string_view text, char delimiter);

}  // namespace duv
