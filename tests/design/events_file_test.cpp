#include "design/events_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace duv {
namespace {

// A condition as "name: onset/duration*amplitude onset/duration*amplitude ...".
std::string describe(const EventCondition& condition) {
  std::string text = condition.name + ":";
  for (const auto& event : condition.events) {
    std::ostringstream out;
    out << ' ' << event.onset << '/' << event.duration << '*' << event.amplitude;
    text += out.str();
  }
  return text;
}

struct Case {
  const char* name;
  const char* text;
  // Either the error, or the conditions and the warnings.
  const char* error;
  std::vector<std::string> conditions;
  std::vector<std::string> warnings;
};

const Case kCases[] = {
    {"a.tsv", "onset\tduration\ttrial_type\n4\t10\tblock\n", nullptr, {"block: 4/10*1"}, {}},
    // Column order free, extra columns ignored, blank lines skipped, CRLF and a byte-order mark.
    {"a.tsv",
     "\xEF\xBB\xBFtrial_type\tresponse_time\tduration\tonset\r\n\r\nb\t0.5\t1\t3\r\n",
     nullptr,
     {"b: 3/1*1"},
     {}},
    {"a.csv",
     "onset,duration,trial_type,modulation\n2,1,go,1.5\n14,1,go,-0.5\n8,2,stop,2\n",
     nullptr,
     {"go: 2/1*1.5 14/1*-0.5", "stop: 8/2*2"},
     {}},
    // Quoted cells hold the separator.
    {"a.csv",
     "onset,duration,trial_type\n1,1,\"a, b\"\n2,1,\"say \"\"hi\"\"\"\n",
     nullptr,
     {"a, b: 1/1*1", "say \"hi\": 2/1*1"},
     {}},
    // Text sorts by code point, case first; names are kept exactly.
    {"a.tsv",
     "onset\tduration\ttrial_type\n1\t0\tb\n2\t0\ta b\n3\t0\tB\n4\t0\ta\n5\t0\tcond10\n",
     nullptr,
     {"B: 3/0*1", "a: 4/0*1", "a b: 2/0*1", "b: 1/0*1", "cond10: 5/0*1"},
     {}},
    // Integers sort numerically and lose leading zeros and spaces.
    {"a.tsv",
     "onset\tduration\ttrial_type\n1\t0\t10\n2\t0\t9\n3\t0\t 009\n",
     nullptr,
     {"9: 2/0*1 3/0*1", "10: 1/0*1"},
     {}},
    // A missing trial type makes a numeric column one of floats, named as floats.
    {"a.tsv",
     "onset\tduration\ttrial_type\n1\t0\t1\n2\t0\tn/a\n3\t0\t2\n",
     nullptr,
     {"1.0: 1/0*1", "2.0: 3/0*1"},
     {"a.tsv: line 3 without a trial_type: left out of the design"}},
    {"a.tsv",
     "onset\tduration\ttrial_type\n1\t0\t0.00001\n2\t0\t2.5\n",
     nullptr,
     {"1e-05: 1/0*1", "2.5: 2/0*1"},
     {}},
    // A column of text when one cell is text: "10" sorts before "9".
    {"a.tsv",
     "onset\tduration\ttrial_type\n1\t0\t10\n2\t0\t9\n3\t0\tx\n",
     nullptr,
     {"10: 1/0*1", "9: 2/0*1", "x: 3/0*1"},
     {}},
    {"a.tsv",
     "onset\tduration\ttrial_type\n1\t0\ttrue\n2\t0\tFalse\n",
     nullptr,
     {"False: 2/0*1", "True: 1/0*1"},
     {}},
    {"a.tsv",
     "onset\tduration\n1\t2\n",
     nullptr,
     {"dummy: 1/2*1"},
     {"a.tsv: no trial_type column; every event is of the condition dummy"}},
    // A header without rows gives no conditions.
    {"a.tsv", "onset\tduration\ttrial_type\n", nullptr, {}, {}},
    // Identical events merge and sum their modulations; untyped rows are named.
    {"a.tsv",
     "onset\tduration\ttrial_type\tmodulation\n6\t2\tcue\t1\n12\t2\tn/a\t1\n6\t2\tcue\t0.5\n"
     "7\t2\tcue\t1\n\n9\t1\t\t1\n",
     nullptr,
     {"cue: 6/2*1.5 7/2*1"},
     {"a.tsv: lines 3 and 7 without a trial_type: left out of the design",
      "a.tsv: lines 2 and 4 are the same event (cue at 6 s for 2 s): one event of their summed "
      "modulations"}},
    {"a.tsv",
     "onset\tduration\ttrial_type\n1\t1\tx\n1\t1\tx\n1\t1\tx\n",
     nullptr,
     {"x: 1/1*3"},
     {"a.tsv: lines 2, 3 and 4 are the same event (x at 1 s for 1 s): one event of their summed "
      "amplitudes"}},

    // Faults.
    {"a.txt",
     "onset\tduration\n",
     "a.txt: an events file is a .tsv (tab-separated) or .csv "
     "(comma-separated) table",
     {},
     {}},
    {"a.tsv",
     "onset,duration,trial_type\n1,1,a\n",
     "a.tsv: the columns are separated by commas, not tabs: a .tsv events file is tab-separated",
     {},
     {}},
    {"a.csv",
     "onset\tduration\n1\t1\n",
     "a.csv: the columns are separated by tabs, not commas: a .csv events file is "
     "comma-separated",
     {},
     {}},
    {"a.csv",
     "onset;duration\n1;1\n",
     "a.csv: the columns are separated by semicolons, not commas: a .csv events file is "
     "comma-separated",
     {},
     {}},
    {"a.tsv",
     "onset\n1\n",
     "a.tsv, line 1: one column only; an events file has onset and duration columns, separated "
     "by tabs",
     {},
     {}},
    {"a.tsv", "", "a.tsv: the file is empty", {}, {}},
    {"a.tsv", "onset\tlength\n1\t1\n", "a.tsv: no duration column", {}, {}},
    {"a.tsv",
     "onset\tduration\tonset\n1\t1\t1\n",
     "a.tsv, line 1: column onset is named twice",
     {},
     {}},
    {"a.tsv", "onset\t\tduration\n1\t1\t1\n", "a.tsv, line 1: column 2 has no name", {}, {}},
    {"a.tsv",
     "onset\tduration\ttrial_type\n1\t1\ta\n2\t1\n",
     "a.tsv, line 3: expected 3 cells, found 2",
     {},
     {}},
    {"a.csv",
     "onset,duration,trial_type\n1,1,\"a\n",
     "a.csv, line 2: a quote is not closed",
     {},
     {}},
    {"a.tsv",
     "onset\tduration\ttrial_type\n\n1\tn/a\ta\n",
     "a.tsv, line 3, column duration: no value (\"n/a\")",
     {},
     {}},
    {"a.tsv",
     "onset\tduration\ttrial_type\n\tn/a\ta\n",
     "a.tsv, line 2, column onset: no value (\"\")",
     {},
     {}},
    {"a.tsv",
     "onset\tduration\ttrial_type\nsoon\t1\ta\n",
     "a.tsv, line 2, column onset: \"soon\" is not a finite number",
     {},
     {}},
    {"a.tsv",
     "onset\tduration\ttrial_type\n1\tinf\ta\n",
     "a.tsv, line 2, column duration: \"inf\" is not a finite number",
     {},
     {}},
    {"a.tsv",
     "onset\tduration\ttrial_type\n1\t-2\ta\n",
     "a.tsv, line 2, column duration: -2 is negative; a duration is 0 or more seconds",
     {},
     {}},
    {"a.tsv",
     "onset\tduration\ttrial_type\tmodulation\n1\t2\ta\tn/a\n",
     "a.tsv, line 2, column modulation: no value (\"n/a\")",
     {},
     {}},
    {"a.tsv",
     "onset\tduration\ttrial_type\tmodulation\n1\t2\ta\thigh\n",
     "a.tsv, line 2, column modulation: \"high\" is not a finite number",
     {},
     {}},
};

TEST(EventsFile, ReadsEventsAndNamesEveryFault) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.name) + ": " + c.text);
    try {
      const auto file = readEventsFile(c.text, c.name);
      if (c.error != nullptr) {
        ADD_FAILURE() << "no error; expected: " << c.error;
        continue;
      }
      std::vector<std::string> conditions;
      for (const auto& condition : file.conditions) conditions.push_back(describe(condition));
      EXPECT_EQ(conditions, c.conditions);
      EXPECT_EQ(file.warnings, c.warnings);
    } catch (const std::runtime_error& error) {
      if (c.error == nullptr) {
        ADD_FAILURE() << "error: " << error.what();
      } else {
        EXPECT_EQ(std::string(error.what()), c.error);
      }
    }
  }
}

