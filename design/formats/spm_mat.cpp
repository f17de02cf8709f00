#include <matio.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <memory>
#include <ostream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "design/design_format.h"
#include "design/export_formats.h"
#include "design/package_format.h"
#include "design/temporary_files.h"
#include "design/tsv_design.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

struct VariableFree {
  void operator()(matvar_t* variable) const { Mat_VarFree(variable); }
};
using Variable = std::unique_ptr<matvar_t, VariableFree>;

std::runtime_error matFailure(const std::string& what) {
  return std::runtime_error("the MAT-file library failed " + what);
}

// The library writes only to a named file: it writes one in the system's temporary folder,
// which the save then copies through the stream, so that the result is put in place as every
// other output is (whole, or not at all). The scratch file is one an interrupted program
// removes.
class ScratchFile {
 public:
  ScratchFile() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::ostringstream name;
    name << "duvendal-" << std::hex << std::setw(16) << std::setfill('0') << generator() << ".mat";
    path_ = (fs::temp_directory_path() / name.str()).string();
  }
  ~ScratchFile() {
    if (mat_ != nullptr) closeTemporaryFile(path_, [this] { Mat_Close(mat_); });
    if (!created_) return;
    retireTemporaryFile(path_, [this] {
      std::error_code error;
      fs::remove(fs::path(path_), error);
      return !error;
    });
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  mat_t* create() {
    createTemporaryFile(path_, [this] {
      mat_ = Mat_CreateVer(path_.c_str(), nullptr, MAT_FT_MAT5);
      created_ = mat_ != nullptr;
      return created_;
    });
    if (mat_ == nullptr) throw matFailure("to create " + path_);
    return mat_;
  }

  void close() {
    int result = 0;
    closeTemporaryFile(path_, [this, &result] { result = Mat_Close(mat_); });
    mat_ = nullptr;
    if (result != 0) throw matFailure("to close " + path_);
  }

  void copyTo(std::ostream& out) const {
    std::ifstream in(fs::path(path_), std::ios::binary);
    out << in.rdbuf();
    if (!in) throw matFailure("to read back " + path_);
  }

 private:
  std::string path_;
  mat_t* mat_ = nullptr;
  bool created_ = false;
};

void write(mat_t* mat, matvar_t* variable, const char* name) {
  if (variable == nullptr) throw matFailure(std::string("to make ") + name);
  if (Mat_VarWrite(mat, variable, MAT_COMPRESSION_NONE) != 0) {
    throw matFailure(std::string("to write ") + name);
  }
}

void writeRegressors(mat_t* mat, const DesignMatrix& design,
                     const std::vector<std::size_t>& confounds) {
  const auto points = static_cast<std::size_t>(std::max(design.nrOfDataPoints.value, 0));
  // Column-major: each confound's data points in a run.
  std::vector<double> values;
  values.reserve(points * confounds.size());
  for (const auto p : confounds) {
    for (std::size_t t = 0; t < points; ++t) values.push_back(design.values[p][t]);
  }
  std::size_t dims[2] = {points, confounds.size()};
  const Variable regressors(Mat_VarCreate(package_format::kSpmRegressors, MAT_C_DOUBLE,
                                          MAT_T_DOUBLE, 2, dims, values.data(),
                                          MAT_F_DONT_COPY_DATA));
  write(mat, regressors.get(), package_format::kSpmRegressors);
}

void writeNames(mat_t* mat, const DesignMatrix& design, const std::vector<std::size_t>& confounds) {
  std::size_t dims[2] = {1, confounds.size()};
  const Variable names(
      Mat_VarCreate(package_format::kSpmNames, MAT_C_CELL, MAT_T_CELL, 2, dims, nullptr, 0));
  if (names == nullptr) throw matFailure(std::string("to make ") + package_format::kSpmNames);
  for (std::size_t i = 0; i < confounds.size(); ++i) {
    auto& name = design.predictorNames[confounds[i]];
    std::size_t nameDims[2] = {1, name.size()};
    // The cell owns its elements once set; the characters are copied.
    auto* text = Mat_VarCreate(nullptr, MAT_C_CHAR, MAT_T_UINT8, 2, nameDims,
                               const_cast<char*>(name.data()), 0);
    if (text == nullptr) throw matFailure("to make the name " + name);
    Mat_VarSetCell(names.get(), static_cast<int>(i), text);
  }
  write(mat, names.get(), package_format::kSpmNames);
}

void writeSpm(const DesignMatrix& design, std::ostream& out) {
  const auto confounds = designColumnsOf(design).confounds;
  ScratchFile scratch;
  auto* mat = scratch.create();
  writeRegressors(mat, design, confounds);
  writeNames(mat, design, confounds);
  scratch.close();
  scratch.copyTo(out);
}

}  // namespace

const DesignFormat kSpmFormat{
    .name = "SPM regressors",
    .extensions = package_format::kSpmExtensions,
    .write = writeSpm,
    .suffix = package_format::kSpmSuffix,
};

}  // namespace duv
