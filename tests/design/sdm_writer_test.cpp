#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>

#include "design/design_format.h"
#include "design/design_matrix.h"
#include "design/errors.h"
#include "design/sdm_reader.h"
#include "design/sdm_writer.h"
#include "tests/design/sdm_example.h"
#include "tests/support/expect_error.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

using testing::expectError;

const char* const kExample = testing::kSdmExample;

DesignMatrix exampleRecord() {
  DesignMatrix m;
  m.nrOfPredictors.value = 3;
  m.nrOfDataPoints.value = 2;
  m.includesConstant.value = true;
  m.firstConfoundPredictor.value = 3;
  m.colorRed = {255, 0, 255};
  m.colorGreen = {0, 255, 255};
  m.colorBlue = {0, 0, 255};
  m.predictorNames = {"Task A", "Motion X", "Constant"};
  m.values = {{1, 0}, {-0.25F, 0.5F}, {1, 1}};
  return m;
}

std::string written(const DesignMatrix& m) {
  std::ostringstream out;
  writeSdm(m, out);
  return out.str();
}

// A one-predictor, one-point matrix holding `value`, as written.
std::string writtenValue(float value, int predictors = 1) {
  DesignMatrix m;
  m.nrOfPredictors.value = predictors;
  m.nrOfDataPoints.value = 1;
  m.colorRed = m.colorGreen = m.colorBlue =
      std::vector<std::int32_t>(static_cast<std::size_t>(predictors), 0);
  m.predictorNames.assign(static_cast<std::size_t>(predictors), "p");
  m.values.assign(static_cast<std::size_t>(predictors), {value});
  const auto text = written(m);
  const auto rowStart = text.rfind('\n', text.size() - 2) + 1;
  return text.substr(rowStart);
}

TEST(SdmWriterTest, WritesTheExampleFileExactly) { EXPECT_EQ(written(exampleRecord()), kExample); }

TEST(SdmWriterTest, DefaultMatrixWritesTheHeaderAtColumn24AndEmptyLines) {
  EXPECT_EQ(written(DesignMatrix()),
            "FileVersion:            1\n\nNrOfPredictors:         0\n"
            "NrOfDataPoints:         0\nIncludesConstant:       0\n"
            "FirstConfoundPredictor: 0\n\n\n\n");
}

TEST(SdmWriterTest, AbsentEntriesAreLeftOutWithTheirLineBreaks) {
  auto m = exampleRecord();
  m.fileVersion.present = false;
  m.includesConstant.present = false;
  const auto text = written(m);
  EXPECT_EQ(text.substr(0, 79),
            "NrOfPredictors:         3\nNrOfDataPoints:         2\nFirstConfoundPredictor: 3\n\n");
}

TEST(SdmWriterTest, KeepsTheWidthItWasReadWith) {
  const auto m = readSdm(
      "NrOfPredictors:          1\nNrOfDataPoints:\t1\nFirstConfoundPredictor:\n1\n\"a\"\n 1.0\n",
      "x.sdm");
  const auto text = written(m);
  EXPECT_NE(text.find("NrOfPredictors:          1\n"), std::string::npos);
  EXPECT_NE(text.find("NrOfDataPoints: 1\n"), std::string::npos);  // tab became one blank
  // A value that stood on the next line is written after one blank, where a reader finds it.
  EXPECT_NE(text.find("FirstConfoundPredictor: 1\n\n"), std::string::npos);
  EXPECT_EQ(readSdm(text, "y.sdm").firstConfoundPredictor.value, 1);
}

