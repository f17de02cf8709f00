#include "study/html_text.h"

namespace duv {

std::string urlOfPath(std::string_view path) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string url;
  for (const char c : path) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      url += c;
    } else if (c == '\\') {
      url += '/';
    } else {
      const auto byte = static_cast<unsigned char>(c);
      url += '%';
      url += kDigits[byte >> 4];
      url += kDigits[byte & 15];
    }
  }
  return url;
}

std::string shortened(std::string_view text, std::size_t longest) {
  // Counts characters as UTF-8 lead bytes; continuation bytes are 10xxxxxx.
  const auto isContinuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
  std::size_t characters = 0;
  for (const char c : text) {
    if (!isContinuation(c)) ++characters;
  }
  if (characters <= longest) return std::string(text);
  const std::size_t kept = longest > 3 ? longest - 3 : 0;
  std::size_t end = 0;
  for (std::size_t count = 0; end < text.size(); ++end) {
    if (!isContinuation(text[end]) && count++ == kept) break;
  }
  return std::string(text.substr(0, end)) + "...";
}

}  // namespace duv
