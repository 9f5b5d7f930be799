#include "windows_files.h"

#include <stdexcept>
#include <string>

namespace picgen {
namespace {

void Put16(std::vector<std::uint8_t>& out, int v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// ICONDIR: reserved, type (1 icon, 2 cursor), count.
void PutDirectory(std::vector<std::uint8_t>& out, int type, int count) {
  Put16(out, 0);
  Put16(out, type);
  Put16(out, count);
}

// ICONDIRENTRY. For a cursor the two words after `reserved` hold the
// hotspot; for an icon, planes and bits per pixel.
void PutDirectoryEntry(std::vector<std::uint8_t>& out, int width, int height, int colours,
                       int word1, int word2, std::uint32_t bytes, std::uint32_t offset) {
  out.push_back(static_cast<std::uint8_t>(width == 256 ? 0 : width));
  out.push_back(static_cast<std::uint8_t>(height == 256 ? 0 : height));
  out.push_back(static_cast<std::uint8_t>(colours));
  out.push_back(0);
  Put16(out, word1);
  Put16(out, word2);
  Put32(out, bytes);
  Put32(out, offset);
}

// BITMAPINFOHEADER of an icon image: the height counts the colour rows and
// the mask rows together.
void PutInfoHeader(std::vector<std::uint8_t>& out, int width, int height, int bits,
                   std::uint32_t image_bytes) {
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(2 * height));
  Put16(out, 1);
  Put16(out, bits);
  Put32(out, 0);  // BI_RGB
  Put32(out, image_bytes);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
}

constexpr int kDirectorySize = 6;
constexpr int kEntrySize = 16;
constexpr int kInfoHeaderSize = 40;

int MaskStride(int width) { return (width + 31) / 32 * 4; }

}  // namespace

std::vector<std::string> ArrowPixels() {
  // Tip at column 2, row 4; the arrow covers columns 2-16 and rows 4-28.
  static const char* const kArrow[] = {
      "X",
      "XX",
      "XoX",
      "XooX",
      "XoooX",
      "XooooX",
      "XoooooX",
      "XooooooX",
      "XoooooooX",
      "XooooooooX",
      "XoooooooooX",
      "XooooooooooX",
      "XoooooooooooX",
      "XooooooooooooX",
      "XoooooooXXXXXXX",
      "XooooXooX",
      "XoooX XooX",
      "XooX  XooX",
      "XoX    XooX",
      "XX     XooX",
      "X       XooX",
      "        XooX",
      "         XooX",
      "         XooX",
      "          XX",
  };
  constexpr int kLeft = 2;
  constexpr int kTop = 4;
  std::vector<std::string> rows(32, std::string(32, ' '));
  int y = kTop;
  for (const char* row : kArrow) {
    const std::string text(row);
    rows[y].replace(kLeft, text.size(), text);
    ++y;
  }
  return rows;
}

std::vector<std::uint8_t> MakeArrowCursor() {
  constexpr int kSide = 32;
  constexpr int kColourStride = kSide / 2;  // 4 bits per pixel, already a multiple of 4
  constexpr int kPaletteBytes = 16 * 4;
  const int mask_stride = MaskStride(kSide);
  const std::uint32_t image_bytes = kColourStride * kSide + mask_stride * kSide;
  const std::uint32_t resource_bytes = kInfoHeaderSize + kPaletteBytes + image_bytes;

  std::vector<std::uint8_t> out;
  PutDirectory(out, 2, 1);
  PutDirectoryEntry(out, kSide, kSide, 16, 2, 4, resource_bytes, kDirectorySize + kEntrySize);
  PutInfoHeader(out, kSide, kSide, 4, image_bytes);
  // The standard 16-colour palette (blue, green, red, reserved).
  static const std::uint32_t kPalette[16] = {
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
      0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  for (std::uint32_t rgb : kPalette) {
    out.push_back(static_cast<std::uint8_t>(rgb));        // blue
    out.push_back(static_cast<std::uint8_t>(rgb >> 8));   // green
    out.push_back(static_cast<std::uint8_t>(rgb >> 16));  // red
    out.push_back(0);
  }
  constexpr int kBlackIndex = 0;
  constexpr int kWhiteIndex = 15;
  const std::vector<std::string> arrow = ArrowPixels();
  // Colour rows bottom-up: transparent pixels are black in the colour
  // bitmap and set in the mask.
  for (int y = kSide - 1; y >= 0; --y) {
    for (int x = 0; x < kSide; x += 2) {
      auto index = [&](int column) { return arrow[y][column] == 'o' ? kWhiteIndex : kBlackIndex; };
      out.push_back(static_cast<std::uint8_t>(index(x) << 4 | index(x + 1)));
    }
  }
  for (int y = kSide - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(mask_stride, 0);
    for (int x = 0; x < kSide; ++x) {
      if (arrow[y][x] != 'X' && arrow[y][x] != 'o') row[x / 8] |= 0x80 >> (x % 8);
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

std::vector<std::uint8_t> MakeIconFile(const std::vector<RgbaImage>& images) {
  std::vector<std::vector<std::uint8_t>> resources;
  for (const RgbaImage& image : images) {
    if (image.width < 1 || image.width > 256 || image.height < 1 || image.height > 256) {
      throw std::runtime_error("icon images are 1 to 256 pixels a side");
    }
    const int mask_stride = MaskStride(image.width);
    const std::uint32_t image_bytes =
        static_cast<std::uint32_t>(image.width * 4 * image.height + mask_stride * image.height);
    std::vector<std::uint8_t> res;
    PutInfoHeader(res, image.width, image.height, 32, image_bytes);
    for (int y = image.height - 1; y >= 0; --y) {
      for (int x = 0; x < image.width; ++x) {
        Put32(res, image.pixels[static_cast<std::size_t>(y) * image.width + x]);  // B G R A
      }
    }
    // The mask marks fully transparent pixels, for readers that ignore alpha.
    for (int y = image.height - 1; y >= 0; --y) {
      std::vector<std::uint8_t> row(mask_stride, 0);
      for (int x = 0; x < image.width; ++x) {
        if (image.pixels[static_cast<std::size_t>(y) * image.width + x] >> 24 == 0) {
          row[x / 8] |= 0x80 >> (x % 8);
        }
      }
      res.insert(res.end(), row.begin(), row.end());
    }
    resources.push_back(std::move(res));
  }

  std::vector<std::uint8_t> out;
  PutDirectory(out, 1, static_cast<int>(images.size()));
  std::uint32_t offset = kDirectorySize + kEntrySize * static_cast<std::uint32_t>(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    PutDirectoryEntry(out, images[i].width, images[i].height, 0, 1, 32,
                      static_cast<std::uint32_t>(resources[i].size()), offset);
    offset += static_cast<std::uint32_t>(resources[i].size());
  }
  for (const auto& res : resources) out.insert(out.end(), res.begin(), res.end());
  return out;
}

}  // namespace picgen
