#pragma once

// A small PNG writer for pictures embedded in reports: 8-bit RGB, no interlacing, every row
// with filter 0, the image data in "stored" (uncompressed) deflate blocks. Larger than a
// compressed PNG, but needs no compression library and every viewer reads it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace duv {

struct RgbImage {
  RgbImage(std::size_t columns, std::size_t rows)
      : width(columns), height(rows), pixels(columns * rows * 3, 0) {}

  void set(std::size_t x, std::size_t y, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    const std::size_t at = (y * width + x) * 3;
    pixels[at] = red;
    pixels[at + 1] = green;
    pixels[at + 2] = blue;
  }

  std::size_t width;
  std::size_t height;
  std::vector<std::uint8_t> pixels;  // row by row, three bytes per pixel
};

// The bytes of the PNG file. Throws std::invalid_argument for an empty image or one whose
// width or height does not fit the format (2^31 - 1).
std::string encodePng(const RgbImage& image);

// Standard base64 with padding, for data: URIs.
std::string base64(std::string_view bytes);

// The checksums of the format: CRC-32 (ISO 3309, as zlib's crc32) and Adler-32.
std::uint32_t crc32(std::string_view bytes);
std::uint32_t adler32(std::string_view bytes);

}  // namespace duv
