#include "check/png_image.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace duv {
namespace {

constexpr std::size_t kLargestStoredBlock = 65535;
constexpr std::size_t kLargestDimension = 0x7FFFFFFF;

void appendBigEndian(std::string& out, std::uint32_t value) {
  out += static_cast<char>((value >> 24) & 0xFF);
  out += static_cast<char>((value >> 16) & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
  out += static_cast<char>(value & 0xFF);
}

void appendLittleEndian16(std::string& out, std::size_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void appendChunk(std::string& out, std::string_view type, std::string_view data) {
  appendBigEndian(out, static_cast<std::uint32_t>(data.size()));
  std::string checked(type);
  checked += data;
  out += checked;
  appendBigEndian(out, crc32(checked));
}

// A zlib stream (no compression) holding `raw`.
std::string storedZlib(std::string_view raw) {
  std::string out;
  out += '\x78';  // deflate, 32 KiB window
  out += '\x01';  // no preset dictionary, fastest; 0x7801 is a multiple of 31
  std::size_t offset = 0;
  do {
    const std::size_t length = std::min(kLargestStoredBlock, raw.size() - offset);
    const bool last = offset + length == raw.size();
    out += static_cast<char>(last ? 1 : 0);  // BFINAL, BTYPE 00 (stored)
    appendLittleEndian16(out, length);
    appendLittleEndian16(out, ~length & 0xFFFF);
    out.append(raw.substr(offset, length));
    offset += length;
  } while (offset < raw.size());
  appendBigEndian(out, adler32(raw));
  return out;
}

std::array<std::uint32_t, 256> crcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1U) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

}  // namespace

std::uint32_t crc32(std::string_view bytes) {
  static const auto table = crcTable();
  std::uint32_t c = 0xFFFFFFFFU;
  for (const char byte : bytes) {
    c = table[(c ^ static_cast<std::uint8_t>(byte)) & 0xFFU] ^ (c >> 8);
  }
  return c ^ 0xFFFFFFFFU;
}

std::uint32_t adler32(std::string_view bytes) {
  constexpr std::uint32_t kModulus = 65521;
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (const char byte : bytes) {
    a = (a + static_cast<std::uint8_t>(byte)) % kModulus;
    b = (b + a) % kModulus;
  }
  return (b << 16) | a;
}

std::string encodePng(const RgbImage& image) {
  if (image.width == 0 || image.height == 0 || image.width > kLargestDimension ||
      image.height > kLargestDimension) {
    throw std::invalid_argument("a PNG image needs a width and height from 1 to 2^31 - 1");
  }
  std::string raw;
  const std::size_t rowBytes = image.width * 3;
  raw.reserve((rowBytes + 1) * image.height);
  for (std::size_t y = 0; y < image.height; ++y) {
    raw += '\0';  // filter type 0: the row as it is
    const auto* row = image.pixels.data() + y * rowBytes;
    for (std::size_t i = 0; i < rowBytes; ++i) raw += static_cast<char>(row[i]);
  }
  std::string header;
  appendBigEndian(header, static_cast<std::uint32_t>(image.width));
  appendBigEndian(header, static_cast<std::uint32_t>(image.height));
  header += '\x08';                // bits per sample
  header += '\x02';                // colour type: RGB
  header += std::string(3, '\0');  // deflate, adaptive filtering, no interlace

  std::string png("\x89PNG\r\n\x1a\n", 8);
  appendChunk(png, "IHDR", header);
  appendChunk(png, "IDAT", storedZlib(raw));
  appendChunk(png, "IEND", "");
  return png;
}

std::string base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  const auto byteAt = [&bytes](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at]));
  };
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t group = (byteAt(i) << 16) | (byteAt(i + 1) << 8) | byteAt(i + 2);
    out += kDigits[(group >> 18) & 63];
    out += kDigits[(group >> 12) & 63];
    out += kDigits[(group >> 6) & 63];
    out += kDigits[group & 63];
  }
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    std::uint32_t group = byteAt(i) << 16;
    if (rest == 2) group |= byteAt(i + 1) << 8;
    out += kDigits[(group >> 18) & 63];
    out += kDigits[(group >> 12) & 63];
    out += rest == 2 ? kDigits[(group >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

}  // namespace duv
