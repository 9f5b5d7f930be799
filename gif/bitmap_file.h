// Bitmap files in memory: the picture-bytes form of screen grabs and canvases.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace framelark {

// Pixels as 0x00RRGGBB words (the byte order B, G, R, X in memory on a
// little-endian machine, as a 32-bit bitmap row holds them), top row first.
struct PixelImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // width * height

  PixelImage() = default;
  PixelImage(int w, int h, std::uint32_t fill = 0)
      : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}
  std::uint32_t& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  std::uint32_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width; }
  const std::uint32_t* Row(int y) const {
    return pixels.data() + static_cast<std::size_t>(y) * width;
  }
};

// Largest side accepted from a bitmap file; bigger claims are refused before
// any allocation.
constexpr int kMaxBitmapSide = 32767;

// Reads a bitmap file (BITMAPFILEHEADER + BITMAPINFOHEADER or a later
// header version, uncompressed, 24 or 32 bits per pixel, bottom-up or
// top-down). Returns nothing for anything else, for short data and for
// headers whose sizes do not add up; never reads outside `data`.
std::optional<PixelImage> ReadBitmapFile(const std::uint8_t* data, std::size_t size);
inline std::optional<PixelImage> ReadBitmapFile(const std::vector<std::uint8_t>& bytes) {
  return ReadBitmapFile(bytes.data(), bytes.size());
}

// The same into `image`, reusing its storage; `image` is unchanged when the
// data is refused.
bool ReadBitmapFileInto(const std::uint8_t* data, std::size_t size, PixelImage& image);

// Writes a 32-bit top-down bitmap file, the form grabs and canvases give.
std::vector<std::uint8_t> WriteBitmapFile(const PixelImage& image);

// Size of the two headers in front of the pixels of WriteBitmapFile's output.
constexpr std::size_t kBitmapHeadersSize = 14 + 40;

}  // namespace framelark
