#include "design/rtc_file.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "design/file_system.h"
#include "design/number_text.h"
#include "design/paths.h"
#include "design/sdm_format.h"
#include "design/text_cursor.h"

namespace duv {
namespace {

constexpr std::string_view kKeyedStart = "FileVersion:";
constexpr std::string_view kOlderStart = "NrOfRTCs:";
// The header entries the older layout implies, aligned as the keyed layout writes them.
constexpr std::int32_t kOlderWidth = 17;

std::runtime_error fileError(const TextCursor& cursor, std::string_view what) {
  return std::runtime_error(cursor.fileContext(what));
}

void readIntEntry(TextCursor& cursor, std::string_view key, IntHeaderField& field) {
  field.label = std::string(key.substr(0, key.size() - 1));
  field.width = static_cast<std::int32_t>(key.size()) + cursor.skipBlanks();
  const auto value = headerInteger(cursor, key);
  if (!value) {
    throw fileError(cursor, "\"" + std::string(key) + "\" is not followed by a number");
  }
  field.value = *value;
  field.present = true;
}

// The rest of the key's line, without trailing blanks; a value between double quotes loses
// them and is marked quoted.
void readTextEntry(TextCursor& cursor, std::string_view key, TextHeaderField& field) {
  field.label = std::string(key.substr(0, key.size() - 1));
  field.width = static_cast<std::int32_t>(key.size()) + cursor.skipBlanks();
  auto value = cursor.restOfLine();
  while (!value.empty() && (isBlank(value.back()) || value.back() == '\r')) {
    value.remove_suffix(1);
  }
  field.quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
  if (field.quoted) value = value.substr(1, value.size() - 2);
  field.value = std::string(value);
  field.present = true;
}

void checkCounts(const TextCursor& cursor, const RtcFile& rtc) {
  checkHeaderCount(cursor, rtc.nrOfPredictors.present, rtc.nrOfPredictors.value,
                   sdm::kNrOfPredictors, sdm::kMaxPredictors);
  checkHeaderCount(cursor, rtc.nrOfDataPoints.present, rtc.nrOfDataPoints.value,
                   sdm::kNrOfDataPoints, sdm::kMaxDataPoints);
}

void readNames(std::string_view line, RtcFile& rtc) {
  rtc.predictorNames = quotedNames(line, static_cast<std::size_t>(rtc.nrOfPredictors.value));
}

// Keyed layout: entries in any order after "FileVersion:", until "NrOfDataPoints:" and its
// value; other tokens are skipped.
void readKeyedHeader(TextCursor& cursor, RtcFile& rtc) {
  std::string_view token = kKeyedStart;
  for (;;) {
    if (token == "FileVersion:") {
      readIntEntry(cursor, token, rtc.fileVersion);
    } else if (token == "Type:") {
      readTextEntry(cursor, token, rtc.type);
    } else if (token == "NrOfPredictors:") {
      readIntEntry(cursor, token, rtc.nrOfPredictors);
    } else if (token == "NrOfDataPoints:") {
      readIntEntry(cursor, token, rtc.nrOfDataPoints);
      return;
    }
    token = cursor.token();
    if (token.empty()) {
      throw fileError(cursor, "the header ends before \"NrOfDataPoints:\" and its value");
    }
  }
}

// After the header: the names line is the first line holding a double quote; a line that
// begins with a number first means there is none and the data begin there. Other lines
// (normally one empty line) are skipped.
void findNamesAndData(TextCursor& cursor, RtcFile& rtc) {
  cursor.restOfLine();
  while (!cursor.atEnd()) {
    const auto lineStart = cursor.position();
    const auto line = cursor.restOfLine();
    if (line.find('"') != std::string_view::npos) {
      readNames(line, rtc);
      return;
    }
    if (beginsWithNumber(line)) {
      readNames({}, rtc);
      cursor.moveTo(lineStart);
      return;
    }
  }
  readNames({}, rtc);
}

// Older layout: the number of courses after "NrOfRTCs:", then any token and the number of data
// points. The courses are named after the file.
void readOlderHeader(TextCursor& cursor, RtcFile& rtc) {
  rtc.fileVersion = {"FileVersion", 2, kOlderWidth, true};
  rtc.type = {"Type", "TimeCourse", kOlderWidth, false, true};
  const auto courses = headerInteger(cursor, kOlderStart);
  if (!courses) throw fileError(cursor, "\"NrOfRTCs:\" is not followed by a number");
  rtc.nrOfPredictors = {std::string(sdm::kNrOfPredictors), *courses, kOlderWidth, true};
  const auto key = cursor.token();
  if (key.empty()) {
    throw fileError(cursor, "the header ends before the number of data points");
  }
  const auto dataPoints = headerInteger(cursor, key);
  if (!dataPoints) throw fileError(cursor, "the number of data points is not a number");
  rtc.nrOfDataPoints = {std::string(sdm::kNrOfDataPoints), *dataPoints, kOlderWidth, true};
}

void nameCoursesAfterFile(RtcFile& rtc) {
  rtc.predictorNames.assign(static_cast<std::size_t>(rtc.nrOfPredictors.value),
                            pathWithoutExtension(fileNameOf(rtc.fileName)));
}

// Data begin at the first line, after the header's, that begins with a number.
void skipToData(TextCursor& cursor) {
  cursor.restOfLine();
  while (!cursor.atEnd()) {
    const auto lineStart = cursor.position();
    if (beginsWithNumber(cursor.restOfLine())) {
      cursor.moveTo(lineStart);
      return;
    }
  }
}

bool startsNumberText(const char* p, const char* end) {
  if (p != end && (*p == '+' || *p == '-')) ++p;
  return p != end && (isDigit(*p) || *p == '.');
}

// NrOfDataPoints x NrOfPredictors numbers separated by white space, data point by data point;
// line breaks carry no meaning. Each is converted once, directly to float, as a float stream
// extraction does (no "inf" or "nan").
void readValues(const TextCursor& cursor, RtcFile& rtc) {
  const auto courses = static_cast<std::size_t>(rtc.nrOfPredictors.value);
  const auto dataPoints = static_cast<std::size_t>(rtc.nrOfDataPoints.value);
  rtc.values.assign(courses, {});
  if (courses == 0) return;
  const std::string_view text = cursor.text();
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* p = begin + cursor.position();
  // Memory follows what the file holds: a value takes at least a character and a separator.
  const auto possibleRows =
      std::min(dataPoints, static_cast<std::size_t>(end - p) / (2 * courses) + 1);
  for (auto& column : rtc.values) column.reserve(possibleRows);

  const std::size_t expected = courses * dataPoints;
  for (std::size_t read = 0; read < expected; ++read) {
    const char* const afterPrevious = p;
    while (p != end && isSpace(*p)) ++p;
    const auto position = static_cast<std::size_t>(p - begin);
    if (p == end) {
      throw fileError(cursor, "expected " + std::to_string(expected) + " values (" +
                                  std::to_string(dataPoints) + " data points of " +
                                  std::to_string(courses) + " courses), found " +
                                  std::to_string(read));
    }
    const auto number = startsNumberText(p, end) ? scanFloat(p, end) : ScannedFloat{};
    if (number.status == NumberScan::noNumber) {
      throw std::runtime_error(
          cursor.lineContext(position, quotedWord(p, end) + " is not a number"));
    }
    if (number.status == NumberScan::outOfRange) {
      throw std::runtime_error(
          cursor.lineContext(position, std::string(p, number.end) + " is out of range"));
    }
    if (read != 0 && p == afterPrevious && *p != '-' && *p != '+') {
      throw std::runtime_error(cursor.lineContext(position, "values run together"));
    }
    rtc.values[read % courses].push_back(number.value);
    p = number.end;
  }
}

}  // namespace

RtcFile::RtcFile(const std::string& path) : RtcFile(readRtcFile(path, realFileSystem())) {}

RtcFile readRtcFile(const std::string& path, FileSystem& files) {
  return readRtc(files.readFile(path), path);
}

RtcFile readRtc(std::string_view text, const std::string& name) {
  RtcFile rtc;
  rtc.fileName = name;
  rtc.fileVersion.value = -1;
  TextCursor cursor(text, name);
  const auto first = cursor.token();
  if (first == kKeyedStart) {
    readKeyedHeader(cursor, rtc);
    checkCounts(cursor, rtc);
    findNamesAndData(cursor, rtc);
  } else if (first == kOlderStart) {
    readOlderHeader(cursor, rtc);
    checkCounts(cursor, rtc);
    nameCoursesAfterFile(rtc);
    skipToData(cursor);
  } else {
    throw fileError(cursor,
                    "not a time-course file: it begins with neither \"FileVersion:\" nor "
                    "\"NrOfRTCs:\"");
  }
  readValues(cursor, rtc);
  return rtc;
}

DesignMatrix designOfRtc(RtcFile rtc) {
  DesignMatrix design;
  design.fileName = convertedFileName(rtc.fileName);
  design.nrOfPredictors.value = rtc.nrOfPredictors.value;
  design.nrOfDataPoints.value = rtc.nrOfDataPoints.value;
  design.firstConfoundPredictor.value = 1;
  const auto count = static_cast<std::size_t>(rtc.nrOfPredictors.value);
  design.colorRed.assign(count, 255);
  design.colorGreen.assign(count, 255);
  design.colorBlue.assign(count, 255);
  design.predictorNames = std::move(rtc.predictorNames);
  design.values = std::move(rtc.values);
  return design;
}

}  // namespace duv
