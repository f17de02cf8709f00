// TSV designs with their sidecar: written, read back exactly, and refused when damaged.

#include "design/tsv_design.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "design/design_format.h"
#include "tests/support/design_builder.h"
#include "tests/support/expect_error.h"
#include "tests/support/memory_file_system.h"

namespace duv {
namespace {

using testing::expectError;
using testing::makeMatrix;
using testing::MemoryFileSystem;
using testing::Predictor;
using testing::predictorsOf;

std::string tsvOf(const DesignMatrix& design) {
  std::ostringstream out;
  writeTsvDesign(design, out);
  return out.str();
}

std::string sidecarOf(const DesignMatrix& design) {
  std::ostringstream out;
  writeTsvSidecar(design, out);
  return out.str();
}

DesignMatrix withConstant(DesignMatrix m) {
  m.includesConstant.value = true;
  return m;
}

// Each design writes and reads back as it was: the same floats, names, colours and split (the
// constant, written last, reads back as a confound).
TEST(TsvDesignTest, EveryDesignReadsBackExactly) {
  const float smallest = std::numeric_limits<float>::denorm_min();
  struct Case {
    const char* description;
    DesignMatrix design;
    std::int32_t firstConfound;  // as read back
  };
  const Case cases[] = {
      {"task, confounds and constant",
       withConstant(
           makeMatrix("a.sdm", 3, 2,
                      {{"faces", {0, 1, 0}, 255, 0, 0},
                       {"rot_x_power2", {1.2226748e-07F, 4.875681e-09F, smallest}, 1, 2, 3},
                       {"Constant", {1, 1, 1}, 255, 255, 255}})),
       2},
      {"no constant",
       makeMatrix("a.sdm", 2, 2, {{"a", {0.1F, -0.25F}}, {"b", {1e30F, -3.4028235e38F}}}), 2},
      {"confounds alone", makeMatrix("a.sdm", 1, 1, {{"x y", {-0.0F}}}), 1},
      {"task alone", makeMatrix("a.sdm", 2, 3, {{"a", {1, 2}}, {"b", {3, 4}}}), 3},
      {"a constant that is not flagged stays a confound",
       makeMatrix("a.sdm", 2, 1, {{"one", {1, 1}}}), 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    const auto read = readTsvDesign(tsvOf(c.design), "d/a.tsv", sidecarOf(c.design), "d/a.json");
    EXPECT_EQ(predictorsOf(read), predictorsOf(c.design));
    EXPECT_EQ(read.fileName, "d/a.sdm");
    EXPECT_EQ(read.firstConfoundPredictor.value, c.firstConfound);
    EXPECT_EQ(read.includesConstant.value, c.design.includesConstant.value);
    EXPECT_EQ(read.nrOfDataPoints.value, c.design.nrOfDataPoints.value);
  }
}

// The shortest text of any finite float reads back as that float through the table reader.
TEST(TsvDesignTest, RandomFloatsReadBackBitForBit) {
  std::mt19937 random(7);
  std::vector<float> values;
  while (values.size() < 20000) {
    const auto value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    if (std::isfinite(value)) values.push_back(value);
  }
  const auto design = makeMatrix("r.sdm", 20000, 1, {{"x", values}});
  const auto read = readTsvDesign(tsvOf(design), "r.tsv", sidecarOf(design), "r.json");
  for (std::size_t t = 0; t < values.size(); ++t) {
    ASSERT_EQ(std::bit_cast<std::uint32_t>(read.values[0][t]),
              std::bit_cast<std::uint32_t>(values[t]))
        << values[t];
  }
}

// One damage per case to a valid pair; the exact error, and nothing read.
TEST(TsvDesignTest, DamagedFilesAreRefusedWithTheirReason) {
  const std::string tsv = "faces\ttrans_x\tConstant\n1\t0.5\t1\n0\t-0.5\t1\n";
  const std::string sidecar =
      "{\"DataPoints\": 2, \"TaskColumns\": [\"faces\"], \"ConfoundColumns\": [\"trans_x\"], "
      "\"ConstantColumn\": \"Constant\"}";
  const auto replaced = [](std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
  };
  struct Case {
    std::string tsv;
    std::string sidecar;
    std::string message;
  };
  const Case cases[] = {
      {tsv, replaced(sidecar, "[\"trans_x\"]", "[]"),
       "d/a.json does not match d/a.tsv: it names 2 columns, the header 3"},
      {tsv, replaced(sidecar, "[\"trans_x\"]", "[\"trans_x\", \"trans_y\"]"),
       "d/a.json does not match d/a.tsv: it names 4 columns, the header 3"},
      {tsv, replaced(sidecar, "\"trans_x\"", "\"trans_y\""),
       "d/a.json does not match d/a.tsv: column 2 is \"trans_x\" in the header but \"trans_y\" in "
       "the sidecar"},
      {tsv, replaced(sidecar, "\"Constant\"}", "null}"),
       "d/a.json does not match d/a.tsv: it names 2 columns, the header 3"},
      {tsv, replaced(sidecar, "2,", "3,"),
       "d/a.json does not match d/a.tsv: it says 3 data points, the file has 2 rows"},
      {replaced(tsv, "0\t-0.5\t1\n", "0\t-0.5\n"), sidecar,
       "d/a.tsv, line 3: expected 3 values, found 2"},
      {replaced(tsv, "-0.5", "n/a"), sidecar, "d/a.tsv, line 3, column trans_x: n/a"},
      {tsv, "{\"DataPoints\": 2", "d/a.json: not JSON ("},
      {tsv, "[]", "d/a.json: not a JSON object"},
      {tsv, replaced(sidecar, "\"TaskColumns\"", "\"Tasks\""),
       "d/a.json: \"TaskColumns\" must be an array of column names"},
      {tsv, replaced(sidecar, "[\"faces\"]", "[1]"),
       "d/a.json: \"TaskColumns\" must be an array of column names"},
      {tsv, replaced(sidecar, "2,", "-2,"),
       "d/a.json: \"DataPoints\" must be a number of data points"},
      {tsv, replaced(sidecar, "\"Constant\"}", "3}"),
       "d/a.json: \"ConstantColumn\" must be a column name or null"},
      {tsv, replaced(sidecar, "}", ", \"Colors\": [[1, 2, 3]]}"),
       "d/a.json: \"Colors\" must hold one [red, green, blue] of 0 to 255 per column"},
      {tsv, replaced(sidecar, "}", ", \"Colors\": [[1, 2, 3], [1, 2, 3], [1, 2, 256]]}"),
       "d/a.json: \"Colors\" must hold one [red, green, blue] of 0 to 255 per column"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    try {
      readTsvDesign(c.tsv, "d/a.tsv", c.sidecar, "d/a.json");
      ADD_FAILURE() << "no error";
    } catch (const std::exception& error) {
      EXPECT_EQ(std::string(error.what()).substr(0, c.message.size()), c.message);
    }
  }
}

TEST(TsvDesignTest, NamesNoTsvOrJsonCanHoldAreRefusedBeforeWriting) {
  const auto tab = makeMatrix("a.sdm", 1, 1, {{"a\tb", {1}}});
  expectError<std::runtime_error>(
      [&] { tsvOf(tab); },
      "the predictor name \"a\tb\" holds a tab or a line break, which a TSV header cannot");
  const auto latin1 = makeMatrix("a.sdm", 1, 1, {{"caf\xe9", {1}}});
  expectError<std::runtime_error>(
      [&] { sidecarOf(latin1); },
      "the predictor name \"caf\xe9\" is not UTF-8 text, which a JSON sidecar cannot hold");
}

// Where a design is expected: the sidecar, else the task columns given, else how to mark them;
// any other extension is an SDM file. Beside it, the seam takes a TSV with a sidecar for a
// design and one without for a confound table.
TEST(TsvDesignTest, ADesignIsExpectedWithItsTaskColumnsMarked) {
  MemoryFileSystem files;
  const auto design = withConstant(
      makeMatrix("a.sdm", 2, 2, {{"faces", {0, 1}}, {"drift", {3, 4}}, {"Constant", {1, 1}}}));
  files.files["d/marked.tsv"] = tsvOf(design);
  files.files["d/marked.json"] = sidecarOf(design);
  files.files["d/plain.tsv"] = "drift\tfaces\thouses\tmean\n3\t0\t1\t2\n4\t1\t0\t2\n";

  EXPECT_EQ(predictorsOf(readTaskDesignFile("d/marked.tsv", {"ignored"}, files)),
            predictorsOf(design));
  EXPECT_EQ(&designFormatOf("d/marked.tsv", "the tool", files), &kTsvDesignFormat);
  EXPECT_EQ(&designFormatOf("d/plain.tsv", "the tool", files), &kConfoundTableFormat);

  expectError<std::runtime_error>(
      [&] { readTaskDesignFile("d/plain.tsv", {}, files); },
      "d/plain.tsv: a TSV design needs its task columns marked: a sidecar d/plain.json beside "
      "it, as --export tsv writes, or --task-columns NAME,...");
  const auto plain = readTaskDesignFile("d/plain.tsv", {"houses", "faces"}, files);
  EXPECT_EQ(plain.predictorNames, (std::vector<std::string>{"faces", "houses", "drift", "mean"}));
  EXPECT_EQ(plain.firstConfoundPredictor.value, 3);
  EXPECT_TRUE(plain.includesConstant.value);
  EXPECT_EQ(plain.values[3], (std::vector<float>{2, 2}));
  EXPECT_EQ(plain.fileName, "d/plain.sdm");
  expectError<std::runtime_error>([&] { readTaskDesignFile("d/plain.tsv", {"face"}, files); },
                                  "d/plain.tsv: no column face (--task-columns)");

  files.files["d/x.dat"] = "not an SDM";
  EXPECT_THROW(readTaskDesignFile("d/x.dat", {}, files), std::exception);
  EXPECT_EQ(taskDesignNameOf("d/plain.tsv"), "d/plain.sdm");
  EXPECT_EQ(taskDesignNameOf("d/x.dat"), "d/x.dat");
}

}  // namespace
}  // namespace duv
