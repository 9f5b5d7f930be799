#include "platform/win32/pictures.h"

#include <cstring>

#include "gif/gif_decoder.h"

namespace platform::win32 {
namespace {

std::uint32_t Read32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t Read16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

bool IsGif(const Bytes& bytes) {
  return bytes.size() >= 6 && std::memcmp(bytes.data(), "GIF8", 4) == 0;
}

std::optional<DecodedPicture> DecodeGifPicture(const Bytes& bytes) {
  framelark::DecodedGif gif;
  if (!framelark::DecodeGif(bytes, gif) || gif.frames.empty()) return std::nullopt;
  DecodedPicture picture;
  picture.width = gif.width;
  picture.height = gif.height;
  picture.loops = gif.loop_count < 0 ? 1 : gif.loop_count == 0 ? 0 : gif.loop_count + 1;
  for (framelark::DecodedFrame& frame : gif.frames) {
    picture.frames.push_back(PictureFrame{std::move(frame.image), frame.delay * 10});
  }
  return picture;
}

}  // namespace

std::optional<DecodedPicture> DecodePicture(const Bytes& bytes) {
  if (IsGif(bytes)) return DecodeGifPicture(bytes);
  auto image = framelark::ReadBitmapFile(bytes);
  if (!image) return std::nullopt;
  for (std::uint32_t& pixel : image->pixels) pixel |= kOpaque;
  DecodedPicture picture;
  picture.width = image->width;
  picture.height = image->height;
  picture.frames.push_back(PictureFrame{std::move(*image), 0});
  picture.loops = 1;
  return picture;
}

std::optional<PixelImage> DecodeStill(const Bytes& bytes) {
  auto picture = DecodePicture(bytes);
  if (!picture || picture->frames.empty()) return std::nullopt;
  return std::move(picture->frames.front().image);
}

bool HasTransparency(const PixelImage& image) {
  for (std::uint32_t pixel : image.pixels) {
    if (!IsOpaque(pixel)) return true;
  }
  return false;
}

bool LooksLikeCursorFile(const Bytes& bytes) {
  return bytes.size() >= 6 && Read16(bytes.data()) == 0 &&
         (Read16(bytes.data() + 2) == 2 || Read16(bytes.data() + 2) == 1) &&
         Read16(bytes.data() + 4) >= 1;
}

std::optional<MaskedPicture> ReadCursorFile(const Bytes& bytes) {
  const std::size_t size = bytes.size();
  const std::uint8_t* d = bytes.data();
  if (!LooksLikeCursorFile(bytes) || size < 6 + 16) return std::nullopt;
  const std::uint32_t offset = Read32(d + 6 + 12);
  if (offset > size || size - offset < 40) return std::nullopt;
  const std::uint8_t* h = d + offset;
  const std::uint32_t header = Read32(h);
  const std::int32_t width = static_cast<std::int32_t>(Read32(h + 4));
  const std::int32_t height = static_cast<std::int32_t>(Read32(h + 8)) / 2;  // colour + mask
  const int bits = Read16(h + 14);
  if (header < 40 || width <= 0 || height <= 0 || width > 256 || height > 256) {
    return std::nullopt;
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return std::nullopt;
  std::uint32_t colours = bits <= 8 ? Read32(h + 32) : 0;
  if (bits <= 8 && colours == 0) colours = 1u << bits;
  if (colours > 256) return std::nullopt;
  const std::size_t colour_stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  const std::size_t mask_stride = (static_cast<std::size_t>(width) + 31) / 32 * 4;
  const std::size_t needed =
      header + colours * 4 + (colour_stride + mask_stride) * static_cast<std::size_t>(height);
  if (size - offset < needed) return std::nullopt;
  const std::uint8_t* palette = h + header;
  const std::uint8_t* colour_rows = palette + colours * 4;
  const std::uint8_t* mask_rows = colour_rows + colour_stride * height;

  MaskedPicture picture;
  picture.image = PixelImage(width, height);
  picture.opaque.assign(static_cast<std::size_t>(width) * height, 0);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = colour_rows + colour_stride * (height - 1 - y);
    const std::uint8_t* mask = mask_rows + mask_stride * (height - 1 - y);
    for (int x = 0; x < width; ++x) {
      std::uint32_t pixel;
      if (bits == 32) {
        pixel = Read32(row + x * 4) & 0xFFFFFFu;
      } else if (bits == 24) {
        const std::uint8_t* p = row + x * 3;
        pixel = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                static_cast<std::uint32_t>(p[2]) << 16;
      } else {
        const int per_byte = 8 / bits;
        const int shift = (per_byte - 1 - x % per_byte) * bits;
        const unsigned index = (row[x / per_byte] >> shift) & ((1u << bits) - 1);
        if (index >= colours) return std::nullopt;
        const std::uint8_t* c = palette + index * 4;
        pixel = static_cast<std::uint32_t>(c[0]) | static_cast<std::uint32_t>(c[1]) << 8 |
                static_cast<std::uint32_t>(c[2]) << 16;
      }
      picture.image.At(x, y) = pixel;
      const bool left_out = (mask[x / 8] >> (7 - x % 8)) & 1;
      picture.opaque[static_cast<std::size_t>(y) * width + x] = left_out ? 0 : 1;
    }
  }
  return picture;
}

HBITMAP CreateTopDownDib(int width, int height, std::uint32_t** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (bitmap == nullptr) {
    *bits = nullptr;
    return nullptr;
  }
  *bits = static_cast<std::uint32_t*>(pixels);
  return bitmap;
}

Bytes BitmapFileFromPixels(const std::uint32_t* pixels, int width, int height) {
  // The same layout as WriteBitmapFile, written in one pass: this runs for
  // every frame grabbed. The X byte is cleared so that two copies of the same
  // picture are equal.
  const std::size_t count = static_cast<std::size_t>(width) * height;
  Bytes out(framelark::kBitmapHeadersSize + count * 4, 0);
  std::uint8_t* p = out.data();
  auto put32 = [](std::uint8_t* at, std::uint32_t v) {
    at[0] = static_cast<std::uint8_t>(v);
    at[1] = static_cast<std::uint8_t>(v >> 8);
    at[2] = static_cast<std::uint8_t>(v >> 16);
    at[3] = static_cast<std::uint8_t>(v >> 24);
  };
  p[0] = 'B';
  p[1] = 'M';
  put32(p + 2, static_cast<std::uint32_t>(out.size()));
  put32(p + 10, static_cast<std::uint32_t>(framelark::kBitmapHeadersSize));
  put32(p + 14, 40);
  put32(p + 18, static_cast<std::uint32_t>(width));
  put32(p + 22, static_cast<std::uint32_t>(-height));
  p[26] = 1;
  p[28] = 32;
  put32(p + 34, static_cast<std::uint32_t>(count * 4));
  std::uint8_t* dst = p + framelark::kBitmapHeadersSize;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t px = pixels[i] & 0x00FFFFFFu;
    std::memcpy(dst + i * 4, &px, 4);
  }
  return out;
}

GdiPicture::GdiPicture(const PixelImage& image) : width_(image.width), height_(image.height) {
  if (width_ <= 0 || height_ <= 0) return;
  // Transparent pixels are 0 and opaque ones have alpha 255: the pixels are
  // already in the premultiplied form AlphaBlend takes.
  transparent_ = HasTransparency(image);
  std::uint32_t* bits = nullptr;
  bitmap_ = CreateTopDownDib(width_, height_, &bits);
  if (bitmap_ == nullptr) return;
  std::memcpy(bits, image.pixels.data(), image.pixels.size() * sizeof(std::uint32_t));
  GdiFlush();
}

GdiPicture::~GdiPicture() {
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

void GdiPicture::Draw(HDC dc, int x, int y, int sx, int sy, int w, int h) const {
  if (bitmap_ == nullptr || w <= 0 || h <= 0) return;
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(memory, bitmap_);
  if (transparent_) {
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, w, h, memory, sx, sy, w, h, blend);
  } else {
    BitBlt(dc, x, y, w, h, memory, sx, sy, SRCCOPY);
  }
  SelectObject(memory, old);
  DeleteDC(memory);
}

}  // namespace platform::win32
