#include "platform/fake/cursor_file.h"

#include <cstdint>

namespace platform::fake {
namespace {
std::uint32_t Read32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t Read16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
}  // namespace

std::optional<CursorPicture> ReadCursorFile(const std::vector<std::uint8_t>& bytes) {
  const std::size_t size = bytes.size();
  const std::uint8_t* d = bytes.data();
  if (size < 6 + 16 + 40 || Read16(d) != 0 || Read16(d + 2) != 2 || Read16(d + 4) < 1) {
    return std::nullopt;
  }
  CursorPicture cursor;
  cursor.hotspotX = Read16(d + 6 + 4);
  cursor.hotspotY = Read16(d + 6 + 6);
  const std::uint32_t offset = Read32(d + 6 + 12);
  if (offset > size || size - offset < 40) return std::nullopt;
  const std::uint8_t* h = d + offset;
  const int width = static_cast<std::int32_t>(Read32(h + 4));
  const int height = static_cast<std::int32_t>(Read32(h + 8)) / 2;  // XOR and AND halves
  const int bits = Read16(h + 14);
  if (width <= 0 || height <= 0 || width > 256 || height > 256) return std::nullopt;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 32) return std::nullopt;
  std::uint32_t colours = Read32(h + 32);
  if (bits <= 8 && colours == 0) colours = 1u << bits;
  if (bits == 32) colours = 0;
  const std::size_t header = Read32(h);
  const std::size_t xor_stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  const std::size_t and_stride = (static_cast<std::size_t>(width) + 31) / 32 * 4;
  const std::size_t needed = header + colours * 4 + xor_stride * height + and_stride * height;
  if (header < 40 || colours > 256 || size - offset < needed) return std::nullopt;
  const std::uint8_t* palette = h + header;
  const std::uint8_t* xor_bits = palette + colours * 4;
  const std::uint8_t* and_bits = xor_bits + xor_stride * height;

  cursor.image = framelark::PixelImage(width, height);
  cursor.opaque.assign(static_cast<std::size_t>(width) * height, false);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = xor_bits + xor_stride * (height - 1 - y);
    const std::uint8_t* mask = and_bits + and_stride * (height - 1 - y);
    for (int x = 0; x < width; ++x) {
      std::uint32_t pixel;
      if (bits == 32) {
        pixel = Read32(row + x * 4) & 0xFFFFFFu;
      } else {
        const int per_byte = 8 / bits;
        const int shift = (per_byte - 1 - x % per_byte) * bits;
        const int index = (row[x / per_byte] >> shift) & ((1 << bits) - 1);
        const std::uint8_t* c = palette + index * 4;
        pixel = static_cast<std::uint32_t>(c[0]) | static_cast<std::uint32_t>(c[1]) << 8 |
                static_cast<std::uint32_t>(c[2]) << 16;
      }
      cursor.image.At(x, y) = pixel;
      const bool transparent = (mask[x / 8] >> (7 - x % 8)) & 1;
      cursor.opaque[static_cast<std::size_t>(y) * width + x] = !transparent;
    }
  }
  return cursor;
}

}  // namespace platform::fake
