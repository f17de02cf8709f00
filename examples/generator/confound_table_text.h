#pragma once

// The confound tables of the example generator in the layout preprocessing pipelines write
// (design/confound_table_format.h): their columns, the text of a table, and the signals and
// displacement the study generator shares with the table generator.

#include <cstddef>
#include <string>
#include <vector>

#include "examples/generator/study_generator.h"

namespace duv::examples {

// One column of a confound table: its values, or nothing where a row has none.
struct TableColumn {
  std::string name;
  std::vector<double> values;
  std::size_t missing = 0;  // leading rows without a value
};

// A slow wave around `level` with noise.
std::vector<double> signal(double level, double amplitude, std::size_t points, Random& random);

// The table as a pipeline writes it: a header line of names, then one row per data point.
std::string tableText(const std::vector<TableColumn>& table, std::size_t points);

// Framewise displacement of six parameters (three translations in mm, three rotations in
// radians): rotations as arcs on a sphere of 50 mm.
std::vector<double> displacementOf(const std::vector<std::vector<double>>& motion);

}  // namespace duv::examples
