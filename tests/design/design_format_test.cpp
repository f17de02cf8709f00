// The seam of design files: which format a path and its text choose, reading and writing
// through it, and the refusals.

#include "design/design_format.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "design/errors.h"
#include "design/paths.h"
#include "design/sdm_reader.h"
#include "design/sdm_writer.h"
#include "tests/design/sdm_example.h"
#include "tests/support/expect_error.h"
#include "tests/support/memory_file_system.h"

namespace duv {
namespace {

using testing::expectError;
using testing::MemoryFileSystem;

const std::string kReads = " is not a file the tool reads: .sdm, .rtc, .tsv, .txt, .par or .1D";

// Nothing lies on this file system: a path whose extension settles its format is not read.
TEST(DesignFormatTest, TheExtensionAloneChoosesWhereOneFormatHasIt) {
  struct Case {
    std::string path;
    const DesignFormat* format;  // null: refused
  };
  const Case cases[] = {
      {"a.sdm", &kSdmFormat},
      {"d.x/run 1.sdm", &kSdmFormat},
      {"a.rtc", &kRtcFormat},
      {"a.tsv", &kConfoundTableFormat},
      {"dir.tsv/a.tsv", &kConfoundTableFormat},
      {"a.txt", &kMotionTextFormat},
      {"a.par", &kMotionTextFormat},
      {"a.1D", &kMotionTextFormat},
      {"a.SDM", nullptr},
      {"a.1d", nullptr},
      {"a.PAR", nullptr},
      {"a.tsv\r", nullptr},
      {"tsv", nullptr},
      {"a.sdm.bak", nullptr},
      {"a.csv", nullptr},
      {"", nullptr},
  };
  MemoryFileSystem files;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    if (c.format == nullptr) {
      expectError<std::runtime_error>([&] { designFormatOf(c.path, "the tool", files); },
                                      c.path + kReads);
      EXPECT_EQ(findDesignFormat(c.path, designFormats(), "the tool", files), nullptr);
      continue;
    }
    EXPECT_EQ(&designFormatOf(c.path, "the tool", files), c.format);
  }
  expectError<std::runtime_error>([&] { designFormatOf("x.sdmx", "a study", files); },
                                  "x.sdmx is not a file a study reads: .sdm, .rtc, .tsv, .txt, "
                                  ".par or .1D");
}

// Formats that share an extension, as designs of other packages will share ".tsv" with the
// confound tables: one told by its header, one by a sidecar beside the file, and the tables,
// which take the rest.
bool startsEvents(const std::string& path, FileSystem& files) {
  return files.readFile(path).starts_with("onset\tduration");
}

bool hasSidecar(const std::string& path, FileSystem& files) {
  try {
    files.readFile(replaceExtension(path, ".json"));
    return true;
  } catch (const OpenFileError&) {
    return false;
  }
}

ReadDesign readNothing(std::string_view, const std::string&, const ConfoundOptions&, FileSystem&) {
  return {};
}

constexpr std::string_view kTsv[] = {"tsv"};
const DesignFormat kEvents{
    .name = "events", .extensions = kTsv, .recognizes = startsEvents, .read = readNothing};
const DesignFormat kSidecarDesign{
    .name = "design table", .extensions = kTsv, .recognizes = hasSidecar, .read = readNothing};
const DesignFormat kWrittenOnly{.name = "written only", .extensions = kTsv};

TEST(DesignFormatTest, WhereFormatsShareAnExtensionTheFileChoosesInRegistrationOrder) {
  const DesignFormat* const shared[] = {&kWrittenOnly, &kEvents, &kSidecarDesign,
                                        &kConfoundTableFormat};
  struct Case {
    const char* description;
    std::string text;
    bool sidecar;
    const DesignFormat* format;
  };
  const Case cases[] = {
      {"an events header", "onset\tduration\ttrial_type\n1\t2\tface\n", false, &kEvents},
      {"an events header beats a sidecar", "onset\tduration\n", true, &kEvents},
      {"a sidecar", "task\tdrift\n1\t2\n", true, &kSidecarDesign},
      {"neither: a confound table", "onset\ttrans_x\n1\t2\n", false, &kConfoundTableFormat},
      {"an empty file", "", false, &kConfoundTableFormat},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    MemoryFileSystem files;
    files.files["d/run1.tsv"] = c.text;
    if (c.sidecar) files.files["d/run1.json"] = "{}";
    EXPECT_EQ(findDesignFormat("d/run1.tsv", shared, "the tool", files), c.format);
  }

  MemoryFileSystem files;
  files.files["t.tsv"] = "a\tb\n";
  const DesignFormat* const recognizersOnly[] = {&kEvents, &kSidecarDesign};
  expectError<std::runtime_error>(
      [&] { findDesignFormat("t.tsv", recognizersOnly, "the tool", files); },
      "t.tsv: a .tsv file of none of the formats the tool reads (events, design table)");
  files.unopenable.insert("t.tsv");
  expectError<OpenFileError>([&] { findDesignFormat("t.tsv", shared, "the tool", files); },
                             "Failed opening for reading: t.tsv");
  EXPECT_EQ(findDesignFormat("t.sdm", shared, "the tool", files), nullptr);
}

TEST(DesignFormatTest, ADesignWrittenThroughTheSeamReadsBackAsWritten) {
  MemoryFileSystem files;
  const auto original = readSdm(testing::kSdmExample, "in.sdm");
  saveDesign(original, "out/run.sdm", kSdmFormat, files);
  std::ostringstream direct;
  writeSdm(original, direct);
  EXPECT_EQ(files.contents("out/run.sdm"), direct.str());

  const auto read =
      readDesign("out/run.sdm", designFormatOf("out/run.sdm", "the tool", files), {}, files);
  const auto expected = asReadBack(original);
  EXPECT_EQ(read.matrix.fileName, "out/run.sdm");
  EXPECT_EQ(read.matrix.predictorNames, expected.predictorNames);
  EXPECT_EQ(read.matrix.values, expected.values);
  EXPECT_EQ(read.matrix.firstConfoundPredictor.value, expected.firstConfoundPredictor.value);
  EXPECT_TRUE(read.zeroedColumns.empty());

  expectError<std::invalid_argument>([&] { saveDesign(original, "a.rtc", kRtcFormat, files); },
                                     "RTC designs are not written");
  EXPECT_FALSE(files.contents("a.rtc"));
}

// Each format that reads, through the seam: the matrix's name follows keepsPath, and the
// confound options reach the confound files.
TEST(DesignFormatTest, EveryFormatReadsThroughTheSeam) {
  ConfoundOptions options;
  options.selection = {parseConfoundSelector("x_derivative1")};
  options.skipVolumes = 1;
  struct Case {
    std::string path;
    std::string text;
    std::vector<std::string> names;
    std::vector<std::vector<float>> values;
    std::vector<std::string> zeroed;
  };
  const Case cases[] = {
      {"d/a.sdm",
       "NrOfPredictors: 1\nNrOfDataPoints: 2\nIncludesConstant: 0\nFirstConfoundPredictor: 2\n\n"
       "1 2 3\n\"x\"\n1\n2\n",
       {"x"},
       {{1, 2}},
       {}},
      {"d/a.rtc", "NrOfRTCs: 1\nNrOfDataPoints: 2\n\n0.5\n-0.5\n", {"a"}, {{0.5F, -0.5F}}, {}},
      {"d/a.tsv",
       "a\tx_derivative1\n1\tn/a\n2\tn/a\n3\t4\n",
       {"x_derivative1"},
       {{0, 4}},
       {"x_derivative1"}},
      {"d/a.par", "1 2\n3 4\n5 6\n", {"a_1", "a_2"}, {{3, 5}, {4, 6}}, {}},
  };
  MemoryFileSystem files;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    files.files[c.path] = c.text;
    const auto& format = designFormatOf(c.path, "the tool", files);
    const auto read = readDesign(c.path, format, options, files);
    EXPECT_EQ(read.matrix.fileName, format.keepsPath ? c.path : convertedFileName(c.path));
    EXPECT_EQ(read.matrix.predictorNames, c.names);
    EXPECT_EQ(read.matrix.values, c.values);
    EXPECT_EQ(read.zeroedColumns, c.zeroed);
  }
}

}  // namespace
}  // namespace duv
