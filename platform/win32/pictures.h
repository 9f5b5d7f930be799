// Picture bytes as the backend shows them: GIFs (animated or still), bitmap
// files, and cursor files drawn through their mask.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "gif/bitmap_file.h"
#include "platform/platform.h"

namespace platform::win32 {

using framelark::PixelImage;

// A colour (0x00BBGGRR) as a pixel word (0x00RRGGBB).
inline std::uint32_t ColourToPixel(Colour c) {
  return (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}

// Pixels of decoded pictures carry an alpha byte: 0xFF where the picture
// paints, 0 where it leaves what is beneath (transparent GIF pixels).
constexpr std::uint32_t kOpaque = 0xFF000000u;
inline bool IsOpaque(std::uint32_t pixel) { return (pixel & kOpaque) != 0; }
bool HasTransparency(const PixelImage& image);

struct PictureFrame {
  PixelImage image;  // the whole picture as it looks while this frame shows
  int delayMs = 0;
};

struct DecodedPicture {
  int width = 0;
  int height = 0;
  std::vector<PictureFrame> frames;  // one for a still picture
  // How often the animation plays: 0 forever. A GIF's loop count n means n
  // repetitions after the first showing; without a loop count it plays once.
  int loops = 0;
};

// A GIF or a bitmap file; nothing for anything else or broken bytes.
std::optional<DecodedPicture> DecodePicture(const Bytes& bytes);
// The first frame of DecodePicture.
std::optional<PixelImage> DecodeStill(const Bytes& bytes);

// The first image of a cursor or icon file, and which pixels its mask lets
// through (1) or leaves out (0).
struct MaskedPicture {
  PixelImage image;
  std::vector<std::uint8_t> opaque;
};
bool LooksLikeCursorFile(const Bytes& bytes);
std::optional<MaskedPicture> ReadCursorFile(const Bytes& bytes);

// A picture held as a GDI bitmap, copied onto device contexts.
class GdiPicture {
 public:
  explicit GdiPicture(const PixelImage& image);
  ~GdiPicture();
  GdiPicture(const GdiPicture&) = delete;
  GdiPicture& operator=(const GdiPicture&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Valid() const { return bitmap_ != nullptr; }
  // Copies the part at (sx, sy) of size (w, h) to (x, y) on `dc`.
  void Draw(HDC dc, int x, int y, int sx, int sy, int w, int h) const;
  void Draw(HDC dc, int x, int y) const { Draw(dc, x, y, 0, 0, width_, height_); }

 private:
  HBITMAP bitmap_ = nullptr;
  bool transparent_ = false;
  int width_ = 0;
  int height_ = 0;
};

// A 32-bit top-down DIB section of the given size; `bits` receives its pixels.
HBITMAP CreateTopDownDib(int width, int height, std::uint32_t** bits);

// Pixels of a top-down 32-bit buffer as bitmap-file bytes, the X byte cleared.
Bytes BitmapFileFromPixels(const std::uint32_t* pixels, int width, int height);

}  // namespace platform::win32
