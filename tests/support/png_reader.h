#pragma once

// Reads PNG files in tests: 8-bit greyscale, RGB or RGBA, not interlaced, with every row
// filter (as browsers write screenshots). Inflates with zlib.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace duv::testing {

struct DecodedPng {
  std::size_t width = 0;
  std::size_t height = 0;
  std::vector<std::uint8_t> rgb;  // three bytes per pixel, row by row (alpha dropped)

  const std::uint8_t* at(std::size_t x, std::size_t y) const { return &rgb[(y * width + x) * 3]; }
};

// Throws std::runtime_error for anything else, a wrong chunk checksum or damaged data.
DecodedPng decodePng(const std::string& bytes);

}  // namespace duv::testing
