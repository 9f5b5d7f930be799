// Reads a Windows cursor file (one image, 1 to 8 or 32 bits per pixel with
// an AND mask) into pixels and an opacity mask, as the fake canvas draws it.
#pragma once

#include <optional>
#include <vector>

#include "gif/bitmap_file.h"

namespace platform::fake {

struct CursorPicture {
  framelark::PixelImage image;
  std::vector<bool> opaque;  // one entry per pixel, row-major from the top
  int hotspotX = 0;
  int hotspotY = 0;
};

std::optional<CursorPicture> ReadCursorFile(const std::vector<std::uint8_t>& bytes);

}  // namespace platform::fake
