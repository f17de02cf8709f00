#pragma once

#include <cstddef>
#include <string>

namespace duv {

// How often `part` stands in `text`, overlapping occurrences included.
inline std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

}  // namespace duv
