#include "plugin/host_text_buffer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace duv {

namespace {

// Large enough that an overlong value in practice ends inside it; any byte but the
// terminator, so that the terminator of an overlong value shows.
constexpr std::size_t guardSize = 65536;
constexpr char guardByte = '\x5a';

}  // namespace

HostTextBuffer::HostTextBuffer(std::size_t capacity)
    : capacity_(capacity), bytes_(capacity + guardSize, guardByte) {
  std::fill_n(bytes_.begin(), capacity_, '\0');
}

std::string HostTextBuffer::text(std::string_view description) const {
  const char* room = bytes_.data();
  const auto* terminator = static_cast<const char*>(std::memchr(room, '\0', capacity_));
  const bool guardIntact = std::all_of(bytes_.begin() + static_cast<std::ptrdiff_t>(capacity_),
                                       bytes_.end(), [](char byte) { return byte == guardByte; });
  if (terminator == nullptr || !guardIntact) {
    throw std::runtime_error("The " + std::string(description) + " is longer than " +
                             std::to_string(capacity_ - 1) + " bytes");
  }
  return std::string(room, terminator);
}

}  // namespace duv
