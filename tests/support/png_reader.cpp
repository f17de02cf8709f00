#include "tests/support/png_reader.h"

#include <zlib.h>

#include <cstdlib>
#include <stdexcept>

namespace duv::testing {
namespace {

std::uint32_t bigEndian(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value = (value << 8) | static_cast<std::uint8_t>(bytes.at(at + i));
  }
  return value;
}

std::uint8_t paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a);
  const int pb = std::abs(p - b);
  const int pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
  return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

// Undoes the row filters in place; `stride` bytes per row after the filter byte.
std::vector<std::uint8_t> unfiltered(const std::vector<std::uint8_t>& raw, std::size_t height,
                                     std::size_t stride, std::size_t pixelBytes) {
  std::vector<std::uint8_t> out(height * stride);
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint8_t filter = raw.at(y * (stride + 1));
    const std::uint8_t* in = &raw.at(y * (stride + 1) + 1);
    std::uint8_t* row = &out[y * stride];
    const std::uint8_t* above = y > 0 ? &out[(y - 1) * stride] : nullptr;
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= pixelBytes ? row[i - pixelBytes] : 0;
      const int b = above != nullptr ? above[i] : 0;
      const int c = above != nullptr && i >= pixelBytes ? above[i - pixelBytes] : 0;
      int predicted = 0;
      switch (filter) {
        case 0:
          break;
        case 1:
          predicted = a;
          break;
        case 2:
          predicted = b;
          break;
        case 3:
          predicted = (a + b) / 2;
          break;
        case 4:
          predicted = paeth(a, b, c);
          break;
        default:
          throw std::runtime_error("PNG: unknown row filter");
      }
      row[i] = static_cast<std::uint8_t>((in[i] + predicted) & 0xFF);
    }
  }
  return out;
}

}  // namespace

DecodedPng decodePng(const std::string& bytes) {
  if (bytes.size() < 8 || bytes.compare(0, 8, std::string("\x89PNG\r\n\x1a\n", 8)) != 0) {
    throw std::runtime_error("PNG: no signature");
  }
  DecodedPng image;
  int colourType = -1;
  std::string compressed;
  for (std::size_t at = 8; at + 12 <= bytes.size();) {
    const std::uint32_t length = bigEndian(bytes, at);
    const std::string type = bytes.substr(at + 4, 4);
    const std::string data = bytes.substr(at + 8, length);
    const std::string checked = bytes.substr(at + 4, 4 + length);
    const auto crc = static_cast<std::uint32_t>(crc32(
        0, reinterpret_cast<const Bytef*>(checked.data()), static_cast<uInt>(checked.size())));
    if (crc != bigEndian(bytes, at + 8 + length))
      throw std::runtime_error("PNG: bad CRC in " + type);
    if (type == "IHDR") {
      image.width = bigEndian(data, 0);
      image.height = bigEndian(data, 4);
      if (data.at(8) != 8 || data.at(12) != 0) throw std::runtime_error("PNG: unsupported depth");
      colourType = data.at(9);
    } else if (type == "IDAT") {
      compressed += data;
    } else if (type == "IEND") {
      break;
    }
    at += 12 + length;
  }
  const std::size_t channels = colourType == 0 ? 1 : colourType == 2 ? 3 : colourType == 6 ? 4 : 0;
  if (channels == 0) throw std::runtime_error("PNG: unsupported colour type");
  const std::size_t stride = image.width * channels;
  std::vector<std::uint8_t> raw((stride + 1) * image.height);
  uLongf size = static_cast<uLongf>(raw.size());
  if (uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(compressed.data()),
                 static_cast<uLong>(compressed.size())) != Z_OK ||
      size != raw.size()) {
    throw std::runtime_error("PNG: damaged image data");
  }
  const auto pixels = unfiltered(raw, image.height, stride, channels);
  image.rgb.resize(image.width * image.height * 3);
  for (std::size_t i = 0; i < image.width * image.height; ++i) {
    for (std::size_t c = 0; c < 3; ++c) {
      image.rgb[i * 3 + c] = pixels[i * channels + (channels == 1 ? 0 : c)];
    }
  }
  return image;
}

}  // namespace duv::testing
