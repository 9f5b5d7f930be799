// Frame difference: which part of a new frame differs from the previous one.
#pragma once

#include <cstdint>
#include <vector>

#include "gif/bitmap_file.h"

namespace framelark {

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
  bool operator==(const Rect& o) const {
    return x == o.x && y == o.y && width == o.width && height == o.height;
  }
};

// Draws `frame` onto `canvas` at 0, 0, cut to the canvas; the rest of the
// canvas keeps its pixels.
void PlaceFrame(const PixelImage& frame, PixelImage& canvas);

// The smallest rectangle holding every pixel that differs between two
// pictures of the same size; empty when they are equal.
Rect ChangedBounds(const PixelImage& before, const PixelImage& after);

// Copies the pixels of `rect` out of `image`, row by row.
void CopyRect(const PixelImage& image, const Rect& rect, std::vector<std::uint32_t>& out);

// One byte per pixel of `rect`: 1 where `after` differs from `before`.
void ChangedMask(const PixelImage& before, const PixelImage& after, const Rect& rect,
                 std::vector<std::uint8_t>& mask);

}  // namespace framelark
