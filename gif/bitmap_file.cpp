#include "gif/bitmap_file.h"

#include <cstring>

namespace framelark {
namespace {

std::uint32_t Read32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t Read16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
void Put32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

}  // namespace

std::optional<PixelImage> ReadBitmapFile(const std::uint8_t* data, std::size_t size) {
  PixelImage image;
  if (!ReadBitmapFileInto(data, size, image)) return std::nullopt;
  return image;
}

bool ReadBitmapFileInto(const std::uint8_t* data, std::size_t size, PixelImage& image) {
  if (data == nullptr || size < 14 + 40) return false;
  if (data[0] != 'B' || data[1] != 'M') return false;
  const std::uint32_t pixel_offset = Read32(data + 10);
  const std::uint32_t header_size = Read32(data + 14);
  if (header_size < 40 || header_size > size - 14) return false;
  const std::int32_t width = static_cast<std::int32_t>(Read32(data + 18));
  const std::int32_t raw_height = static_cast<std::int32_t>(Read32(data + 22));
  const std::uint16_t planes = Read16(data + 26);
  const std::uint16_t bits = Read16(data + 28);
  const std::uint32_t compression = Read32(data + 30);
  if (planes != 1 || (bits != 24 && bits != 32)) return false;
  // 32-bit bitmaps with the standard masks come as BI_BITFIELDS from some
  // writers; the layout is the same.
  if (compression != kBiRgb && !(bits == 32 && compression == kBiBitfields)) return false;
  if (compression == kBiBitfields) {
    // The masks follow a 40-byte header and sit inside the later versions.
    const std::uint64_t masks_end = 14 + 40 + 12;
    if (masks_end > size || (header_size < 52 && masks_end > pixel_offset)) return false;
    if (Read32(data + 54) != 0x00FF0000u || Read32(data + 58) != 0x0000FF00u ||
        Read32(data + 62) != 0x000000FFu) {
      return false;
    }
  }
  if (width <= 0 || width > kMaxBitmapSide) return false;
  if (raw_height == 0 || raw_height < -kMaxBitmapSide || raw_height > kMaxBitmapSide) {
    return false;
  }
  const bool top_down = raw_height < 0;
  const int height = top_down ? -raw_height : raw_height;
  const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
  const std::uint64_t needed = static_cast<std::uint64_t>(pixel_offset) + stride * height;
  if (pixel_offset < 14 + static_cast<std::uint64_t>(header_size) || needed > size) {
    return false;
  }

  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<std::size_t>(width) * height);
  const int bytes_per_pixel = bits / 8;
  for (int y = 0; y < height; ++y) {
    const int source_row = top_down ? y : height - 1 - y;
    const std::uint8_t* row = data + pixel_offset + stride * source_row;
    std::uint32_t* out = &image.pixels[static_cast<std::size_t>(y) * width];
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = row + x * bytes_per_pixel;
      out[x] = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
               static_cast<std::uint32_t>(p[2]) << 16;
    }
  }
  return true;
}

std::vector<std::uint8_t> WriteBitmapFile(const PixelImage& image) {
  const std::size_t pixel_bytes = static_cast<std::size_t>(image.width) * image.height * 4;
  std::vector<std::uint8_t> out(kBitmapHeadersSize + pixel_bytes, 0);
  std::uint8_t* p = out.data();
  p[0] = 'B';
  p[1] = 'M';
  Put32(p + 2, static_cast<std::uint32_t>(out.size()));
  Put32(p + 10, static_cast<std::uint32_t>(kBitmapHeadersSize));
  Put32(p + 14, 40);
  Put32(p + 18, static_cast<std::uint32_t>(image.width));
  Put32(p + 22, static_cast<std::uint32_t>(-image.height));
  p[26] = 1;   // planes
  p[28] = 32;  // bits per pixel
  Put32(p + 34, static_cast<std::uint32_t>(pixel_bytes));
  std::uint8_t* dst = p + kBitmapHeadersSize;
  for (std::uint32_t px : image.pixels) {
    Put32(dst, px & 0x00FFFFFFu);
    dst += 4;
  }
  return out;
}

}  // namespace framelark
