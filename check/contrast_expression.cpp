#include "check/contrast_expression.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <system_error>
#include <unordered_map>

#include "design/text.h"
#include "design/text_cursor.h"

namespace duv {
namespace {

constexpr std::string_view kHeader = "name\texpression";

bool isOperator(char c) { return c == '+' || c == '-'; }

// Characters that end a bare name.
bool endsBareName(char c) { return isBlank(c) || isOperator(c) || c == '*' || c == '"'; }

std::string_view trimmedBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// `text` in double quotes, control characters written as \xNN so that a message stays one line.
std::string quoted(std::string_view text) {
  std::string result = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(byte));
      result += escape;
    } else {
      result += c;
    }
  }
  return result + "\"";
}

std::string contrastContext(std::string_view name) { return "contrast " + quoted(name) + ": "; }

// One expression read from left to right, a term at a time; every failure throws with its
// column.
class ExpressionParser {
 public:
  ExpressionParser(std::string_view name, std::string_view text)
      : name_(name), text_(text), contentEnd_(trimmedEnd(text)) {}

  std::vector<ContrastTerm> parse() {
    skipBlanks();
    if (atEnd()) throw std::invalid_argument(contrastContext(name_) + "the expression is empty");
    double sign = 1.0;
    if (isOperator(peek())) sign = takeSign();
    while (true) {
      parseTerm(sign);
      skipBlanks();
      if (atEnd()) break;
      if (isOperator(peek())) {
        sign = takeSign();
        continue;
      }
      failAfterTerm();
    }
    const bool allZero = std::all_of(terms_.begin(), terms_.end(),
                                     [](const ContrastTerm& term) { return term.weight == 0.0; });
    if (allZero) {
      throw std::invalid_argument(contrastContext(name_) + "all weights are 0 in " + quoted(text_));
    }
    return std::move(terms_);
  }

 private:
  static std::size_t trimmedEnd(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && isBlank(text[end - 1])) --end;
    return end;
  }

  [[noreturn]] void fail(const std::string& what, std::size_t position) const {
    // At the end of the text, point just after its last character that is not blank.
    const std::size_t column = position >= contentEnd_ ? contentEnd_ + 1 : position + 1;
    throw std::invalid_argument(contrastContext(name_) + what + " at column " +
                                std::to_string(column) + " in " + quoted(text_));
  }

  bool atEnd() const { return position_ >= text_.size(); }
  char peek() const { return text_[position_]; }
  void skipBlanks() {
    while (!atEnd() && isBlank(peek())) ++position_;
  }

  double takeSign() { return text_[position_++] == '-' ? -1.0 : 1.0; }

  std::size_t bareEnd(std::size_t from) const {
    while (from < text_.size() && !endsBareName(text_[from])) ++from;
    return from;
  }

  // The end of the decimal number starting at `from` (digits, an optional point and digits, at
  // least one digit, an optional exponent with its own sign); `from` when none starts there.
  std::size_t numberEnd(std::size_t from) const {
    const auto digitsFrom = [this](std::size_t i) {
      while (i < text_.size() && isDigit(text_[i])) ++i;
      return i;
    };
    std::size_t i = digitsFrom(from);
    std::size_t digits = i - from;
    if (i < text_.size() && text_[i] == '.') {
      const std::size_t fraction = digitsFrom(i + 1);
      digits += fraction - (i + 1);
      i = fraction;
    }
    if (digits == 0) return from;
    if (i < text_.size() && (text_[i] == 'e' || text_[i] == 'E')) {
      std::size_t exponent = i + 1;
      if (exponent < text_.size() && isOperator(text_[exponent])) ++exponent;
      const std::size_t exponentEnd = digitsFrom(exponent);
      if (exponentEnd > exponent) i = exponentEnd;
    }
    return i;
  }

  double weightAt(std::size_t first, std::size_t last) const {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text_.data() + first, text_.data() + last, value);
    const std::string text(text_.substr(first, last - first));
    if (error == std::errc::result_out_of_range) {
      fail("the weight " + quoted(text) + " is beyond the range of numbers", first);
    }
    if (error != std::errc() || end != text_.data() + last) {
      fail("expected a number, not " + quoted(text), first);
    }
    return value;
  }

  void parseTerm(double sign) {
    skipBlanks();
    const std::size_t start = position_;
    termWeighted_ = false;
    numberName_ = {};
    if (atEnd() || isOperator(peek()) || peek() == '*') fail("expected a predictor name", start);
    double weight = 1.0;
    if (peek() != '"') {
      const std::size_t number = numberEnd(start);
      const std::size_t bare = bareEnd(start);
      if (number > start) {
        std::size_t after = number;
        while (after < text_.size() && isBlank(text_[after])) ++after;
        if (after < text_.size() && text_[after] == '*') {
          weight = weightAt(start, number);
          termWeighted_ = true;
          position_ = after + 1;
          skipBlanks();
          if (atEnd() || isOperator(peek()) || peek() == '*') {
            fail("expected a predictor name", position_);
          }
        } else if (number > bare) {
          // An exponent's sign would split the run: "1e-3 Faces" is a weight without "*".
          fail("expected \"*\" after the weight " + quoted(text_.substr(start, number - start)),
               number);
        } else if (number == bare) {
          numberName_ = text_.substr(start, number - start);
          numberEnd_ = number;
        }
      }
    }
    const std::size_t nameStart = position_;
    add(parseName(), sign * weight, nameStart);
  }

  std::string parseName() {
    const std::size_t start = position_;
    if (peek() == '"') {
      const auto close = text_.find('"', start + 1);
      if (close == std::string_view::npos) fail("the quote is not closed", start);
      if (close == start + 1) fail("empty name in quotes", start);
      position_ = close + 1;
      return std::string(text_.substr(start + 1, close - start - 1));
    }
    position_ = bareEnd(start);
    return std::string(text_.substr(start, position_ - start));
  }

  void add(std::string predictor, double weight, std::size_t position) {
    const auto same = std::find_if(terms_.begin(), terms_.end(), [&](const ContrastTerm& term) {
      return term.predictor == predictor;
    });
    if (same == terms_.end()) {
      terms_.push_back({std::move(predictor), weight});
      return;
    }
    same->weight += weight;
    if (!std::isfinite(same->weight)) {
      fail("the weights of " + quoted(predictor) + " add up beyond the range of numbers", position);
    }
  }

  // After a term, at something that is neither an operator nor the end.
  [[noreturn]] void failAfterTerm() const {
    if (peek() == '*') {
      fail(termWeighted_ ? "expected \"+\" or \"-\"" : "expected a number before \"*\"", position_);
    }
    if (!numberName_.empty()) {
      fail("expected \"*\" after the weight " + quoted(numberName_), numberEnd_);
    }
    fail("expected \"+\" or \"-\"", position_);
  }

  std::string_view name_;
  std::string_view text_;
  std::size_t contentEnd_;
  std::size_t position_ = 0;
  std::vector<ContrastTerm> terms_;
  // What the last term was, for the message when a name follows it: weighted, or a bare name
  // that is a whole number (the number's text and where it ends).
  bool termWeighted_ = false;
  std::string_view numberName_;
  std::size_t numberEnd_ = 0;
};

