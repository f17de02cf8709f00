#pragma once

// Pages opened in a real browser, headless Chromium, as the page tests open them: a fresh empty
// profile each start, no network chatter (the machine's network is closed), a fixed window.

#include <optional>
#include <string>
#include <vector>

#include "tests/support/process.h"

namespace duv::testing {

// The Chromium on the PATH ("chromium" or "chromium-browser"), if any.
std::optional<std::string> findChromium();

// One start of `browser` on `url` in a window of width x height, with `what` (e.g. "--dump-dom",
// "--screenshot=shot.png") before the address; at most two minutes.
ProcessResult runHeadlessBrowser(const std::string& browser, const std::string& url, int width,
                                 int height, const std::vector<std::string>& what);

// Where the page says each figure lies: every element with data-figure="NAME" and the
// data-box="left,top,width,height" its load script gave it, in document order.
struct FigureBox {
  std::string figure;
  long left, top, width, height;
};
std::vector<FigureBox> figureBoxesIn(const std::string& dom);

}  // namespace duv::testing
