#include "design/motion_layout.h"

#include <stdexcept>
#include <string>

#include "design/paths.h"

namespace duv {
namespace {

struct NamedLayout {
  MotionLayout layout;
  std::string_view name;       // as parseMotionLayout takes it
  std::string_view extension;  // as motionLayoutOf tells it
};

// The AFNI-style files end in ".1D"; the lower-case name is the one typed on command lines.
constexpr NamedLayout kLayouts[] = {
    {MotionLayout::sdm, "sdm", "sdm"},   {MotionLayout::par, "par", "par"},
    {MotionLayout::txt, "txt", "txt"},   {MotionLayout::afni1D, "1d", "1D"},
    {MotionLayout::table, "tsv", "tsv"},
};

}  // namespace

std::string_view layoutName(MotionLayout layout) {
  for (const auto& entry : kLayouts) {
    if (entry.layout == layout) return entry.name;
  }
  throw std::invalid_argument("unknown motion layout");
}

MotionLayout parseMotionLayout(std::string_view text) {
  for (const auto& entry : kLayouts) {
    if (entry.name == text) return entry.layout;
  }
  throw std::invalid_argument("unknown motion layout \"" + std::string(text) + "\": one of " +
                              std::string(motion::kLayoutNames));
}

MotionLayout motionLayoutOf(std::string_view path) {
  for (const auto& entry : kLayouts) {
    if (hasExtension(path, entry.extension)) return entry.layout;
  }
  throw std::invalid_argument(std::string(path) +
                              ": its extension tells no motion layout (.sdm, .par, .txt, .1D, "
                              ".tsv); name the layout: one of " +
                              std::string(motion::kLayoutNames));
}

bool dropsSkippedVolumes(MotionLayout layout) { return layout != MotionLayout::sdm; }

}  // namespace duv
