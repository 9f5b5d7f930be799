// Bitmap file input: every layout grabs and canvases give, and refusal of
// anything malformed without reading past the data.
#include "gif/bitmap_file.h"

#include <gtest/gtest.h>

#include <cstring>

namespace framelark {
namespace {

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A bitmap file with `bits` per pixel, bottom-up unless top_down, each row
// padded to 4 bytes, pixel value x + 16 * y + 0x102030.
std::vector<std::uint8_t> MakeBitmap(int width, int height, int bits, bool top_down,
                                     std::uint32_t header_size = 40) {
  const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  const std::size_t offset = 14 + header_size;
  std::vector<std::uint8_t> b(offset + stride * height, 0xCC);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  Put32(b, 6, 0);
  Put32(b, 10, static_cast<std::uint32_t>(offset));
  std::fill(b.begin() + 14, b.begin() + offset, 0);
  Put32(b, 14, header_size);
  Put32(b, 18, static_cast<std::uint32_t>(width));
  Put32(b, 22, static_cast<std::uint32_t>(top_down ? -height : height));
  b[26] = 1;
  b[28] = static_cast<std::uint8_t>(bits);
  for (int y = 0; y < height; ++y) {
    const int row = top_down ? y : height - 1 - y;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t v = 0x102030u + x + 16u * y;
      std::uint8_t* p = &b[offset + stride * row + x * (bits / 8)];
      p[0] = static_cast<std::uint8_t>(v);
      p[1] = static_cast<std::uint8_t>(v >> 8);
      p[2] = static_cast<std::uint8_t>(v >> 16);
      if (bits == 32) p[3] = 0xFF;  // alpha is ignored
    }
  }
  return b;
}

TEST(GifBitmapFileTest, ReadsEveryLayout) {
  const struct {
    int width, height, bits;
    bool top_down;
    std::uint32_t header;
  } cases[] = {{3, 2, 24, false, 40}, {3, 2, 24, true, 40},  {5, 3, 32, false, 40},
               {1, 1, 24, false, 40}, {7, 4, 32, true, 124}, {2, 5, 24, false, 108}};
  for (const auto& c : cases) {
    const auto bytes = MakeBitmap(c.width, c.height, c.bits, c.top_down, c.header);
    const auto image = ReadBitmapFile(bytes);
    ASSERT_TRUE(image.has_value()) << c.width << "x" << c.height << "@" << c.bits;
    ASSERT_EQ(image->width, c.width);
    ASSERT_EQ(image->height, c.height);
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        EXPECT_EQ(image->At(x, y), 0x102030u + x + 16u * y) << x << "," << y;
      }
    }
  }
}

TEST(GifBitmapFileTest, WriteThenReadGivesThePixelsBack) {
  PixelImage image(5, 3);
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    image.pixels[i] = static_cast<std::uint32_t>(i * 0x0A0B0C) & 0xFFFFFF;
  }
  const auto back = ReadBitmapFile(WriteBitmapFile(image));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->pixels, image.pixels);
}

TEST(GifBitmapFileTest, RefusesMalformedHeaders) {
  const auto good = MakeBitmap(4, 3, 32, true);
  const auto edit = [&](std::size_t at, std::uint32_t value, int bytes = 4) {
    auto b = good;
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return b;
  };
  auto bitfields_bad_masks = edit(30, 3);
  const struct {
    const char* name;
    std::vector<std::uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"shorter than the headers", std::vector<std::uint8_t>(good.begin(), good.begin() + 53)},
      {"missing last pixel byte", std::vector<std::uint8_t>(good.begin(), good.end() - 1)},
      {"wrong magic", edit(0, 'X', 1)},
      {"header size too small", edit(14, 12)},
      {"header size past the data", edit(14, 0x7FFFFFFF)},
      {"pixel offset inside the header", edit(10, 20)},
      {"pixel offset past the data", edit(10, 0xFFFFFFF0u)},
      {"zero width", edit(18, 0)},
      {"negative width", edit(18, static_cast<std::uint32_t>(-4))},
      {"width too large", edit(18, 40000)},
      {"zero height", edit(22, 0)},
      {"most negative height", edit(22, 0x80000000u)},
      {"height past the data", edit(22, static_cast<std::uint32_t>(-300))},
      {"two planes", edit(26, 2, 2)},
      {"16 bits", edit(28, 16, 2)},
      {"8 bits", edit(28, 8, 2)},
      {"run-length compressed", edit(30, 1)},
      {"bitfields with odd masks", bitfields_bad_masks},
      {"bitfields on 24 bits",
       [&] {
         auto b = MakeBitmap(4, 3, 24, true);
         Put32(b, 30, 3);
         return b;
       }()},
  };
  for (const auto& c : cases) {
    // A copy of exactly the bytes, so that ASan catches any read past them.
    std::vector<std::uint8_t> exact(c.bytes);
    exact.shrink_to_fit();
    EXPECT_FALSE(ReadBitmapFile(exact.data(), exact.size()).has_value()) << c.name;
    PixelImage untouched(1, 1, 42);
    EXPECT_FALSE(ReadBitmapFileInto(exact.data(), exact.size(), untouched)) << c.name;
    EXPECT_EQ(untouched.pixels, std::vector<std::uint32_t>{42}) << c.name;
  }
  EXPECT_FALSE(ReadBitmapFile(nullptr, 100).has_value());
}

TEST(GifBitmapFileTest, AcceptsStandardBitfieldMasks) {
  auto b = MakeBitmap(2, 2, 32, true, 56);  // masks inside a 56-byte header
  Put32(b, 30, 3);
  Put32(b, 54, 0x00FF0000);
  Put32(b, 58, 0x0000FF00);
  Put32(b, 62, 0x000000FF);
  const auto image = ReadBitmapFile(b);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->At(1, 1), 0x102030u + 17);
}

}  // namespace
}  // namespace framelark
