#include "design/events_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <variant>

#include "design/file_system.h"
#include "design/number_text.h"
#include "design/paths.h"
#include "design/text.h"

namespace duv {
namespace {

struct Separator {
  char character;
  const char* name;  // plural, as a message says it
};

constexpr Separator kTab{'\t', "tabs"};
constexpr Separator kComma{',', "commas"};
constexpr Separator kOthers[] = {kTab, kComma, {';', "semicolons"}, {'|', "vertical bars"}};

struct Row {
  std::size_t line = 0;  // counted from 1
  std::vector<std::string> cells;
};

std::runtime_error fileError(const std::string& name, const std::string& what) {
  return std::runtime_error(name + ": " + what);
}

std::runtime_error lineError(const std::string& name, std::size_t line, const std::string& what) {
  return fileError(name + ", line " + std::to_string(line), what);
}

Separator separatorOf(const std::string& name) {
  if (hasExtension(name, "tsv")) return kTab;
  if (hasExtension(name, "csv")) return kComma;
  throw fileError(name, "an events file is a .tsv (tab-separated) or .csv (comma-separated) table");
}

// The cells of one line. A cell that starts with a double quote runs to the closing one, and
// two double quotes inside stand for one.
std::vector<std::string> cellsOf(std::string_view line, char separator, const std::string& name,
                                 std::size_t lineNumber) {
  std::vector<std::string> cells(1);
  bool atCellStart = true;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (atCellStart && c == '"') {
      const auto start = i + 1;
      for (i = start;; ++i) {
        if (i >= line.size()) throw lineError(name, lineNumber, "a quote is not closed");
        if (line[i] != '"') {
          cells.back() += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
          cells.back() += '"';
          ++i;
        } else {
          break;
        }
      }
      atCellStart = false;
      continue;
    }
    atCellStart = false;
    if (c == separator) {
      cells.emplace_back();
      atCellStart = true;
    } else {
      cells.back() += c;
    }
  }
  return cells;
}

bool isMissing(std::string_view cell) {
  return std::find(std::begin(events::kMissingValues), std::end(events::kMissingValues), cell) !=
         std::end(events::kMissingValues);
}

std::string_view withoutSpaces(std::string_view cell) {
  while (!cell.empty() && (cell.front() == ' ' || cell.front() == '\t')) cell.remove_prefix(1);
  while (!cell.empty() && (cell.back() == ' ' || cell.back() == '\t')) cell.remove_suffix(1);
  return cell;
}

std::optional<double> numberOf(std::string_view cell) {
  cell = withoutSpaces(cell);
  if (cell.empty()) return std::nullopt;
  const auto scanned = scanDouble(cell.data(), cell.data() + cell.size());
  if (scanned.status == NumberScan::noNumber || scanned.end != cell.data() + cell.size()) {
    return std::nullopt;
  }
  // Beyond the double range is infinite, as data-frame readers take it.
  if (scanned.status == NumberScan::outOfRange) {
    return cell.front() == '-' ? -HUGE_VAL : HUGE_VAL;
  }
  return scanned.value;
}

std::optional<std::int64_t> integerOf(std::string_view cell) {
  cell = withoutSpaces(cell);
  if (!cell.empty() && cell.front() == '+') cell.remove_prefix(1);
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
  if (cell.empty() || error != std::errc() || end != cell.data() + cell.size()) {
    return std::nullopt;
  }
  return value;
}

std::optional<bool> truthOf(std::string_view cell) {
  if (cell == "True" || cell == "true" || cell == "TRUE") return true;
  if (cell == "False" || cell == "false" || cell == "FALSE") return false;
  return std::nullopt;
}

// A trial_type value, compared as its column's type compares it.
using TrialType = std::variant<bool, std::int64_t, double, std::string>;

std::string labelOf(const TrialType& value) {
  if (const auto* truth = std::get_if<bool>(&value)) return *truth ? "True" : "False";
  if (const auto* integer = std::get_if<std::int64_t>(&value)) return std::to_string(*integer);
  if (const auto* number = std::get_if<double>(&value)) return pythonFloatText(*number);
  return std::get<std::string>(value);
}

// The values of the present trial_type cells, typed as the whole column allows (see the header).
std::vector<TrialType> typedTrialTypes(const std::vector<std::string>& cells, bool anyMissing) {
  std::vector<TrialType> values;
  const auto allAre = [&](auto convert) {
    return std::all_of(cells.begin(), cells.end(),
                       [&](const std::string& cell) { return convert(cell).has_value(); });
  };
  if (!anyMissing && allAre(integerOf)) {
    for (const auto& cell : cells) values.emplace_back(*integerOf(cell));
  } else if (allAre(numberOf)) {
    for (const auto& cell : cells) values.emplace_back(*numberOf(cell));
  } else if (allAre(truthOf)) {
    for (const auto& cell : cells) values.emplace_back(*truthOf(cell));
  } else {
    for (const auto& cell : cells) values.emplace_back(cell);
  }
  return values;
}

struct Table {
  std::vector<std::string> names;
  std::vector<Row> rows;
};

std::string_view withoutCarriageReturn(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// Tabs are cells' boundaries, so a line of tabs is a row of empty cells, not a blank line.
bool isBlankLine(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return c == ' '; });
}

