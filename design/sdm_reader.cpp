#include "design/sdm_reader.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "design/file_system.h"
#include "design/number_text.h"
#include "design/sdm_format.h"
#include "design/text_cursor.h"

namespace duv {
namespace {

std::runtime_error fileError(const TextCursor& cursor, std::string_view what) {
  return std::runtime_error(cursor.fileContext(what));
}

std::string quotedKey(std::string_view label) { return "\"" + std::string(label) + ":\""; }

// The key token is at the cursor's back: label without the colon, width from the key's start to
// its value (key, colon, then the spaces and tabs on the same line).
template <typename Field>
void startEntry(TextCursor& cursor, std::string_view key, Field& field) {
  field.label = std::string(key.substr(0, key.size() - 1));
  field.width = static_cast<std::int32_t>(key.size()) + cursor.skipBlanks();
  field.present = true;
}

void readIntEntry(TextCursor& cursor, std::string_view key, IntHeaderField& field) {
  startEntry(cursor, key, field);
  const auto value = headerInteger(cursor, key);
  if (!value) {
    throw fileError(cursor, quotedKey(field.label) + " is not followed by a number");
  }
  field.value = *value;
}

void readBoolEntry(TextCursor& cursor, std::string_view key, BoolHeaderField& field) {
  startEntry(cursor, key, field);
  const auto value = cursor.integer();
  if (!value || !cursor.atTokenEnd() || (*value != 0 && *value != 1)) {
    throw fileError(cursor, quotedKey(field.label) + " is not followed by 0 or 1");
  }
  field.value = *value == 1;
}

bool isKey(std::string_view token, std::string_view label) {
  return token.size() == label.size() + 1 && token.back() == ':' &&
         token.substr(0, label.size()) == label;
}

// Tokens are scanned until the value of "FirstConfoundPredictor:"; unknown tokens are skipped
// and a repeated key's last value wins.
void readHeader(TextCursor& cursor, DesignMatrix& m) {
  for (;;) {
    const auto token = cursor.token();
    if (token.empty()) {
      throw fileError(cursor, "the header ends before " + quotedKey(sdm::kFirstConfoundPredictor) +
                                  " and its value");
    }
    if (isKey(token, sdm::kFileVersion)) {
      readIntEntry(cursor, token, m.fileVersion);
    } else if (isKey(token, sdm::kNrOfPredictors)) {
      readIntEntry(cursor, token, m.nrOfPredictors);
    } else if (isKey(token, sdm::kNrOfDataPoints)) {
      readIntEntry(cursor, token, m.nrOfDataPoints);
    } else if (isKey(token, sdm::kIncludesConstant)) {
      readBoolEntry(cursor, token, m.includesConstant);
    } else if (isKey(token, sdm::kFirstConfoundPredictor)) {
      readIntEntry(cursor, token, m.firstConfoundPredictor);
      return;
    }
  }
}

void checkHeader(const TextCursor& cursor, DesignMatrix& m) {
  checkHeaderCount(cursor, m.nrOfPredictors.present, m.nrOfPredictors.value, sdm::kNrOfPredictors,
                   sdm::kMaxPredictors);
  checkHeaderCount(cursor, m.nrOfDataPoints.present, m.nrOfDataPoints.value, sdm::kNrOfDataPoints,
                   sdm::kMaxDataPoints);
  if (m.firstConfoundPredictor.value < 1) {
    throw fileError(cursor, std::string(sdm::kFirstConfoundPredictor) + " " +
                                std::to_string(m.firstConfoundPredictor.value) + " is below 1");
  }
  // Files written by an older baseline step hold one more than "no confounds"; they stay
  // readable with the value that means what they meant.
  m.firstConfoundPredictor.value =
      std::min(m.firstConfoundPredictor.value, m.nrOfPredictors.value + 1);
}

// Triples until the first token that is not an integer (normally the names line's opening
// quote, which stays unread). Only the first component of a surplus triple is read; the names
// line then begins after it. A triple cut short keeps the components read, the others stay 0.
void readColours(TextCursor& cursor, DesignMatrix& m, std::size_t count) {
  m.colorRed.assign(count, 0);
  m.colorGreen.assign(count, 0);
  m.colorBlue.assign(count, 0);
  std::size_t stored = 0;
  auto red = cursor.integer();
  while (red && stored < count) {
    const auto green = cursor.integer();
    const auto blue = green ? cursor.integer() : std::nullopt;
    m.colorRed[stored] = *red;
    m.colorGreen[stored] = green.value_or(0);
    m.colorBlue[stored] = blue.value_or(0);
    ++stored;
    if (!blue) return;
    red = cursor.integer();
  }
}

bool isWhiteSpaceOnly(std::string_view line) {
  return std::all_of(line.begin(), line.end(), isSpace);
}

// Reads the data rows of one file. A row is first split by the format's own rule: each field
// begins two characters before its decimal point, so values whose texts touch ("0.5-0.25",
// "1.2345678901.234567890") are read apart. When that split is not clean (values without a
// point, three or more characters before a point, text), the row is read as numbers separated
// by white space instead; a number may then directly follow another only when it begins with a
// sign, so a row is never guessed at.
class RowReader {
 public:
  RowReader(const TextCursor& cursor, std::size_t count) : cursor_(cursor), count_(count) {
    points_.reserve(count);
  }

  // Fills `row` (count_ values) from the line starting at `lineStart`.
  void read(std::string_view line, std::size_t lineStart, float* row) {
    lineStart_ = lineStart;
    if (splitAtPoints(line, row)) return;
    scanNumbers(line, row);
  }

