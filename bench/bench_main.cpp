// duvendal_bench: Google Benchmark's command line (see --help), plus one mode of its own that
// the memory benchmark starts in a fresh process:
//   duvendal_bench --sdm-peak-memory INPUT.sdm OUTPUT.sdm RESULT
// reads INPUT, saves it as OUTPUT and writes "<resident kB before> <peak resident kB>" to
// RESULT.

#include <benchmark/benchmark.h>

#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>

#include "design/design_format.h"
#include "design/design_matrix.h"
#include "design/file_system.h"
#include "design/sdm_reader.h"

namespace {

// A value of /proc/self/status in kB ("VmRSS", "VmHWM").
long statusKb(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, key.size() + 1, key + ":") == 0)
      return std::stol(line.substr(key.size() + 1));
  }
  throw std::runtime_error("no " + key + " in /proc/self/status");
}

int measureSdmPeakMemory(const char* input, const char* output, const char* result) {
  const long before = statusKb("VmRSS");
  {
    auto matrix = duv::readSdmFile(input, duv::realFileSystem());
    duv::saveDesign(matrix, output, duv::kSdmFormat);
  }
  std::ofstream(result) << before << ' ' << statusKb("VmHWM") << '\n';
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--sdm-peak-memory") == 0) {
    try {
      return measureSdmPeakMemory(argv[2], argv[3], argv[4]);
    } catch (const std::exception& error) {
      std::cerr << error.what() << '\n';
      return 1;
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