void checkSeparator(std::string_view header, Separator separator, const std::string& name) {
  if (header.find(separator.character) != std::string_view::npos) return;
  for (const auto& other : kOthers) {
    if (other.character != separator.character &&
        header.find(other.character) != std::string_view::npos) {
      throw fileError(name, std::string("the columns are separated by ") + other.name + ", not " +
                                separator.name + ": a ." +
                                (separator.character == '\t' ? "tsv" : "csv") + " events file is " +
                                (separator.character == '\t' ? "tab" : "comma") + "-separated");
    }
  }
  throw lineError(name, 1,
                  std::string("one column only; an events file has onset and duration columns, "
                              "separated by ") +
                      separator.name);
}

Table readTable(std::string_view text, const std::string& name) {
  const auto separator = separatorOf(name);
  text = withoutByteOrderMark(text);
  Table table;
  const auto lines = splitLines(text, '\n');
  std::size_t lineNumber = 0;
  for (const auto& rawLine : lines) {
    ++lineNumber;
    const auto line = withoutCarriageReturn(rawLine);
    if (isBlankLine(line)) continue;
    if (table.names.empty()) {
      checkSeparator(line, separator, name);
      table.names = cellsOf(line, separator.character, name, lineNumber);
      continue;
    }
    Row row{lineNumber, cellsOf(line, separator.character, name, lineNumber)};
    if (row.cells.size() != table.names.size()) {
      throw lineError(name, lineNumber,
                      "expected " + std::to_string(table.names.size()) + " cells, found " +
                          std::to_string(row.cells.size()));
    }
    table.rows.push_back(std::move(row));
  }
  if (table.names.empty()) throw fileError(name, "the file is empty");
  return table;
}

std::optional<std::size_t> columnOf(const Table& table, std::string_view column,
                                    const std::string& name) {
  std::optional<std::size_t> found;
  for (std::size_t c = 0; c < table.names.size(); ++c) {
    if (table.names[c].empty()) {
      throw lineError(name, 1, "column " + std::to_string(c + 1) + " has no name");
    }
    if (table.names[c] != column) continue;
    if (found) throw lineError(name, 1, "column " + std::string(column) + " is named twice");
    found = c;
  }
  return found;
}

std::size_t requiredColumn(const Table& table, std::string_view column, const std::string& name) {
  const auto found = columnOf(table, column, name);
  if (!found) throw fileError(name, "no " + std::string(column) + " column");
  return *found;
}

// The finite number in a cell of onset, duration or modulation.
double numberCell(const Row& row, std::size_t column, std::string_view columnName,
                  const std::string& name) {
  const auto& cell = row.cells[column];
  const auto context =
      name + ", line " + std::to_string(row.line) + ", column " + std::string(columnName);
  if (isMissing(cell)) throw std::runtime_error(context + ": no value (\"" + cell + "\")");
  const auto number = numberOf(cell);
  if (!number || !std::isfinite(*number)) {
    throw std::runtime_error(context + ": \"" + cell + "\" is not a finite number");
  }
  return *number;
}

std::string linesText(const std::vector<std::size_t>& lines) {
  std::vector<std::string> numbers;
  numbers.reserve(lines.size());
  for (const auto line : lines) numbers.push_back(std::to_string(line));
  if (numbers.size() == 1) return "line " + numbers.front();
  const auto last = numbers.back();
  numbers.pop_back();
  return "lines " + joined(numbers, ", ") + " and " + last;
}

struct ReadEvent {
  std::size_t line = 0;
  double onset = 0.0;
  double duration = 0.0;
  double amplitude = 1.0;
  std::string onsetText;
  std::string durationText;
};

}  // namespace

