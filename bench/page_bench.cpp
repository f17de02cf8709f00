// The check page of a wide design (2,000 predictors by 300 data points) opened in headless
// Chromium until its load script has drawn every figure and the page is handed back: how long a
// user waits for the page, browser start included.

#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_designs.h"
#include "bench/process_runner.h"
#include "design/design_format.h"
#include "tests/support/headless_browser.h"

namespace duv::bench {
namespace {

void BM_CheckPageInBrowser(benchmark::State& state) {
  const auto browser = testing::findChromium();
  if (!browser) {
    state.SkipWithError("no Chromium on the PATH (scripts/install --test)");
    return;
  }
  const auto& design = benchDesign(2000, 300);
  saveDesign(design, design.fileName, kSdmFormat);
  const auto page = scratchDir() + "/wide_check.html";
  // Exit 3: the wide design has warnings at the failing level; the page is written either way.
  const auto check = runProgram({DUVENDAL_TOOL, "check", "--html", page, design.fileName});
  if (check.exitCode != 0 && check.exitCode != 3) {
    state.SkipWithError("duvendal check failed");
    return;
  }
  for (auto _ : state) {
    const auto opened =
        testing::runHeadlessBrowser(*browser, "file://" + page, 1400, 1400, {"--dump-dom"});
    if (opened.exitCode != 0 || opened.out.find("data-rendered=\"ok\"") == std::string::npos) {
      state.SkipWithError("the page did not render in the browser");
      break;
    }
  }
}
BENCHMARK(BM_CheckPageInBrowser)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
}  // namespace duv::bench
