#pragma once

// Text helpers shared by the readers, the writers and the workflows (paths: design/paths.h).
// None of these functions changes its input.

#include <string>
#include <string_view>
#include <vector>

namespace duv {

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
