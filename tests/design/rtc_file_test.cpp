#include "design/rtc_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <string_view>

#include "design/design_matrix.h"
#include "design/errors.h"
#include "tests/support/expect_error.h"
#include "tests/support/memory_file_system.h"

namespace duv {
namespace {

const char* const kKeyed =
    "FileVersion: 2\n"
    "Type:            \"DesignMatrix\"  \n"
    "NrOfPredictors: 2\n"
    "NrOfDataPoints: 3\n"
    "\n"
    "\"a\" \"b\"\n"
    "0.1 0.2\n"
    "-0.3 0.4\n"
    "0.5 0.6\n";

TEST(RtcKeyedTest, ReadsHeaderNamesAndValues) {
  const auto rtc = readRtc(kKeyed, "run1.rtc");
  EXPECT_EQ(rtc.fileName, "run1.rtc");
  EXPECT_EQ(rtc.fileVersion.value, 2);
  EXPECT_EQ(rtc.type.label, "Type");
  EXPECT_EQ(rtc.type.value, "DesignMatrix");
  EXPECT_TRUE(rtc.type.quoted);
  EXPECT_EQ(rtc.type.width, 17);
  EXPECT_EQ(rtc.nrOfPredictors.value, 2);
  EXPECT_EQ(rtc.nrOfDataPoints.value, 3);
  EXPECT_EQ(rtc.predictorNames, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(rtc.values, (std::vector<std::vector<float>>{{0.1F, -0.3F, 0.5F}, {0.2F, 0.4F, 0.6F}}));
}

TEST(RtcKeyedTest, NamesLineFoundWithoutTheBlankLine) {
  std::string text = kKeyed;
  text.erase(text.find("\n\n"), 1);
  const auto rtc = readRtc(text, "x.rtc");
  EXPECT_EQ(rtc.predictorNames, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(rtc.values[1][2], 0.6F);
}

TEST(RtcKeyedTest, WithoutNamesLineTheDataBeginAtTheFirstNumber) {
  const auto rtc =
      readRtc("FileVersion: 2\nNrOfPredictors: 1\nNrOfDataPoints: 2\n\n\n-1.5\n2\n", "x.rtc");
  EXPECT_EQ(rtc.predictorNames, (std::vector<std::string>{"NoName"}));
  EXPECT_EQ(rtc.values[0], (std::vector<float>{-1.5F, 2.0F}));
  EXPECT_FALSE(rtc.type.present);
}

TEST(RtcKeyedTest, LineBreaksCarryNoMeaningAndCrLfReads) {
  const auto rtc = readRtc(
      "FileVersion: 2\r\nType: TimeCourse\r\nNrOfPredictors: 2\r\nNrOfDataPoints: 2\r\n\r\n"
      "\"a\" \"b\"\r\n1 2 3\r\n4\r\n",
      "x.rtc");
  EXPECT_EQ(rtc.type.value, "TimeCourse");
  EXPECT_FALSE(rtc.type.quoted);
  EXPECT_EQ(rtc.values, (std::vector<std::vector<float>>{{1, 3}, {2, 4}}));
}

TEST(RtcKeyedTest, ValuesAreConvertedOnceToFloat) {
  // The double nearest this text is halfway between two floats; a direct conversion rounds up.
  const auto rtc = readRtc(
      "FileVersion: 2\nNrOfPredictors: 1\nNrOfDataPoints: 1\n1.00000005960464477539062500000001\n",
      "x.rtc");
  EXPECT_EQ(rtc.values[0][0], 1.00000012F);
}

TEST(RtcOlderTest, CoursesAreNamedAfterTheFile) {
  const auto rtc =
      readRtc("NrOfRTCs: 2\nNrOfDataPoints: 4\nsome text\n\n1 2\n3 4\n5 6\n7 8\n", "d/motion.rtc");
  EXPECT_EQ(rtc.predictorNames, (std::vector<std::string>{"motion", "motion"}));
  EXPECT_EQ(rtc.fileVersion.value, 2);
  EXPECT_EQ(rtc.fileVersion.width, 17);
  EXPECT_EQ(rtc.type.value, "TimeCourse");
  EXPECT_FALSE(rtc.type.quoted);
  EXPECT_EQ(rtc.nrOfPredictors.label, "NrOfPredictors");
  EXPECT_EQ(rtc.values[1], (std::vector<float>{2, 4, 6, 8}));
}

TEST(RtcOlderTest, AFirstDataRowStartingWithASignOrBlankIsData) {
  const auto rtc = readRtc("NrOfRTCs: 1\nNrOfDataPoints: 3\n  -0.5\n+.25\n.75\n", "m.rtc");
  EXPECT_EQ(rtc.values[0], (std::vector<float>{-0.5F, 0.25F, 0.75F}));
}

TEST(RtcConversionTest, AllCoursesBecomeWhiteConfounds) {
  auto rtc = readRtc("NrOfRTCs: 2\nNrOfDataPoints: 1\n1 2\n", "C:\\x\\motion.rtc");
  const auto m = designOfRtc(std::move(rtc));
  EXPECT_EQ(m.fileName, "C:\\x\\motion.sdm");
  EXPECT_EQ(m.nrOfPredictors.value, 2);
  EXPECT_EQ(m.nrOfDataPoints.value, 1);
  EXPECT_EQ(m.firstConfoundPredictor.value, 1);
  EXPECT_FALSE(m.includesConstant.value);
  EXPECT_EQ(m.fileVersion.value, 1);
  EXPECT_EQ(m.nrOfPredictors.width, 24);
  EXPECT_EQ(m.colorRed, (std::vector<std::int32_t>{255, 255}));
  EXPECT_EQ(m.colorBlue, (std::vector<std::int32_t>{255, 255}));
  EXPECT_EQ(m.predictorNames, (std::vector<std::string>{"motion", "motion"}));
  EXPECT_EQ(m.values, (std::vector<std::vector<float>>{{1}, {2}}));
}

TEST(RtcFileTest, ReadsAViewUpToItsEnd) {
  // A view is not terminated where it ends: here it ends before the last value of the text it
  // looks into, so the values are one short however the text goes on.
  const std::string whole = kKeyed;
  const std::string_view view(whole);
  EXPECT_EQ(readRtc(view, "s.rtc").predictorNames[1], "b");
  testing::expectError<std::runtime_error>(
      [&] { readRtc(view.substr(0, view.size() - 4), "s.rtc"); },
      "s.rtc: expected 6 values (3 data points of 2 courses), found 5");
}

TEST(RtcFileTest, OpeningFailureNamesThePath) {
  testing::MemoryFileSystem files;
  testing::expectError<OpenFileError>([&] { readRtcFile("none.rtc", files); },
                                      "Failed opening for reading: none.rtc");
}

TEST(RtcFileTest, MalformedFilesAreErrorsNamingTheFile) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"",
       "bad.rtc: not a time-course file: it begins with neither \"FileVersion:\" nor "
       "\"NrOfRTCs:\""},
      {"Hello",
       "bad.rtc: not a time-course file: it begins with neither \"FileVersion:\" nor "
       "\"NrOfRTCs:\""},
      {"FileVersion: 2\nNrOfPredictors: 1\n",
       "bad.rtc: the header ends before \"NrOfDataPoints:\" and its value"},
      {"FileVersion: 2\nNrOfDataPoints: 1\n1\n", "bad.rtc: the header has no \"NrOfPredictors:\""},
      {"FileVersion: 2\nNrOfPredictors: x\n",
       "bad.rtc: \"NrOfPredictors:\" is not followed by a number"},
      {"FileVersion: 2\nNrOfPredictors: -2\nNrOfDataPoints: 1\n",
       "bad.rtc: NrOfPredictors is negative (-2)"},
      {"NrOfRTCs: 2000000000\nNrOfDataPoints: 1\n",
       "bad.rtc: NrOfPredictors 2000000000 is above the limit of 100000"},
      {"NrOfRTCs: 1\nNrOfDataPoints: 20000000\n",
       "bad.rtc: NrOfDataPoints 20000000 is above the limit of 10000000"},
      {"NrOfRTCs: x\n", "bad.rtc: \"NrOfRTCs:\" is not followed by a number"},
      {"NrOfRTCs: 2x\n", "bad.rtc: \"NrOfRTCs:\" is followed by \"2x\", not by a whole number"},
      {"NrOfRTCs: 2\nNrOfDataPoints: 3.5\n",
       "bad.rtc: \"NrOfDataPoints:\" is followed by \"3.5\", not by a whole number"},
      {"FileVersion: 2\nNrOfPredictors: 1e3\nNrOfDataPoints: 1\n",
       "bad.rtc: \"NrOfPredictors:\" is followed by \"1e3\", not by a whole number"},
      {"NrOfRTCs: 1\n", "bad.rtc: the header ends before the number of data points"},
      {"NrOfRTCs: 1\nNrOfDataPoints: many\n", "bad.rtc: the number of data points is not a number"},
      {"NrOfRTCs: 2\nNrOfDataPoints: 2\n1 2\n3\n",
       "bad.rtc: expected 4 values (2 data points of 2 courses), found 3"},
      {"NrOfRTCs: 2\nNrOfDataPoints: 2\nno data here\n",
       "bad.rtc: expected 4 values (2 data points of 2 courses), found 0"},
      {"NrOfRTCs: 2\nNrOfDataPoints: 2\n1 2\n3 NA\n", "bad.rtc, line 4: \"NA\" is not a number"},
      {"NrOfRTCs: 2\nNrOfDataPoints: 2\n1 2\n3 \x1b[0m\n",
       "bad.rtc, line 4: \"\\x1b[0m\" is not a number"},
      {"NrOfRTCs: 1\nNrOfDataPoints: 2\n1 nan\n", "bad.rtc, line 3: \"nan\" is not a number"},
      {"NrOfRTCs: 1\nNrOfDataPoints: 2\n1 1e60\n", "bad.rtc, line 3: 1e60 is out of range"},
      {"NrOfRTCs: 1\nNrOfDataPoints: 2\n1.5.5\n", "bad.rtc, line 3: values run together"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      readRtc(c.text, "bad.rtc");
      ADD_FAILURE() << "no error";
    } catch (const std::exception& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
  }
}

TEST(RtcFileTest, TinyValuesBecomeZeroAsAStreamReadsThem) {
  const auto rtc = readRtc("NrOfRTCs: 1\nNrOfDataPoints: 2\n1e-60 -1e-400\n", "x.rtc");
  EXPECT_EQ(rtc.values[0][0], 0.0F);
  EXPECT_TRUE(std::signbit(rtc.values[0][1]));
}

TEST(RtcFileTest, TruncationAtEveryLengthReadsOrFailsNamingTheFile) {
  const std::string whole = kKeyed;
  for (std::size_t length = 0; length < whole.size(); ++length) {
    try {
      readRtc(whole.substr(0, length), "cut.rtc");
    } catch (const std::exception& error) {
      EXPECT_NE(std::string(error.what()).find("cut.rtc"), std::string::npos) << error.what();
    }
  }
}

}  // namespace
}  // namespace duv
