#pragma once

// A run's events as BIDS keeps them beside its images: a table with a header line of column
// names, one event per line.
//
//   onset<TAB>duration<TAB>trial_type<TAB>modulation      <- line 1: names, in any order
//   4<TAB>10<TAB>faces<TAB>1                              <- onset and duration in seconds
//   20.5<TAB>0<TAB>houses<TAB>0.5                         <- modulation: the event's amplitude
//
// A ".tsv" file is tab-separated, a ".csv" file comma-separated; a cell may be put in double
// quotes to hold the separator. onset and duration are required; without trial_type every
// event is of the condition "dummy"; without modulation every amplitude is 1; other columns are
// ignored. A cell whose whole text is one of the missing-value spellings (kMissingValues) has
// no value. Blank lines are skipped.

#include <string>
#include <string_view>
#include <vector>

namespace duv {

class FileSystem;

namespace events {

inline constexpr std::string_view kOnset = "onset";
inline constexpr std::string_view kDuration = "duration";
inline constexpr std::string_view kTrialType = "trial_type";
inline constexpr std::string_view kModulation = "modulation";
// The condition of every event of a file without a trial_type column.
inline constexpr std::string_view kNoTrialType = "dummy";

// The cell texts that stand for no value, as data-frame readers take them.
inline constexpr std::string_view kMissingValues[] = {
    "",     "n/a",  "N/A",  "NA",       "NaN", "nan",     "-NaN",     "-nan",   "NULL",
    "null", "<NA>", "#N/A", "#N/A N/A", "#NA", "-1.#IND", "-1.#QNAN", "1.#IND", "1.#QNAN"};

}  // namespace events

// One event of a condition, in seconds; amplitude is the sum of the modulations of the
// identical events (same condition, onset and duration) it stands for.
struct StimulusEvent {
  double onset = 0.0;
  double duration = 0.0;
  double amplitude = 1.0;
};

struct EventCondition {
  std::string name;                   // the trial_type as a column label
  std::vector<StimulusEvent> events;  // by onset, then duration; no two the same
};

struct EventsFile {
  std::string fileName;
  // In the order of their trial_type values (see readEventsFile); each has one event or more.
  std::vector<EventCondition> conditions;
  // What was read but is doubtful, one sentence each, naming the file and its lines.
  std::vector<std::string> warnings;
};

// Reads an events file; `name` is its path, which chooses the separator by its extension (.tsv:
// tab, .csv: comma) and names the file in messages and fileName.
//
// Conditions and their names: the trial_type column is taken as integers when every cell is
// one (leading zeros and surrounding spaces ignored; named as written without them, "7"), else
// as numbers when every present cell is one (named as Python prints a float: "7.0", "0.25",
// "1e-05"), else as truth values when every present cell is True, true, TRUE, False, false or
// FALSE ("True", "False"), else as text (named exactly as written). Conditions follow in the
// ascending order of their values: numerically, False before True, text by code point.
//
// Throws std::runtime_error naming the file, for: an extension other than .tsv and .csv; a
// header whose columns are separated otherwise ("... separated by commas, not tabs"); a header
// without onset or duration, with an empty or repeated name; a line of another number of cells
// than the header or with an unclosed quote; and, naming "<file>, line <n>, column <name>", an
// onset, duration or modulation that is missing or not a finite number, and a negative
// duration.
// Warns (EventsFile::warnings) about: events without a trial_type (named by line; they are left
// out), a file without a trial_type column, and identical events (named by line; their
// modulations are summed into one event).
EventsFile readEventsFile(std::string_view text, const std::string& name);
EventsFile readEventsFile(const std::string& path, FileSystem& files);

// How Python prints a double (the shortest text that reads back as it, "1.0", "1e-05",
// "1e+16"): the condition names of numeric trial types.
std::string pythonFloatText(double value);

}  // namespace duv
