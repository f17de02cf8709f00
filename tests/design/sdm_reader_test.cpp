#include "design/sdm_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <string_view>

#include "design/errors.h"
#include "tests/design/sdm_example.h"
#include "tests/support/expect_error.h"
#include "tests/support/memory_file_system.h"

namespace duv {
namespace {

using testing::expectError;

const char* const kExample = testing::kSdmExample;

// A header for `predictors` predictors and `points` data points, then `body` (colours, names
// and rows).
std::string withHeader(int predictors, int points, const std::string& body) {
  return "NrOfPredictors: " + std::to_string(predictors) +
         "\nNrOfDataPoints: " + std::to_string(points) + "\nFirstConfoundPredictor: 1\n\n" + body;
}

TEST(SdmReaderTest, ReadsTheWrittenLayout) {
  const auto m = readSdm(kExample, "run1.sdm");
  EXPECT_EQ(m.fileName, "run1.sdm");
  EXPECT_EQ(m.fileVersion.label, "FileVersion");
  EXPECT_EQ(m.fileVersion.value, 1);
  EXPECT_EQ(m.fileVersion.width, 24);
  EXPECT_TRUE(m.fileVersion.present);
  EXPECT_EQ(m.nrOfPredictors.value, 3);
  EXPECT_EQ(m.nrOfDataPoints.value, 2);
  EXPECT_TRUE(m.includesConstant.value);
  EXPECT_EQ(m.includesConstant.label, "IncludesConstant");
  EXPECT_EQ(m.firstConfoundPredictor.value, 3);
  EXPECT_EQ(m.firstConfoundPredictor.width, 24);
  EXPECT_EQ(m.colorRed, (std::vector<std::int32_t>{255, 0, 255}));
  EXPECT_EQ(m.colorGreen, (std::vector<std::int32_t>{0, 255, 255}));
  EXPECT_EQ(m.colorBlue, (std::vector<std::int32_t>{0, 0, 255}));
  EXPECT_EQ(m.predictorNames, (std::vector<std::string>{"Task A", "Motion X", "Constant"}));
  EXPECT_EQ(m.values, (std::vector<std::vector<float>>{{1, 0}, {-0.25F, 0.5F}, {1, 1}}));
}

TEST(SdmReaderTest, KeysInAnyOrderAndUnknownEntriesIgnored) {
  const auto m = readSdm(
      "NrOfDataPoints: 1\nFileVersion: 3\nNrOfPredictors: 1\nOther: 7 words here\n"
      "IncludesConstant: 0\nFirstConfoundPredictor: 2\n\n1 2 3\n\"A\"\n 0.5\n",
      "x.sdm");
  EXPECT_EQ(m.fileVersion.value, 3);
  EXPECT_EQ(m.nrOfPredictors.value, 1);
  EXPECT_EQ(m.nrOfDataPoints.value, 1);
  EXPECT_FALSE(m.includesConstant.value);
  EXPECT_EQ(m.values[0][0], 0.5F);
}

TEST(SdmReaderTest, WidthCountsKeyColonAndFollowingBlanks) {
  const auto spaces =
      readSdm(withHeader(0, 0, "").replace(0, 16, "NrOfPredictors:          "), "x.sdm");
  EXPECT_EQ(spaces.nrOfPredictors.width, 25);
  const auto tab = readSdm(withHeader(0, 0, "").replace(0, 16, "NrOfPredictors:\t"), "x.sdm");
  EXPECT_EQ(tab.nrOfPredictors.width, 16);
  const auto nextLine = readSdm(withHeader(0, 0, "").replace(0, 16, "NrOfPredictors:\n"), "x.sdm");
  EXPECT_EQ(nextLine.nrOfPredictors.width, 15);
}

TEST(SdmReaderTest, MissingFileVersionStaysAbsent) {
  const auto m = readSdm(withHeader(0, 0, ""), "x.sdm");
  EXPECT_EQ(m.fileVersion.value, -1);
  EXPECT_FALSE(m.fileVersion.present);
  EXPECT_FALSE(m.includesConstant.present);
}

TEST(SdmReaderTest, NamesArePairsOfQuotes) {
  const std::string names = "0 0 0\n\"A B\" junk \"Cue\"\n 0.1  0.2\n";
  EXPECT_EQ(readSdm(withHeader(2, 1, names), "x.sdm").predictorNames,
            (std::vector<std::string>{"A B", "Cue"}));
  const auto three = readSdm(withHeader(3, 1, "\"A B\" junk \"Cue\"\n 0.1  0.2  0.3\n"), "x");
  EXPECT_EQ(three.predictorNames, (std::vector<std::string>{"A B", "Cue", "NoName"}));
  const auto unpaired = readSdm(withHeader(2, 1, "\"A\n 0.1  0.2\n"), "x");
  EXPECT_EQ(unpaired.predictorNames, (std::vector<std::string>{"NoName", "NoName"}));
}

TEST(SdmReaderTest, ColoursMayBeFewerThanPredictors) {
  const auto m = readSdm(withHeader(3, 1, "10 20 30\n\"a\" \"b\" \"c\"\n 1.0 2.0 3.0\n"), "x");
  EXPECT_EQ(m.colorRed, (std::vector<std::int32_t>{10, 0, 0}));
  EXPECT_EQ(m.colorBlue, (std::vector<std::int32_t>{30, 0, 0}));
  EXPECT_EQ(m.predictorNames[2], "c");
  const auto perLine = readSdm(withHeader(2, 1, "1 2 3\n4 5 6\n\"a\" \"b\"\n 1.0 2.0\n"), "x");
  EXPECT_EQ(perLine.colorRed, (std::vector<std::int32_t>{1, 4}));
  const auto surplus = readSdm(withHeader(1, 1, "1 2 3   4 5 6\n\"a\"\n 1.0\n"), "x");
  EXPECT_EQ(surplus.colorRed, (std::vector<std::int32_t>{1}));
  EXPECT_EQ(surplus.predictorNames[0], "a");
  const auto cutShort = readSdm(withHeader(2, 1, "1 2 3   4\n\"a\" \"b\"\n 1.0 2.0\n"), "x");
  EXPECT_EQ(cutShort.colorRed, (std::vector<std::int32_t>{1, 4}));
  EXPECT_EQ(cutShort.colorGreen, (std::vector<std::int32_t>{2, 0}));
}

struct RowCase {
  const char* row;
  std::vector<float> expected;
};

TEST(SdmReaderTest, RowsWithinTheFormatAreSplitTwoCharactersBeforeEachPoint) {
  const RowCase cases[] = {
      {"0.5-0.25", {0.5F, -0.25F}},
      {"1.2345678901.234567890", {1.23456789F, 1.23456789F}},
      {"  1.000000  -0.250000", {1.0F, -0.25F}},
      {"99.999999-9.999999", {99.999999F, -9.999999F}},
      {" .5 .25", {0.5F, 0.25F}},
      {"1.5e-05 2.0", {1.5e-05F, 2.0F}},
      {"1.0\t2.0\t", {1.0F, 2.0F}},
      {"1.0 2.0\r\r", {1.0F, 2.0F}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    const auto m = readSdm(withHeader(2, 1, std::string("\"a\" \"b\"\n") + c.row + "\n"), "x");
    EXPECT_EQ(m.values[0][0], c.expected[0]);
    EXPECT_EQ(m.values[1][0], c.expected[1]);
  }
}

TEST(SdmReaderTest, RowsOutsideTheFormatAreReadAsSeparatedNumbers) {
  const RowCase cases[] = {
      {"1 0 1", {1, 0, 1}},
      {"100.5 -10.5 2.25", {100.5F, -10.5F, 2.25F}},
      {"1e-05 2 3", {1e-05F, 2, 3}},
      {"0.031-0.000387509 1", {0.031F, -0.000387509F, 1}},
      {"nan inf -inf", {NAN, INFINITY, -INFINITY}},
      {"1.123456789 2.123456789012345 3", {1.123456789F, 2.123456789012345F, 3}},
      {"1 2 3", {1, 2, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    const auto m = readSdm(withHeader(3, 1, std::string("\"a\" \"b\" \"c\"\n") + c.row), "x");
    for (std::size_t p = 0; p < 3; ++p) {
      if (std::isnan(c.expected[p])) {
        EXPECT_TRUE(std::isnan(m.values[p][0]));
      } else {
        EXPECT_EQ(m.values[p][0], c.expected[p]);
      }
    }
  }
}

// Whole files as other writers lay them out, each holding the same matrix.
TEST(SdmReaderTest, LayoutsOfOtherWritersReadAsTheMatrixTheyHold) {
  const char* const cases[] = {
      // Header lines indented, separated by empty lines, the file starting with one.
      "\n  NrOfPredictors: 2\n\n\tNrOfDataPoints: 2\n\n\n FirstConfoundPredictor: 2\n\n"
      "1 2 3 4 5 6\n\"a\" \"b\"\n 1.0 -0.5\n 0.25 2.0\n",
      // Values at other columns; colours one triple per line.
      "NrOfPredictors:\t\t2\nNrOfDataPoints:   2\nFirstConfoundPredictor:         2\n"
      "1 2 3\n4 5 6\n\"a\" \"b\"\n 1.0 -0.5\n 0.25 2.0\n",
      // Every line ending in CR CR LF.
      "NrOfPredictors: 2\r\r\nNrOfDataPoints: 2\r\r\nFirstConfoundPredictor: 2\r\r\n\r\r\n"
      "1 2 3   4 5 6\r\r\n\"a\" \"b\"\r\r\n 1.0 -0.5\r\r\n 0.25 2.0\r\r\n",
      // Tab-separated values with a trailing tab, integers, exponents; no newline at the end.
      "NrOfPredictors: 2\nNrOfDataPoints: 2\nFirstConfoundPredictor: 2\n1 2 3 4 5 6\n"
      "\"a\"\t\"b\"\n1\t-5e-1\t\n2.5e-1\t2\t",
      // Fixed-width fields that run together, 9 and 15 decimals.
      "NrOfPredictors: 2\nNrOfDataPoints: 2\nFirstConfoundPredictor: 2\n1 2 3 4 5 6\n"
      "\"a\" \"b\"\n1.000000000-0.500000000\n0.250000000000000 2.000000000000000",
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    const auto m = readSdm(text, "x.sdm");
    EXPECT_EQ(m.nrOfPredictors.value, 2);
    EXPECT_EQ(m.firstConfoundPredictor.value, 2);
    EXPECT_EQ(m.colorRed, (std::vector<std::int32_t>{1, 4}));
    EXPECT_EQ(m.colorBlue, (std::vector<std::int32_t>{3, 6}));
    EXPECT_EQ(m.predictorNames, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(m.values, (std::vector<std::vector<float>>{{1.0F, 0.25F}, {-0.5F, 2.0F}}));
  }
}

TEST(SdmReaderTest, CarriageReturnLineEndsReadTheSame) {
  std::string crlf;
  for (const char* p = kExample; *p != '\0'; ++p) {
    if (*p == '\n') crlf += '\r';
    crlf += *p;
  }
  const auto a = readSdm(kExample, "x");
  const auto b = readSdm(crlf, "x");
  EXPECT_EQ(a.predictorNames, b.predictorNames);
  EXPECT_EQ(a.values, b.values);
  EXPECT_EQ(a.nrOfPredictors.width, b.nrOfPredictors.width);
}

TEST(SdmReaderTest, BlankLinesBetweenRowsAreSkipped) {
  const auto m = readSdm(withHeader(1, 2, "\"a\"\n\n 1.0\n  \t\n 2.0"), "x");
  EXPECT_EQ(m.values[0], (std::vector<float>{1, 2}));
}

TEST(SdmReaderTest, NoPredictorsNeedNoRows) {
  const auto m = readSdm(withHeader(0, 5, "\n\n"), "x");
  EXPECT_EQ(m.nrOfDataPoints.value, 5);
  EXPECT_TRUE(m.values.empty());
}

TEST(SdmReaderTest, FirstConfoundBeyondNoConfoundsIsLowered) {
  const auto m = readSdm(
      "NrOfPredictors: 1\nNrOfDataPoints: 1\nFirstConfoundPredictor: 3\n\"a\"\n 1.0\n", "x");
  EXPECT_EQ(m.firstConfoundPredictor.value, 2);
}

TEST(SdmReaderTest, ReadsAViewUpToItsEndAndThroughTheFileInterface) {
  // A view is not terminated where it ends: here it ends before the last value of the text it
  // looks into, so its last row is one value short however the text goes on.
  const std::string whole = kExample;
  const std::string_view view(whole);
  EXPECT_EQ(readSdm(view, "s.sdm").values[1][0], -0.25F);
  expectError<std::runtime_error>([&] { readSdm(view.substr(0, view.size() - 9), "s.sdm"); },
                                  "s.sdm, line 11: expected 3 values, found 2");
  testing::MemoryFileSystem files;
  files.files["m.sdm"] = kExample;
  EXPECT_EQ(readSdmFile("m.sdm", files).fileName, "m.sdm");
  expectError<OpenFileError>([&] { readSdmFile("missing.sdm", files); },
                             "Failed opening for reading: missing.sdm");
  files.unreadable.insert("m.sdm");
  expectError<IOError>([&] { readSdmFile("m.sdm", files); }, "Failed reading file: m.sdm");
}

struct ErrorCase {
  std::string text;
  std::string message;
};

TEST(SdmReaderTest, MalformedFilesAreErrorsNamingTheFile) {
  const std::string names2 = "\"a\" \"b\"\n";
  const ErrorCase cases[] = {
      {"", "bad.sdm: the header ends before \"FirstConfoundPredictor:\" and its value"},
      {"NrOfPredictors: 1\nNrOfDataPoints: 1\n",
       "bad.sdm: the header ends before \"FirstConfoundPredictor:\" and its value"},
      {"NrOfPredictors: 1\nNrOfDataPoints: 1\nFirstConfoundPredictor:",
       "bad.sdm: \"FirstConfoundPredictor:\" is not followed by a number"},
      {"NrOfPredictors: x\n", "bad.sdm: \"NrOfPredictors:\" is not followed by a number"},
      {"NrOfPredictors: 99999999999\n", "bad.sdm: \"NrOfPredictors:\" is not followed by a number"},
      {"NrOfPredictors: 2\nNrOfDataPoints: 3.5\n",
       "bad.sdm: \"NrOfDataPoints:\" is followed by \"3.5\", not by a whole number"},
      {"NrOfPredictors: 1e3\n",
       "bad.sdm: \"NrOfPredictors:\" is followed by \"1e3\", not by a whole number"},
      {"FileVersion: 1,\n",
       "bad.sdm: \"FileVersion:\" is followed by \"1,\", not by a whole number"},
      {"IncludesConstant: 1x\n", "bad.sdm: \"IncludesConstant:\" is not followed by 0 or 1"},
      {"IncludesConstant: 2\n", "bad.sdm: \"IncludesConstant:\" is not followed by 0 or 1"},
      {"NrOfDataPoints: 1\nFirstConfoundPredictor: 1\n",
       "bad.sdm: the header has no \"NrOfPredictors:\""},
      {"NrOfPredictors: 1\nFirstConfoundPredictor: 1\n",
       "bad.sdm: the header has no \"NrOfDataPoints:\""},
      {"NrOfPredictors: -1\nNrOfDataPoints: 1\nFirstConfoundPredictor: 1\n",
       "bad.sdm: NrOfPredictors is negative (-1)"},
      {"NrOfPredictors: 100001\nNrOfDataPoints: 0\nFirstConfoundPredictor: 1\n",
       "bad.sdm: NrOfPredictors 100001 is above the limit of 100000"},
      {"NrOfPredictors: 0\nNrOfDataPoints: 2000000000\nFirstConfoundPredictor: 1\n",
       "bad.sdm: NrOfDataPoints 2000000000 is above the limit of 10000000"},
      {"NrOfPredictors: 1\nNrOfDataPoints: 1\nFirstConfoundPredictor: 0\n",
       "bad.sdm: FirstConfoundPredictor 0 is below 1"},
      {withHeader(2, 3, names2 + " 1.0 2.0\n"), "bad.sdm: the file ends after 1 of 3 data rows"},
      {withHeader(2, 1, names2 + " 1.0 2.0 3.0\n"), "bad.sdm, line 6: expected 2 values, found 3"},
      {withHeader(2, 1, names2 + " 1.0\n"), "bad.sdm, line 6: expected 2 values, found 1"},
      {withHeader(2, 1, names2 + " 1.0 x.5\n"),
       "invalid stof argument: bad.sdm, line 6: \"x.5\" is not a number"},
      {withHeader(2, 1, names2 + " 1.0 NA\n"),
       "invalid stof argument: bad.sdm, line 6: \"NA\" is not a number"},
      {withHeader(2, 1, names2 + " 1.0 \x01\x7f\xc3\xa4\n"),
       "invalid stof argument: bad.sdm, line 6: \"\\x01\\x7f\xc3\xa4\" is not a number"},
      {withHeader(2, 1, names2 + std::string(" 1.0\0 2.0\n", 10)),
       "invalid stof argument: bad.sdm, line 6: \"\\x00\" is not a number"},
      {withHeader(2, 1, names2 + "\n\n 1.0 2.0e400\n"),
       "stof argument out of range: bad.sdm, line 8: 2.0e400"},
      {withHeader(2, 1, names2 + " 1e-400 2\n"),
       "stof argument out of range: bad.sdm, line 6: 1e-400"},
      {withHeader(2, 1, names2 + "123.456789123.456789\n"),
       "bad.sdm, line 6: values run together at column 14"},
      {withHeader(1, 1, "\"a\"\r 1.0\r"), "bad.sdm: the file ends after 0 of 1 data rows"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      readSdm(c.text, "bad.sdm");
      ADD_FAILURE() << "no error";
    } catch (const std::exception& error) {
      EXPECT_EQ(error.what(), c.message);
    }
  }
}

TEST(SdmReaderTest, MessagesKeepTheirKinds) {
  const std::string names = "\"a\"\n";
  EXPECT_THROW(readSdm(withHeader(1, 1, names + "x\n"), "x"), std::invalid_argument);
  EXPECT_THROW(readSdm(withHeader(1, 1, names + "1e999\n"), "x"), std::out_of_range);
}

TEST(SdmReaderTest, TruncationAtEveryLengthReadsOrFailsNamingTheFile) {
  const std::string whole = kExample;
  for (std::size_t length = 0; length < whole.size(); ++length) {
    SCOPED_TRACE(length);
    try {
      const auto m = readSdm(whole.substr(0, length), "cut.sdm");
      // A file cut inside its last row may still hold a whole last row.
      EXPECT_EQ(m.values.size(), 3U);
    } catch (const std::exception& error) {
      EXPECT_NE(std::string(error.what()).find("cut.sdm"), std::string::npos) << error.what();
    }
  }
}

TEST(SdmReaderTest, AnnouncedSizesAreNotAllocatedBeforeTheyAreRead) {
  // Within the limits, but 100,000 x 10,000,000 values would need 4 TB.
  const std::string text =
      "NrOfPredictors: 100000\nNrOfDataPoints: 10000000\nFirstConfoundPredictor: 1\n\n\"a\"\n "
      "1.0\n";
  expectError<std::runtime_error>([&] { readSdm(text, "big.sdm"); },
                                  "big.sdm, line 6: expected 100000 values, found 1");
}

}  // namespace
}  // namespace duv