 private:
  bool splitAtPoints(std::string_view line, float* row) {
    points_.clear();
    for (auto p = line.find('.'); p != std::string_view::npos; p = line.find('.', p + 1)) {
      if (points_.size() == count_) return false;
      points_.push_back(p);
    }
    if (points_.size() != count_) return false;
    const char* const text = line.data();
    for (std::size_t i = 0; i < count_; ++i) {
      const std::size_t point = points_[i];
      if (i != 0 && point < 2) return false;
      const std::size_t start = i == 0 ? 0 : point - 2;
      const std::size_t end = i + 1 < count_ ? points_[i + 1] - 2 : line.size();
      if (point >= end) return false;
      const char* first = text + start;
      while (first != text + end && isSpace(*first)) ++first;
      const auto number = scanDouble(first, text + end);
      if (number.status == NumberScan::noNumber) return false;
      // The field's own point, at most two characters (sign and digits) before it, and nothing
      // but white space after the number.
      const auto numberStart = static_cast<std::size_t>(first - text);
      if (point - numberStart > 2 || point >= static_cast<std::size_t>(number.end - text)) {
        return false;
      }
      if (!std::all_of(number.end, text + end, isSpace)) return false;
      if (number.status == NumberScan::outOfRange || beyondFloat(number.value)) {
        throw outOfRange(first, number.end);
      }
      row[i] = static_cast<float>(number.value);
    }
    return true;
  }

  std::out_of_range outOfRange(const char* first, const char* end) const {
    return std::out_of_range("stof argument out of range: " +
                             cursor_.lineContext(lineStart_, std::string(first, end)));
  }

  void scanNumbers(std::string_view line, float* row) {
    const char* const text = line.data();
    const char* const end = text + line.size();
    const char* p = text;
    std::size_t found = 0;
    for (;;) {
      const char* const afterPrevious = p;
      while (p != end && isSpace(*p)) ++p;
      if (p == end) break;
      const auto number = scanDouble(p, end);
      if (number.status == NumberScan::noNumber) {
        throw std::invalid_argument(
            "invalid stof argument: " +
            cursor_.lineContext(lineStart_, quotedWord(p, end) + " is not a number"));
      }
      if (number.status == NumberScan::outOfRange || beyondFloat(number.value)) {
        throw outOfRange(p, number.end);
      }
      if (found != 0 && p == afterPrevious && *p != '-' && *p != '+') {
        throw std::runtime_error(cursor_.lineContext(
            lineStart_, "values run together at column " + std::to_string(p - text + 1)));
      }
      if (found < count_) row[found] = static_cast<float>(number.value);
      ++found;
      p = number.end;
    }
    if (found != count_) {
      throw std::runtime_error(cursor_.lineContext(
          lineStart_,
          "expected " + std::to_string(count_) + " values, found " + std::to_string(found)));
    }
  }

  const TextCursor& cursor_;
  std::size_t count_;
  std::size_t lineStart_ = 0;
  std::vector<std::size_t> points_;
};

void readRows(TextCursor& cursor, DesignMatrix& m, std::size_t predictors, std::size_t dataPoints) {
  m.values.assign(predictors, {});
  if (predictors == 0) return;  // no values to read: empty rows are optional
  // Memory follows what the file holds, not what its header announces: a row normally takes at
  // least a character and a separator per value. Rows beyond that estimate are appended.
  const std::size_t remaining = cursor.text().size() - cursor.position();
  const std::size_t possibleRows = std::min(dataPoints, remaining / (2 * predictors) + 1);
  for (auto& column : m.values) column.resize(possibleRows);

  RowReader reader(cursor, predictors);
  std::vector<float> row(predictors);
  for (std::size_t t = 0; t < dataPoints; ++t) {
    std::string_view line;
    std::size_t lineStart = 0;
    do {
      if (cursor.atEnd()) {
        throw fileError(cursor, "the file ends after " + std::to_string(t) + " of " +
                                    std::to_string(dataPoints) + " data rows");
      }
      lineStart = cursor.position();
      line = cursor.restOfLine();
    } while (isWhiteSpaceOnly(line));
    reader.read(line, lineStart, row.data());
    if (t < possibleRows) {
      for (std::size_t p = 0; p < predictors; ++p) m.values[p][t] = row[p];
    } else {
      for (std::size_t p = 0; p < predictors; ++p) m.values[p].push_back(row[p]);
    }
  }
}

}  // namespace

DesignMatrix readSdm(std::string_view text, const std::string& name) {
  DesignMatrix m;
  m.fileName = name;
  m.fileVersion = {};
  m.fileVersion.value = -1;
  m.nrOfPredictors = {};
  m.nrOfDataPoints = {};
  m.includesConstant = {};
  m.firstConfoundPredictor = {};

  TextCursor cursor(text, name);
  readHeader(cursor, m);
  checkHeader(cursor, m);
  const auto predictors = static_cast<std::size_t>(m.nrOfPredictors.value);
  const auto dataPoints = static_cast<std::size_t>(m.nrOfDataPoints.value);

  readColours(cursor, m, predictors);
  auto namesLine = cursor.restOfLine();
  if (namesLine.find('"') == std::string_view::npos) namesLine = cursor.restOfLine();
  m.predictorNames = quotedNames(namesLine, predictors);
  readRows(cursor, m, predictors, dataPoints);
  return m;
}

DesignMatrix readSdmFile(const std::string& path, FileSystem& files) {
  return readSdm(files.readFile(path), path);
}

}  // namespace duv
