#include "design/text_cursor.h"

#include "design/sdm_format.h"

#include <algorithm>
#include <stdexcept>

namespace duv {

void TextCursor::skipSpace() {
  while (position_ < text_.size() && isSpace(text_[position_])) ++position_;
}

std::string_view TextCursor::token() {
  skipSpace();
  const auto start = position_;
  while (position_ < text_.size() && !isSpace(text_[position_])) ++position_;
  return text_.substr(start, position_ - start);
}

std::int32_t TextCursor::skipBlanks() {
  std::int32_t count = 0;
  while (position_ < text_.size() && isBlank(text_[position_])) {
    ++position_;
    ++count;
  }
  return count;
}

std::optional<std::int32_t> TextCursor::integer() {
  skipSpace();
  std::size_t p = position_;
  bool negative = false;
  if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) negative = text_[p++] == '-';
  if (p >= text_.size() || !isDigit(text_[p])) return std::nullopt;
  std::int64_t value = 0;
  bool tooLarge = false;
  for (; p < text_.size() && isDigit(text_[p]); ++p) {
    value = value * 10 + (text_[p] - '0');
    if (value > INT32_MAX + std::int64_t{1}) {
      tooLarge = true;
      value = INT32_MAX + std::int64_t{1};
    }
  }
  if (negative) value = -value;
  position_ = p;
  if (tooLarge || value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::string_view TextCursor::restOfLine() {
  const auto start = position_;
  const auto newline = text_.find('\n', start);
  const auto end = newline == std::string_view::npos ? text_.size() : newline;
  position_ = newline == std::string_view::npos ? text_.size() : newline + 1;
  return text_.substr(start, end - start);
}

std::size_t TextCursor::lineAt(std::size_t position) const {
  const auto end = text_.begin() + static_cast<std::ptrdiff_t>(std::min(position, text_.size()));
  return static_cast<std::size_t>(std::count(text_.begin(), end, '\n')) + 1;
}

std::string TextCursor::fileContext(std::string_view what) const {
  return name_ + ": " + std::string(what);
}

std::string TextCursor::lineContext(std::size_t position, std::string_view what) const {
  return name_ + ", line " + std::to_string(lineAt(position)) + ": " + std::string(what);
}

std::string quotedWord(const char* first, const char* last) {
  constexpr std::ptrdiff_t kLongest = 40;
  std::string word = "\"";
  for (const char* p = first; p != last && !isSpace(*p) && p - first < kLongest; ++p) {
    const auto byte = static_cast<unsigned char>(*p);
    if (byte >= 0x20 && byte != 0x7F) {
      word += *p;
      continue;
    }
    constexpr const char* kHex = "0123456789abcdef";
    word += "\\x";
    word += kHex[byte >> 4];
    word += kHex[byte & 0xF];
  }
  return word + "\"";
}

std::optional<std::int32_t> headerInteger(TextCursor& cursor, std::string_view key) {
  cursor.skipSpace();
  const auto start = cursor.position();
  const auto value = cursor.integer();
  if (value && !cursor.atTokenEnd()) {
    const auto text = cursor.text();
    throw std::runtime_error(cursor.fileContext(
        "\"" + std::string(key) + "\" is followed by " +
        quotedWord(text.data() + start, text.data() + text.size()) + ", not by a whole number"));
  }
  return value;
}

std::vector<std::string> quotedNames(std::string_view line, std::size_t count) {
  std::vector<std::string> names(count, std::string(sdm::kNoName));
  std::size_t stored = 0;
  std::size_t p = 0;
  while (stored < count) {
    const auto open = line.find('"', p);
    if (open == std::string_view::npos) break;
    const auto close = line.find('"', open + 1);
    if (close == std::string_view::npos) break;
    names[stored++] = std::string(line.substr(open + 1, close - open - 1));
    p = close + 1;
  }
  return names;
}

void checkHeaderCount(const TextCursor& cursor, bool present, std::int32_t value,
                      std::string_view label, std::int32_t limit) {
  if (!present) {
    throw std::runtime_error(
        cursor.fileContext("the header has no \"" + std::string(label) + ":\""));
  }
  if (value < 0) {
    throw std::runtime_error(
        cursor.fileContext(std::string(label) + " is negative (" + std::to_string(value) + ")"));
  }
  if (value > limit) {
    throw std::runtime_error(cursor.fileContext(std::string(label) + " " + std::to_string(value) +
                                                " is above the limit of " + std::to_string(limit)));
  }
}

bool beginsWithNumber(std::string_view line) {
  std::size_t p = 0;
  while (p < line.size() && isBlank(line[p])) ++p;
  if (p < line.size() && (line[p] == '+' || line[p] == '-')) ++p;
  if (p < line.size() && line[p] == '.') ++p;
  return p < line.size() && isDigit(line[p]);
}

}  // namespace duv
