// Palette stage: the colours a frame's pixels are stored with. Either the
// exact set of colours (when few enough) or a quantised palette.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gif/gif_blocks.h"

namespace framelark {

class NearestColor;

// The distinct colours of a pixel set, in order of first appearance, with a
// colour-to-index lookup.
class ExactPalette {
 public:
  ExactPalette();
  void Clear();
  // Adds the colours of the pixels whose `use` byte is non-zero (every pixel
  // when `use` is null). Returns false, leaving the palette in an undefined
  // state, as soon as more than `limit` distinct colours are seen.
  bool Add(const std::uint32_t* pixels, const std::uint8_t* use, std::size_t count,
           std::size_t limit);
  // Index of `color`, or -1 when it is not in the palette.
  int IndexOf(std::uint32_t color) const;
  const ColorTable& colors() const { return colors_; }
  std::size_t size() const { return colors_.size(); }

 private:
  bool Insert(std::uint32_t color, std::size_t limit);
  static constexpr std::size_t kSlots = 1024;  // power of two, 4x the largest palette
  std::vector<std::uint32_t> keys_;            // color | 0x01000000, 0 = empty
  std::vector<std::uint16_t> values_;
  ColorTable colors_;
};

// Colour statistics of a pixel set on a 64 x 64 x 64 grid: count and sum of
// each channel per cell, so cell means keep full precision.
struct ColorHistogram {
  struct Cell {
    std::uint32_t count;
    std::uint32_t color;  // mean colour, 0x00RRGGBB
  };
  std::vector<Cell> cells;  // non-empty cells only
  std::uint64_t total = 0;
};
// With `step` > 1, only every step-th pixel is counted.
ColorHistogram BuildHistogram(const std::uint32_t* pixels, const std::uint8_t* use,
                              std::size_t count, std::size_t step = 1);

// Wu's greedy orthogonal bipartition of the histogram into at most
// `max_colors` boxes, each box's mean as one palette colour.
ColorTable QuantizeWu(const ColorHistogram& histogram, int max_colors);

// Lloyd (k-means) iterations on the histogram's cell means, weighted by their
// counts, starting from `palette`.
void RefinePalette(const ColorHistogram& histogram, ColorTable& palette, int iterations);

// Lloyd iterations on the pixels themselves (every `step`-th used pixel),
// for the precision the histogram's cells cannot give.
// `nearest` is working storage; it is left Reset to the final palette.
void RefinePaletteOnPixels(const std::uint32_t* pixels, const std::uint8_t* use, std::size_t count,
                           std::size_t step, ColorTable& palette, int iterations,
                           NearestColor& nearest);

// Mean squared error per pixel (sum over the three channels) of the
// histogram's cell means mapped to their nearest palette colour.
double PaletteError(const ColorHistogram& histogram, const ColorTable& palette);
// The same with `nearest` already Reset to `palette` (its cell lists are
// kept for later searches).
double PaletteError(const ColorHistogram& histogram, const ColorTable& palette,
                    NearestColor& nearest);

}  // namespace framelark
