#include "gif/frame_difference.h"

#include <algorithm>
#include <cstring>

namespace framelark {

void PlaceFrame(const PixelImage& frame, PixelImage& canvas) {
  const int w = std::min(frame.width, canvas.width);
  const int h = std::min(frame.height, canvas.height);
  if (w <= 0 || h <= 0) return;
  for (int y = 0; y < h; ++y) {
    std::memcpy(canvas.Row(y), frame.Row(y), sizeof(std::uint32_t) * w);
  }
}

Rect ChangedBounds(const PixelImage& before, const PixelImage& after) {
  Rect r;
  if (before.width != after.width || before.height != after.height) {
    return Rect{0, 0, after.width, after.height};
  }
  const int w = after.width;
  const int h = after.height;
  const std::size_t row_bytes = sizeof(std::uint32_t) * w;
  int top = 0;
  while (top < h && std::memcmp(before.Row(top), after.Row(top), row_bytes) == 0) ++top;
  if (top == h) return r;
  int bottom = h - 1;
  while (bottom > top && std::memcmp(before.Row(bottom), after.Row(bottom), row_bytes) == 0) {
    --bottom;
  }
  int left = w;
  int right = -1;
  for (int y = top; y <= bottom; ++y) {
    const std::uint32_t* a = before.Row(y);
    const std::uint32_t* b = after.Row(y);
    int x = 0;
    while (x < left && a[x] == b[x]) ++x;
    if (x < left) left = x;
    int xr = w - 1;
    while (xr > right && a[xr] == b[xr]) --xr;
    if (xr > right) right = xr;
  }
  r.x = left;
  r.y = top;
  r.width = right - left + 1;
  r.height = bottom - top + 1;
  return r;
}

void CopyRect(const PixelImage& image, const Rect& rect, std::vector<std::uint32_t>& out) {
  out.resize(static_cast<std::size_t>(rect.width) * rect.height);
  for (int y = 0; y < rect.height; ++y) {
    std::memcpy(&out[static_cast<std::size_t>(y) * rect.width], image.Row(rect.y + y) + rect.x,
                sizeof(std::uint32_t) * rect.width);
  }
}

void ChangedMask(const PixelImage& before, const PixelImage& after, const Rect& rect,
                 std::vector<std::uint8_t>& mask) {
  mask.resize(static_cast<std::size_t>(rect.width) * rect.height);
  std::uint8_t* m = mask.data();
  for (int y = 0; y < rect.height; ++y) {
    const std::uint32_t* a = before.Row(rect.y + y) + rect.x;
    const std::uint32_t* b = after.Row(rect.y + y) + rect.x;
    for (int x = 0; x < rect.width; ++x) *m++ = a[x] != b[x];
  }
}

}  // namespace framelark
