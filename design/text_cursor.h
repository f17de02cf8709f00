#pragma once

// A reading position in a whole file's text, with the token and line steps the text formats
// are read with, and the context (file and line) that their error messages carry.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace duv {

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }

// White space as string-to-number conversions skip it (a carriage return included).
inline bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

class TextCursor {
 public:
  TextCursor(std::string_view text, const std::string& name) : text_(text), name_(name) {}

  bool atEnd() const { return position_ >= text_.size(); }
  // At white space or at the end: what has just been read is a whole token.
  bool atTokenEnd() const { return atEnd() || isSpace(text_[position_]); }
  void moveTo(std::size_t position) { position_ = position; }
  std::size_t position() const { return position_; }
  std::string_view text() const { return text_; }
  const std::string& name() const { return name_; }

  void skipSpace();
  // The next run of non-white-space characters; empty at the end of the text.
  std::string_view token();
  // Spaces and tabs directly at the position, consumed and counted (not line breaks).
  std::int32_t skipBlanks();
  // After white space: an optional sign and decimal digits, as a stream reads an integer.
  // Nothing when no digit follows (the position is then after the white space); a value beyond
  // 32 bits is nothing too.
  std::optional<std::int32_t> integer();
  // The rest of the current line without its newline, which is consumed. A carriage return
  // before the newline stays in the result.
  std::string_view restOfLine();

  // 1-based physical line of a position in the text.
  std::size_t lineAt(std::size_t position) const;
  // "<name>: <what>" and "<name>, line <n>: <what>", the contexts of this file's messages.
  std::string fileContext(std::string_view what) const;
  std::string lineContext(std::size_t position, std::string_view what) const;

 private:
  std::string_view text_;
  const std::string& name_;
  std::size_t position_ = 0;
};

// The word starting at `first` (up to white space, at most 40 characters) in double quotes, for
// messages. Control characters are written as \xNN, so that the message stays one readable line
// and no NUL byte cuts it short where it is passed on as a C string.
std::string quotedWord(const char* first, const char* last);

// The value of the header entry whose key token (colon included) has just been read: after
// white space, an integer that is a whole token; nothing when no integer starts there. Throws
// std::runtime_error "<name>: "<key>" is followed by "<token>", not by a whole number" when other
// characters follow its digits, so that "240x" or "3.5" is never read as 240 or 3.
std::optional<std::int32_t> headerInteger(TextCursor& cursor, std::string_view key);

// The names between pairs of double quotes in `line`, from the left, `count` of them; an
// unpaired quote is ignored and missing names are "NoName".
std::vector<std::string> quotedNames(std::string_view line, std::size_t count);

// Checks a header count: present (else "<name>: the header has no "<label>:""), not negative,
// and at most `limit` (both errors naming the file and the value).
void checkHeaderCount(const TextCursor& cursor, bool present, std::int32_t value,
                      std::string_view label, std::int32_t limit);

// Whether the line's first non-blank character begins a number: a digit, or a sign or point
// followed by a digit (or a sign, a point and a digit).
bool beginsWithNumber(std::string_view line);

}  // namespace duv