bool needsQuotes(std::string_view name) {
  return std::any_of(name.begin(), name.end(), endsBareName);
}

std::string lineContext(const std::string& fileName, std::size_t line) {
  return fileName + ", line " + std::to_string(line) + ": ";
}

}  // namespace

Contrast parseContrast(std::string_view name, std::string_view expression) {
  Contrast contrast;
  contrast.name = std::string(name);
  contrast.expression = std::string(expression);
  contrast.terms = ExpressionParser(name, expression).parse();
  return contrast;
}

Contrast parseContrastOption(std::string_view text) {
  const auto equals = text.find('=');
  if (equals == std::string_view::npos) {
    throw std::invalid_argument("contrast option " + quoted(text) +
                                " has no \"=\": write NAME=EXPRESSION");
  }
  const auto name = trimmedBlanks(text.substr(0, equals));
  if (name.empty()) {
    throw std::invalid_argument("contrast option " + quoted(text) +
                                ": the name before \"=\" is empty");
  }
  return parseContrast(name, text.substr(equals + 1));
}

bool applyToCommonRuns(const Contrast& a, const Contrast& b) {
  for (const auto& [field, value] : a.appliesTo) {
    for (const auto& [otherField, otherValue] : b.appliesTo) {
      if (field == otherField && value != otherValue) return false;
    }
  }
  return true;
}

namespace {

std::vector<std::string_view> tabCells(std::string_view line) {
  std::vector<std::string_view> cells;
  while (true) {
    const auto tab = line.find('\t');
    cells.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos) return cells;
    line.remove_prefix(tab + 1);
  }
}

// Where a file's columns are; `fields` holds each field column's position.
struct ContrastColumns {
  bool plain = true;  // the header "name<TAB>expression" exactly: an expression may hold tabs
  std::size_t name = 0;
  std::size_t expression = 1;
  std::size_t count = 2;
  std::vector<std::size_t> fields;
};

class ContrastFileReader {
 public:
  ContrastFileReader(std::string_view text, const std::string& fileName)
      : text_(withoutByteOrderMark(text)), fileName_(fileName) {}

  ContrastTable read() {
    while (!text_.empty() || lineNumber_ == 0) {
      ++lineNumber_;
      const auto newline = text_.find('\n');
      auto line = text_.substr(0, newline);
      text_.remove_prefix(newline == std::string_view::npos ? text_.size() : newline + 1);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (lineNumber_ == 1) {
        readHeader(line);
      } else if (!trimmedBlanks(line).empty()) {
        readContrast(line);
      }
    }
    if (table_.contrasts.empty()) {
      throw std::runtime_error(fileName_ + ": no contrast follows the header");
    }
    return std::move(table_);
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw std::runtime_error(lineContext(fileName_, lineNumber_) + what);
  }

