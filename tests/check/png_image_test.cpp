#include "check/png_image.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/png_reader.h"

namespace duv {
namespace {

RgbImage gradient(std::size_t width, std::size_t height) {
  RgbImage image(width, height);
  for (std::size_t y = 0; y < height; ++y) {
    for (std::size_t x = 0; x < width; ++x) {
      image.set(x, y, static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 3),
                static_cast<std::uint8_t>((x + y) & 0xFF));
    }
  }
  return image;
}

TEST(PngImageTest, EncodedImagesDecodeToTheirPixels) {
  // 1 x 1, a few rows, and one whose data needs several stored blocks (more than 65535 bytes).
  for (const auto& [width, height] :
       {std::pair<std::size_t, std::size_t>{1, 1}, {13, 240}, {300, 100}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    const auto image = gradient(width, height);
    const auto png = encodePng(image);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    const auto decoded = testing::decodePng(png);  // checks every chunk's CRC too
    EXPECT_EQ(decoded.width, width);
    EXPECT_EQ(decoded.height, height);
    EXPECT_EQ(decoded.rgb, image.pixels);
  }
}

TEST(PngImageTest, ChecksumsAgreeWithZlib) {
  for (const auto& text : std::vector<std::string>{"", "a", "123456789", std::string(70000, 'x')}) {
    const auto* data = reinterpret_cast<const Bytef*>(text.data());
    const auto size = static_cast<uInt>(text.size());
    EXPECT_EQ(crc32(text), ::crc32(0, data, size)) << text.size();
    EXPECT_EQ(adler32(text), ::adler32(1, data, size)) << text.size();
  }
  EXPECT_EQ(crc32("123456789"), 0xCBF43926U);
}

TEST(PngImageTest, Base64FollowsTheStandardVectors) {
  const std::pair<const char*, const char*> cases[] = {{"", ""},
                                                       {"f", "Zg=="},
                                                       {"fo", "Zm8="},
                                                       {"foo", "Zm9v"},
                                                       {"foob", "Zm9vYg=="},
                                                       {"fooba", "Zm9vYmE="},
                                                       {"foobar", "Zm9vYmFy"}};
  for (const auto& [plain, encoded] : cases) EXPECT_EQ(base64(plain), encoded) << plain;
  EXPECT_EQ(base64(std::string("\xff\xfe\x00", 3)), "//4A");
}

TEST(PngImageTest, EmptyImagesAreRefused) {
  EXPECT_THROW(encodePng(RgbImage(0, 4)), std::invalid_argument);
  EXPECT_THROW(encodePng(RgbImage(4, 0)), std::invalid_argument);
}

}  // namespace
}  // namespace duv
