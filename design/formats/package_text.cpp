#include <charconv>
#include <ostream>
#include <stdexcept>
#include <string>

#include "design/design_format.h"
#include "design/export_formats.h"
#include "design/package_format.h"
#include "design/tsv_design.h"

namespace duv {
namespace {

// The confounds' rows, values separated by one blank, handed to the stream row by row.
void writeConfoundRows(const DesignMatrix& design, const std::vector<std::size_t>& confounds,
                       std::string_view rowStart, std::ostream& out) {
  std::string row;
  const auto points = static_cast<std::size_t>(std::max(design.nrOfDataPoints.value, 0));
  for (std::size_t t = 0; t < points; ++t) {
    row.assign(rowStart);
    for (std::size_t i = 0; i < confounds.size(); ++i) {
      if (i != 0) row += ' ';
      char buffer[32];
      const auto result =
          std::to_chars(buffer, buffer + sizeof buffer, design.values[confounds[i]][t]);
      row.append(buffer, result.ptr);
    }
    row += '\n';
    out << row;
  }
}

void writeFsl(const DesignMatrix& design, std::ostream& out) {
  writeConfoundRows(design, designColumnsOf(design).confounds, "", out);
}

// A label the header's quotes and separators cannot hold would shift every label after it.
void requireAfniLabel(const std::string& name) {
  if (name.find_first_of("\";\r\n") == std::string::npos) return;
  throw std::runtime_error("the predictor name \"" + name +
                           "\" holds a double quote, a semicolon or a line break, which an AFNI "
                           "column label cannot");
}

void writeAfni(const DesignMatrix& design, std::ostream& out) {
  const auto confounds = designColumnsOf(design).confounds;
  std::string labels;
  for (std::size_t i = 0; i < confounds.size(); ++i) {
    const auto& name = design.predictorNames[confounds[i]];
    requireAfniLabel(name);
    if (i != 0) labels += package_format::kAfniLabelSeparator;
    labels += name;
  }
  out << "# <matrix\n#  ni_type = \"" << confounds.size() << "*double\"\n#  ni_dimen = \""
      << design.nrOfDataPoints.value << "\"\n#  ColumnLabels = \"" << labels << "\"\n# >\n";
  writeConfoundRows(design, confounds, " ", out);
  out << "# </matrix>\n";
}

}  // namespace

const DesignFormat kFslFormat{
    .name = "FSL confounds",
    .extensions = package_format::kFslExtensions,
    .write = writeFsl,
    .suffix = package_format::kFslSuffix,
};

const DesignFormat kAfniFormat{
    .name = "AFNI 1D",
    .extensions = package_format::kAfniExtensions,
    .write = writeAfni,
    .suffix = package_format::kAfniSuffix,
};

}  // namespace duv
