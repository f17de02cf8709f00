#pragma once

#include <cstdint>
#include <string>

namespace duv {

// One header entry of a design-matrix or time-course file, as the file gave it. `label` is the
// key without its colon; `width` is how many characters after the start of the key its value
// started (key, colon and the spaces and tabs that followed), so a matrix written back keeps the
// alignment it was read with. Only `present` entries are written.
struct IntHeaderField {
  std::string label;
  std::int32_t value = 0;
  std::int32_t width = 0;
  bool present = false;
};

struct BoolHeaderField {
  std::string label;
  bool value = false;
  std::int32_t width = 0;
  bool present = false;
};

// A text entry (time-course files only). `quoted`: the value stood between double quotes,
// which are not part of `value`.
struct TextHeaderField {
  std::string label;
  std::string value;
  std::int32_t width = 0;
  bool quoted = false;
  bool present = false;
};

}  // namespace duv
