#include "tests/support/headless_browser.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "tests/support/temp_dir.h"

namespace duv::testing {

namespace fs = std::filesystem;

std::optional<std::string> findChromium() {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::nullopt;
  const std::string folders = path;
  for (std::size_t start = 0; start <= folders.size();) {
    const auto end = std::min(folders.find(':', start), folders.size());
    for (const char* name : {"chromium", "chromium-browser"}) {
      const auto candidate = fs::path(folders.substr(start, end - start)) / name;
      if (fs::exists(candidate)) return candidate.string();
    }
    start = end + 1;
  }
  return std::nullopt;
}

ProcessResult runHeadlessBrowser(const std::string& browser, const std::string& url, int width,
                                 int height, const std::vector<std::string>& what) {
  TempDir profile;
  std::vector<std::string> command{
      "timeout",
      "120",
      browser,
      "--no-sandbox",
      "--disable-gpu",
      "--no-first-run",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
      "--headless",
      "--hide-scrollbars",
      "--user-data-dir=" + profile.path().string(),
      "--window-size=" + std::to_string(width) + "," + std::to_string(height)};
  command.insert(command.end(), what.begin(), what.end());
  command.push_back(url);
  return runProcess(command);
}

std::vector<FigureBox> figureBoxesIn(const std::string& dom) {
  static const std::regex box(
      R"re(data-figure="([\w-]+)"[^>]*?data-box="(-?\d+),(-?\d+),(\d+),(\d+)")re");
  std::vector<FigureBox> boxes;
  for (std::sregex_iterator it(dom.begin(), dom.end(), box), end; it != end; ++it) {
    boxes.push_back({(*it)[1], std::stol((*it)[2]), std::stol((*it)[3]), std::stol((*it)[4]),
                     std::stol((*it)[5])});
  }
  return boxes;
}

}  // namespace duv::testing