TEST(SdmWriterTest, ValueSpacingAndNotation) {
  struct Case {
    float value;
    const char* first;   // in the first column
    const char* second;  // in a later column
  };
  const Case cases[] = {
      {1.0F, "  1.000000", "   1.000000"},
      {-0.25F, " -0.250000", "  -0.250000"},
      {-0.0F, "  -0.000000", "   -0.000000"},
      {-0.0000004F, " -0.000000", "  -0.000000"},
      {0.0000005F, "  0.000000", "   0.000000"},
      {123.5F, "  123.500000", "   123.500000"},
      {NAN, " nan", "  nan"},
      {-NAN, " -nan", "  -nan"},
      {INFINITY, "  inf", "   inf"},
      {-INFINITY, " -inf", "  -inf"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(writtenValue(c.value), std::string(c.first) + "\n");
    const auto two = writtenValue(c.value, 2);
    EXPECT_EQ(two, std::string(c.first) + c.second + "\n");
  }
}

TEST(SdmWriterTest, NoPredictorsWriteEmptyRows) {
  DesignMatrix m;
  m.nrOfDataPoints.value = 2;
  m.firstConfoundPredictor.value = 1;
  const auto text = written(m);
  EXPECT_EQ(text,
            "FileVersion:            1\n\nNrOfPredictors:         0\n"
            "NrOfDataPoints:         2\nIncludesConstant:       0\n"
            "FirstConfoundPredictor: 1\n\n\n\n\n\n");
  EXPECT_EQ(readSdm(text, "x").nrOfDataPoints.value, 2);
}

TEST(SdmWriterTest, WrittenMatricesReadBackEqualWithinTheFormat) {
  std::mt19937 generator(12345);
  std::uniform_real_distribution<float> within(-9.999999F, 99.999999F);
  std::uniform_int_distribution<int> size(1, 12);
  for (int round = 0; round < 200; ++round) {
    DesignMatrix m;
    const int predictors = size(generator);
    const int points = size(generator);
    m.nrOfPredictors.value = predictors;
    m.nrOfDataPoints.value = points;
    m.firstConfoundPredictor.value = 1 + predictors / 2;
    for (int p = 0; p < predictors; ++p) {
      m.colorRed.push_back(p);
      m.colorGreen.push_back(2 * p);
      m.colorBlue.push_back(255);
      m.predictorNames.push_back("pred " + std::to_string(p));
      std::vector<float> column;
      for (int t = 0; t < points; ++t) column.push_back(within(generator));
      m.values.push_back(column);
    }
    const auto text = written(m);
    const auto back = readSdm(text, "x");
    ASSERT_EQ(back.predictorNames, m.predictorNames);
    ASSERT_EQ(back.colorGreen, m.colorGreen);
    ASSERT_EQ(back.firstConfoundPredictor.value, m.firstConfoundPredictor.value);
    for (std::size_t p = 0; p < m.values.size(); ++p) {
      for (std::size_t t = 0; t < m.values[p].size(); ++t) {
        char sixDecimals[64];
        std::snprintf(sixDecimals, sizeof sixDecimals, "%.6f", static_cast<double>(m.values[p][t]));
        ASSERT_EQ(back.values[p][t], std::stof(sixDecimals)) << text;
      }
    }
    ASSERT_EQ(written(back), text);
  }
}

// asReadBack gives what reading the written text gives, without the text: every value
// exactly, and the confound boundary lowered where the reader lowers it.
TEST(SdmWriterTest, AsReadBackIsTheMatrixReadFromItsWrittenText) {
  std::mt19937 generator(2024);
  std::uniform_real_distribution<float> wide(-2000.0F, 2000.0F);
  std::uniform_int_distribution<int> exponent(-30, 6);
  std::uniform_int_distribution<int> size(1, 9);
  for (int round = 0; round < 300; ++round) {
    DesignMatrix m;
    const int predictors = size(generator);
    const int points = size(generator);
    m.nrOfPredictors.value = predictors;
    m.nrOfDataPoints.value = points;
    // Past the end (a constant removed from a design without confounds) now and then.
    m.firstConfoundPredictor.value = 1 + (round % 3 == 0 ? predictors + 1 : predictors / 2);
    m.colorRed = m.colorGreen = m.colorBlue =
        std::vector<std::int32_t>(static_cast<std::size_t>(predictors), 7);
    m.predictorNames.assign(static_cast<std::size_t>(predictors), "p");
    for (int p = 0; p < predictors; ++p) {
      std::vector<float> column;
      for (int t = 0; t < points; ++t) {
        // Values at every scale, ties of the sixth decimal among them (x.5e-6 in binary).
        const float scale = std::ldexp(1.0F, exponent(generator));
        column.push_back(t % 4 == 3 ? 0.0000025F * static_cast<float>(t) : wide(generator) * scale);
      }
      m.values.push_back(column);
    }
    const auto back = readSdm(written(m), "x");
    const auto asRead = asReadBack(m);
    ASSERT_EQ(asRead.firstConfoundPredictor.value, back.firstConfoundPredictor.value);
    for (std::size_t p = 0; p < m.values.size(); ++p) {
      for (std::size_t t = 0; t < m.values[p].size(); ++t) {
        ASSERT_EQ(std::bit_cast<std::uint32_t>(asRead.values[p][t]),
                  std::bit_cast<std::uint32_t>(back.values[p][t]))
            << m.values[p][t];
      }
    }
  }
  DesignMatrix notNumbers = exampleRecord();
  notNumbers.values[1] = {std::nanf(""), -INFINITY};
  const auto kept = asReadBack(notNumbers);
  EXPECT_TRUE(std::isnan(kept.values[1][0]));
  EXPECT_EQ(kept.values[1][1], -INFINITY);
}

TEST(SdmSaveTest, SavesThroughTheFileInterface) {
  testing::MemoryFileSystem files;
  auto m = exampleRecord();
  saveDesign(m, "out.sdm", kSdmFormat, files);
  EXPECT_EQ(files.contents("out.sdm"), kExample);
}

TEST(SdmSaveTest, FailuresNameTheTargetAndCommitNothing) {
  testing::MemoryFileSystem files;
  auto m = exampleRecord();
  files.uncreatable.insert("a.sdm");
  expectError<std::runtime_error>([&] { saveDesign(m, "a.sdm", kSdmFormat, files); },
                                  "Cannot Create file: a.sdm");
  files.writeLimit["b.sdm"] = 50;
  expectError<IOError>([&] { saveDesign(m, "b.sdm", kSdmFormat, files); },
                       "Failed writing file: b.sdm");
  files.uncommittable.insert("c.sdm");
  expectError<IOError>([&] { saveDesign(m, "c.sdm", kSdmFormat, files); },
                       "Failed writing file: c.sdm");
  EXPECT_TRUE(files.files.empty());
}

TEST(SdmSaveTest, MissingFolderCannotBeCreated) {
  testing::TempDir dir;
  const auto path = dir.file("missing/run.sdm");
  auto m = exampleRecord();
  expectError<std::runtime_error>([&] { saveDesign(m, path, kSdmFormat); },
                                  "Cannot Create file: " + path);
}

TEST(SdmSaveTest, ReplacesAnExistingFileKeepingItsPermissions) {
  namespace fs = std::filesystem;
  testing::TempDir dir;
  const auto path = dir.file("run.sdm");
  testing::writeText(path, "old contents that are longer than nothing");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  auto m = exampleRecord();
  saveDesign(m, path, kSdmFormat);
  EXPECT_EQ(testing::readText(path), kExample);
  EXPECT_EQ(fs::status(path).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(SdmSaveTest, ASymbolicLinkIsRefusedAndKept) {
  namespace fs = std::filesystem;
  testing::TempDir dir;
  testing::writeText(dir.file("real.sdm"), "old");
  fs::create_symlink("real.sdm", dir.path() / "link.sdm");
  auto m = exampleRecord();
  expectError<std::runtime_error>([&] { saveDesign(m, dir.file("link.sdm"), kSdmFormat); },
                                  "Cannot Create file: " + dir.file("link.sdm") +
                                      " (a symbolic link: links are not written through)");
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link.sdm"));
  EXPECT_EQ(testing::readText(dir.file("real.sdm")), "old");
}

TEST(SdmSaveTest, AFolderOrADeviceIsAnError) {
  testing::TempDir dir;
  auto m = exampleRecord();
  expectError<std::runtime_error>([&] { saveDesign(m, dir.path().string(), kSdmFormat); },
                                  "Cannot Create file: " + dir.path().string());
  if (std::filesystem::exists("/dev/full")) {
    expectError<std::runtime_error>(
        [&] { saveDesign(m, "/dev/full", kSdmFormat); },
        "Cannot Create file: /dev/full (a device: only regular files are written)");
  }
}

}  // namespace
}  // namespace duv