  void readHeader(std::string_view line) {
    if (line == kHeader) return;
    const auto cells = tabCells(line);
    const auto count = [&](std::string_view name) {
      return std::count(cells.begin(), cells.end(), name);
    };
    if (count("name") != 1 || count("expression") != 1) {
      fail("expected the header \"name<TAB>expression\", found " + quoted(line));
    }
    columns_.plain = false;
    columns_.count = cells.size();
    for (std::size_t c = 0; c < cells.size(); ++c) {
      if (cells[c] == "name") {
        columns_.name = c;
      } else if (cells[c] == "expression") {
        columns_.expression = c;
      } else if (cells[c].empty()) {
        fail("column " + std::to_string(c + 1) + " of the header has no name");
      } else if (std::find(cells.begin(), cells.begin() + static_cast<std::ptrdiff_t>(c),
                           cells[c]) != cells.begin() + static_cast<std::ptrdiff_t>(c)) {
        fail("column " + quoted(cells[c]) + " appears twice");
      } else {
        columns_.fields.push_back(c);
        table_.fields.emplace_back(cells[c]);
      }
    }
  }

  void readContrast(std::string_view line) {
    std::string_view name;
    std::string_view expression;
    std::vector<std::pair<std::string, std::string>> appliesTo;
    if (columns_.plain) {
      const auto tab = line.find('\t');
      if (tab == std::string_view::npos) fail("expected a name, a tab and an expression");
      name = trimmedBlanks(line.substr(0, tab));
      if (name.empty()) fail("the name before the tab is empty");
      expression = line.substr(tab + 1);
    } else {
      const auto cells = tabCells(line);
      if (cells.size() != columns_.count) {
        fail(std::to_string(cells.size()) + (cells.size() == 1 ? " cell" : " cells") +
             " where the header has " + std::to_string(columns_.count));
      }
      name = trimmedBlanks(cells[columns_.name]);
      if (name.empty()) fail("the name is empty");
      expression = cells[columns_.expression];
      for (std::size_t f = 0; f < columns_.fields.size(); ++f) {
        const auto value = trimmedBlanks(cells[columns_.fields[f]]);
        if (!value.empty()) appliesTo.emplace_back(table_.fields[f], value);
      }
    }
    Contrast named;
    named.name = std::string(name);
    named.appliesTo = std::move(appliesTo);
    checkNewName(named);
    Contrast contrast;
    try {
      contrast = parseContrast(name, expression);
    } catch (const std::invalid_argument& error) {
      fail(error.what());
    }
    contrast.appliesTo = std::move(named.appliesTo);
    table_.contrasts.push_back(std::move(contrast));
  }

  // A name again is an error for runs the earlier contrast of that name applies to; by hash, so
  // that files of many contrasts are read in linear time.
  void checkNewName(const Contrast& contrast) {
    auto& earlier = byName_[contrast.name];
    for (const auto index : earlier) {
      if (!applyToCommonRuns(table_.contrasts[index], contrast)) continue;
      fail("contrast " + quoted(contrast.name) + " is named again (first on line " +
           std::to_string(lines_[index]) + ")");
    }
    earlier.push_back(table_.contrasts.size());
    lines_.push_back(lineNumber_);
  }

  std::string_view text_;
  const std::string& fileName_;
  std::size_t lineNumber_ = 0;
  ContrastColumns columns_;
  ContrastTable table_;
  std::unordered_map<std::string, std::vector<std::size_t>> byName_;  // name: its contrasts
  std::vector<std::size_t> lines_;                                    // each contrast's line
};

}  // namespace

ContrastTable readContrastTable(std::string_view text, const std::string& fileName) {
  return ContrastFileReader(text, fileName).read();
}

std::vector<Contrast> readContrasts(std::string_view text, const std::string& fileName) {
  auto table = readContrastTable(text, fileName);
  if (!table.fields.empty()) {
    throw std::runtime_error(fileName + ": column " + quoted(table.fields.front()) +
                             " names no field (check has none; field columns choose among the "
                             "runs of a study)");
  }
  return std::move(table.contrasts);
}

std::string formatExpression(const std::vector<ContrastTerm>& terms) {
  std::string text;
  for (const auto& term : terms) {
    const bool negative = std::signbit(term.weight);
    if (text.empty()) {
      if (negative) text += '-';
    } else {
      text += negative ? " - " : " + ";
    }
    const double size = std::abs(term.weight);
    if (size != 1.0) {
      char digits[32];
      const auto written = std::to_chars(digits, digits + sizeof digits, size);
      text.append(digits, written.ptr);
      text += '*';
    }
    text += needsQuotes(term.predictor) ? "\"" + term.predictor + "\"" : term.predictor;
  }
  return text;
}

}  // namespace duv