std::string pythonFloatText(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char buffer[64];
  const auto end =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific).ptr;
  const std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
  const auto e = text.find('e');
  std::string mantissa(text.substr(0, e));
  const int exponent = std::stoi(std::string(text.substr(e + 1)));
  const bool negative = mantissa.front() == '-';
  if (negative) mantissa.erase(0, 1);
  std::string digits;
  for (const char c : mantissa) {
    if (c != '.') digits += c;
  }
  std::string out = negative ? "-" : "";
  if (exponent < -4 || exponent >= 16) {
    out += digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    out += exponent < 0 ? "e-" : "e+";
    const auto magnitude = std::to_string(exponent < 0 ? -exponent : exponent);
    out += (magnitude.size() < 2 ? "0" : "") + magnitude;
    return out;
  }
  const int point = exponent + 1;  // digits before the decimal point
  if (point <= 0) {
    out += "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
  } else if (static_cast<std::size_t>(point) >= digits.size()) {
    out += digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0') + ".0";
  } else {
    const auto split = static_cast<std::size_t>(point);
    out += digits.substr(0, split) + "." + digits.substr(split);
  }
  return out;
}

EventsFile readEventsFile(std::string_view text, const std::string& name) {
  const auto table = readTable(text, name);
  const auto onsetColumn = requiredColumn(table, events::kOnset, name);
  const auto durationColumn = requiredColumn(table, events::kDuration, name);
  const auto typeColumn = columnOf(table, events::kTrialType, name);
  const auto modulationColumn = columnOf(table, events::kModulation, name);

  EventsFile file;
  file.fileName = name;
  if (!typeColumn && !table.rows.empty()) {
    file.warnings.push_back(name + ": no trial_type column; every event is of the condition " +
                            std::string(events::kNoTrialType));
  }

  std::vector<ReadEvent> read;
  std::vector<std::string> typeCells;
  std::vector<std::size_t> untyped;
  for (const auto& row : table.rows) {
    ReadEvent event;
    event.line = row.line;
    event.onset = numberCell(row, onsetColumn, events::kOnset, name);
    event.duration = numberCell(row, durationColumn, events::kDuration, name);
    event.onsetText = std::string(withoutSpaces(row.cells[onsetColumn]));
    event.durationText = std::string(withoutSpaces(row.cells[durationColumn]));
    if (event.duration < 0) {
      throw std::runtime_error(name + ", line " + std::to_string(row.line) +
                               ", column duration: " + event.durationText +
                               " is negative; a duration is 0 or more seconds");
    }
    if (modulationColumn) {
      event.amplitude = numberCell(row, *modulationColumn, events::kModulation, name);
    }
    const std::string type =
        typeColumn ? row.cells[*typeColumn] : std::string(events::kNoTrialType);
    if (typeColumn && isMissing(type)) {
      untyped.push_back(row.line);
      continue;
    }
    typeCells.push_back(type);
    read.push_back(std::move(event));
  }
  if (!untyped.empty()) {
    file.warnings.push_back(name + ": " + linesText(untyped) +
                            " without a trial_type: left out of the design");
  }

  // Conditions by their typed value; events by onset, then duration. Identical events merge.
  const auto types = typeColumn ? typedTrialTypes(typeCells, !untyped.empty())
                                : std::vector<TrialType>(typeCells.begin(), typeCells.end());
  std::map<TrialType, std::map<std::pair<double, double>, std::vector<std::size_t>>> grouped;
  for (std::size_t e = 0; e < read.size(); ++e) {
    grouped[types[e]][{read[e].onset, read[e].duration}].push_back(e);
  }
  for (const auto& [type, events] : grouped) {
    EventCondition condition{labelOf(type), {}};
    for (const auto& [key, indexes] : events) {
      StimulusEvent merged{key.first, key.second, 0.0};
      std::vector<std::size_t> lines;
      for (const auto e : indexes) {
        merged.amplitude += read[e].amplitude;
        lines.push_back(read[e].line);
      }
      if (indexes.size() > 1) {
        const auto& first = read[indexes.front()];
        file.warnings.push_back(name + ": " + linesText(lines) + " are the same event (" +
                                condition.name + " at " + first.onsetText + " s for " +
                                first.durationText + " s): one event of their summed " +
                                (modulationColumn ? "modulations" : "amplitudes"));
      }
      condition.events.push_back(merged);
    }
    file.conditions.push_back(std::move(condition));
  }
  return file;
}

EventsFile readEventsFile(const std::string& path, FileSystem& files) {
  return readEventsFile(files.readFile(path), path);
}

}  // namespace duv
