#include "design/confound_selection.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "design/confound_table.h"
#include "tests/support/expect_error.h"

namespace duv {
namespace {

using testing::expectError;

// A table in the pipeline's layout; only its names matter here.
ConfoundTable pipelineTable() {
  ConfoundTable table;
  table.fileName = "sub01_desc-confounds_timeseries.tsv";
  table.names = {"global_signal",
                 "global_signal_derivative1",
                 "csf",
                 "csf_power2",
                 "white_matter",
                 "dvars",
                 "framewise_displacement",
                 "t_comp_cor_00",
                 "a_comp_cor_00",
                 "a_comp_cor_01",
                 "a_comp_cor_02",
                 "cosine00",
                 "cosine01",
                 "non_steady_state_outlier00"};
  for (const char* base : {"trans_x", "trans_y", "trans_z", "rot_x", "rot_y", "rot_z"}) {
    const std::string name = base;
    for (const char* suffix : {"", "_derivative1", "_derivative1_power2", "_power2"}) {
      table.names.push_back(name + suffix);
    }
  }
  table.names.push_back("motion_outlier00");
  table.names.push_back("motion_outlier01");
  return table;
}

std::vector<ConfoundSelector> selectors(const std::vector<std::string>& texts) {
  std::vector<ConfoundSelector> parsed;
  for (const auto& text : texts) parsed.push_back(parseConfoundSelector(text));
  return parsed;
}

std::vector<std::string> selected(const ConfoundTable& table,
                                  const std::vector<std::string>& texts) {
  std::vector<std::string> names;
  for (const auto c : selectConfounds(table, selectors(texts))) names.push_back(table.names[c]);
  return names;
}

std::vector<std::string> motion(const std::vector<std::string>& suffixes) {
  std::vector<std::string> names;
  for (const char* base : {"trans_x", "trans_y", "trans_z", "rot_x", "rot_y", "rot_z"}) {
    for (const auto& suffix : suffixes) names.push_back(base + suffix);
  }
  return names;
}

TEST(ConfoundSelectionTest, EachPresetTakesItsColumnsInTableOrder) {
  const auto table = pipelineTable();
  struct Case {
    std::string selector;
    std::vector<std::string> columns;
  };
  const Case cases[] = {
      {"motion6", motion({""})},
      {"motion12", motion({"", "_derivative1"})},
      {"motion24", motion({"", "_derivative1", "_derivative1_power2", "_power2"})},
      {"wm_csf", {"csf", "white_matter"}},
      {"global", {"global_signal"}},
      {"acompcor:2", {"a_comp_cor_00", "a_comp_cor_01"}},
      {"acompcor:3", {"a_comp_cor_00", "a_comp_cor_01", "a_comp_cor_02"}},
      {"cosine", {"cosine00", "cosine01"}},
      {"outliers", {"non_steady_state_outlier00", "motion_outlier00", "motion_outlier01"}},
      {"csf", {"csf"}},
      {"*comp_cor_0*", {"t_comp_cor_00", "a_comp_cor_00", "a_comp_cor_01", "a_comp_cor_02"}},
      {"rot_x*2", {"rot_x_derivative1_power2", "rot_x_power2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.selector);
    EXPECT_EQ(selected(table, {c.selector}), c.columns);
  }
}

TEST(ConfoundSelectionTest, SelectorsKeepTheirOrderAndAColumnIsTakenOnceAtItsFirstPlace) {
  const auto table = pipelineTable();
  EXPECT_EQ(selected(table, {"csf", "wm_csf", "global", "motion6", "rot_z*"}),
            (std::vector<std::string>{"csf", "white_matter", "global_signal", "trans_x", "trans_y",
                                      "trans_z", "rot_x", "rot_y", "rot_z", "rot_z_derivative1",
                                      "rot_z_derivative1_power2", "rot_z_power2"}));
  auto sixThenDerivatives = motion({""});
  for (const auto& name : motion({"_derivative1"})) sixThenDerivatives.push_back(name);
  EXPECT_EQ(selected(table, {"motion6", "motion12"}), sixThenDerivatives);
  EXPECT_EQ(selected(table, {"acompcor:1", "acompcor:3"}),
            (std::vector<std::string>{"a_comp_cor_00", "a_comp_cor_01", "a_comp_cor_02"}));
}

TEST(ConfoundSelectionTest, SetsThatMayBeEmptyChooseNothingWithoutError) {
  ConfoundTable table;
  table.fileName = "t.tsv";
  table.names = {"csf", "white_matter"};
  EXPECT_TRUE(selected(table, {"outliers", "cosine"}).empty());
  EXPECT_EQ(selected(table, {"outliers", "wm_csf"}),
            (std::vector<std::string>{"csf", "white_matter"}));
}

TEST(ConfoundSelectionTest, WhatIsAskedForAndMissingIsAnErrorNamingTheFile) {
  ConfoundTable table;
  table.fileName = "d/t.tsv";
  table.names = {"trans_x", "trans_y", "trans_z",       "rot_x",        "rot_y",
                 "rot_z",   "csf",     "a_comp_cor_00", "a_comp_cor_01"};
  struct Case {
    std::vector<std::string> selectors;
    std::string message;
  };
  const Case cases[] = {
      {{},
       "d/t.tsv: choose the confounds to take from this table with --confounds: presets motion6, "
       "motion12, motion24, wm_csf, global, acompcor:N, cosine, outliers, or column names (* for "
       "any text); its columns: trans_x, trans_y, trans_z, rot_x, rot_y, rot_z, csf, "
       "a_comp_cor_00, a_comp_cor_01"},
      {{"motion6", "motion12"},
       "d/t.tsv: motion12 needs columns the table does not have: trans_x_derivative1, "
       "trans_y_derivative1, trans_z_derivative1, rot_x_derivative1, rot_y_derivative1, "
       "rot_z_derivative1"},
      {{"wm_csf"}, "d/t.tsv: wm_csf needs columns the table does not have: white_matter"},
      {{"global"}, "d/t.tsv: global needs columns the table does not have: global_signal"},
      {{"acompcor:3"}, "d/t.tsv: acompcor:3 asks for 3 \"a_comp_cor_\" columns, the table has 2"},
      {{"CSF"},
       "d/t.tsv: --confounds \"CSF\" is neither a preset nor a column; close presets: none; "
       "close columns: csf"},
      {{"t_comp_cor_*"},
       "d/t.tsv: --confounds \"t_comp_cor_*\" is neither a preset nor a column; close presets: "
       "none; close columns: a_comp_cor_00, a_comp_cor_01"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    expectError<std::runtime_error>([&] { selected(table, c.selectors); }, c.message);
  }
}

// A typo names what is close to it, never the whole list of a pipeline's columns.
TEST(ConfoundSelectionTest, ASelectionNeitherPresetNorColumnNamesTheCloseOnes) {
  const auto table = pipelineTable();
  struct Case {
    const char* text;
    const char* presets;
    const char* columns;
  };
  const Case cases[] = {
      {"motion36", "motion6, motion12, motion24", "none"},
      {"Motion6x", "motion6, motion12, motion24", "none"},
      {"acompcor5", "acompcor", "none"},
      {"globl", "global", "none"},
      {"outlier", "outliers", "none"},
      {"trans_x_deriv", "none", "trans_x_derivative1, trans_x_derivative1_power2"},
      {"a_comp_cor_0", "none", "a_comp_cor_00, a_comp_cor_01, a_comp_cor_02, t_comp_cor_00"},
      // At most five, nearest first; names beginning with the text count from three letters.
      {"trans", "none", "trans_x, trans_y, trans_z, trans_x_power2, trans_y_power2"},
      {"Trans_X", "none", "trans_x, trans_y, trans_z, trans_x_power2, trans_x_derivative1"},
      {"wm", "none", "none"},
      {"x", "none", "none"},
      {"white_matter_*", "none", "white_matter"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    expectError<UnknownSelectionError>(
        [&] {
          selected(table, {"motion6", c.text});
        },
        std::string("sub01_desc-confounds_timeseries.tsv: --confounds \"") + c.text +
            "\" is neither a preset nor a column; close presets: " + c.presets +
            "; close columns: " + c.columns);
    expectError<UnknownSelectionError>(
        [&] {
          requireKnownSelections(table.names, table.fileName, selectors({"csf", c.text}));
        },
        std::string("sub01_desc-confounds_timeseries.tsv: --confounds \"") + c.text +
            "\" is neither a preset nor a column; close presets: " + c.presets +
            "; close columns: " + c.columns);
  }
  EXPECT_NO_THROW(requireKnownSelections(table.names, table.fileName,
                                         selectors({"motion24", "csf", "cosine*", "wm_csf"})));
}

TEST(ConfoundSelectionTest, SelectorsAreParsedStrictly) {
  EXPECT_EQ(parseConfoundSelector("acompcor:12").count, 12U);
  EXPECT_EQ(parseConfoundSelector("acompcor:12").kind, ConfoundSelector::Kind::aCompCor);
  EXPECT_EQ(parseConfoundSelector("motion24").kind, ConfoundSelector::Kind::motion24);
  EXPECT_EQ(parseConfoundSelector("Motion24").kind, ConfoundSelector::Kind::name);
  EXPECT_EQ(parseConfoundSelector("acompcor_x").kind, ConfoundSelector::Kind::name);
  for (const char* text : {"acompcor", "acompcor:", "acompcor:0", "acompcor:-1", "acompcor:+2",
                           "acompcor:2x", "acompcor:99999999999999999999999"}) {
    expectError<std::invalid_argument>(
        [&] { parseConfoundSelector(text); },
        "\"" + std::string(text) + "\": acompcor needs a count from 1, as in acompcor:5");
  }
  expectError<std::invalid_argument>([] { parseConfoundSelector(""); },
                                     "an empty confound selection");
}

TEST(ConfoundSelectionTest, PatternsMatchWholeNamesWithStarsForAnyText) {
  struct Case {
    const char* name;
    const char* pattern;
    bool matches;
  };
  const Case cases[] = {
      {"csf", "csf", true},
      {"csf_power2", "csf", false},
      {"csf", "csf*", true},
      {"csf_power2", "csf*", true},
      {"a_comp_cor_01", "*_01", true},
      {"a_comp_cor_01", "*_0", false},
      {"abcabd", "*abd", true},
      {"abcabd", "a*b*d", true},
      {"abc", "a**c", true},
      {"", "*", true},
      {"", "", true},
      {"a", "", false},
      {"trans_x_derivative1_power2", "trans_*_power2", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(matchesPattern(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
  }
}

}  // namespace
}  // namespace duv
