#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace duv {

// Room for a text that the host writes without being told the room's size. A guard zone of
// non-zero bytes follows the room, so that a text that did not fit is found out afterwards
// instead of being used. Nothing can protect against a host that writes beyond the guard too.
class HostTextBuffer {
 public:
  // Room for `capacity` bytes: a text of capacity - 1 bytes and its terminator. Starts as the
  // empty text.
  explicit HostTextBuffer(std::size_t capacity);

  // Where the host writes.
  char* data() { return bytes_.data(); }

  // The text up to its terminator. Throws std::runtime_error
  // "The <description> is longer than <capacity - 1> bytes" when the terminator does not lie
  // inside the room or a byte of the guard was changed.
  std::string text(std::string_view description) const;

 private:
  std::size_t capacity_;
  std::vector<char> bytes_;  // the room, then the guard
};

// Room for a path or a short parameter, and for the list of secondary files.
inline constexpr std::size_t pathCapacity = 4096;
inline constexpr std::size_t listCapacity = 65536;

}  // namespace duv