TEST(EventsFile, FloatNamesArePrintedAsPythonPrintsThem) {
  const std::pair<double, const char*> cases[] = {
      {1.0, "1.0"},         {-2.0, "-2.0"},        {0.25, "0.25"},  {0.1, "0.1"},
      {1e-05, "1e-05"},     {0.0001, "0.0001"},    {1e16, "1e+16"}, {1e15, "1000000000000000.0"},
      {123.456, "123.456"}, {1.5e300, "1.5e+300"}, {0.0, "0.0"},    {12345678.9, "12345678.9"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(pythonFloatText(value), text) << value;
}

}  // namespace
}  // namespace duv

namespace duv {
namespace {

// A valid file cut at every length, and with each byte replaced by each of a few damaging ones:
// read, or refused with a message naming the file; never anything else.
TEST(EventsFile, DamagedFilesAreReadOrRefusedNamingTheFile) {
  const std::string valid =
      "onset\tduration\ttrial_type\tmodulation\n4\t10\tblock\t1\n\n20.5\t0\t\"a b\"\t-0.5\n"
      "20.5\t0\t\"a b\"\t2\n30\t1\tn/a\t1\n";
  std::vector<std::string> damaged;
  for (std::size_t length = 0; length <= valid.size(); ++length) {
    damaged.push_back(valid.substr(0, length));
  }
  for (std::size_t i = 0; i < valid.size(); ++i) {
    for (const char c : {'\t', '\n', '"', ',', '-', 'x', '\0'}) {
      auto text = valid;
      text[i] = c;
      damaged.push_back(text);
    }
  }
  for (const auto& text : damaged) {
    try {
      const auto file = readEventsFile(text, "run.tsv");
      for (const auto& condition : file.conditions) {
        EXPECT_FALSE(condition.events.empty()) << text;
        for (const auto& event : condition.events) EXPECT_GE(event.duration, 0.0) << text;
      }
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(std::string(error.what()).rfind("run.tsv", 0), 0U) << text << ": " << error.what();
    }
  }
}

}  // namespace
}  // namespace duv
