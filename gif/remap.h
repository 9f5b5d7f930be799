// Remap stage: turns a rectangle's pixels into colour indices, exactly or
// to the nearest palette colour with error diffusion where it helps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gif/gif_blocks.h"
#include "gif/palette.h"

namespace framelark {

// Squared distance of two 0x00RRGGBB colours, summed over the channels.
inline int ColorDistance(std::uint32_t a, std::uint32_t b) {
  const int dr = static_cast<int>((a >> 16) & 0xFF) - static_cast<int>((b >> 16) & 0xFF);
  const int dg = static_cast<int>((a >> 8) & 0xFF) - static_cast<int>((b >> 8) & 0xFF);
  const int db = static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF);
  return dr * dr + dg * dg + db * db;
}

// Nearest palette colour search.
//
// Nearest() is exact (ties go to the lowest index): the palette is sorted by
// green and searched outwards from the query's green until no closer colour
// can follow. Find() is the fast form for whole frames: a table over colours
// cut to 6 bits per channel, each cell filled on first use with the colour
// nearest to the cell's centre; colours that are themselves in the palette
// always get their own index.
class NearestColor {
 public:
  explicit NearestColor(const ColorTable& palette);

  int Nearest(std::uint32_t color) const {
    return Search(static_cast<int>((color >> 16) & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>(color & 0xFF));
  }

  int Find(std::uint32_t color) {
    const std::uint32_t cell =
        (color >> 6 & 0x3F000) | (color >> 4 & 0x00FC0) | (color >> 2 & 0x0003F);
    std::uint16_t entry = table_[cell];
    if (entry & kUnbuilt) entry = BuildCell(cell);
    if (entry & kHoldsPaletteColor) {
      const int own = exact_.IndexOf(color);
      if (own >= 0) return own;
    }
    return entry & 0xFF;
  }

 private:
  int Search(int r, int g, int b) const;
  std::uint16_t BuildCell(std::uint32_t cell);
  struct Entry {
    int r, g, b, index;
  };
  static constexpr std::uint16_t kUnbuilt = 0x8000;
  static constexpr std::uint16_t kHoldsPaletteColor = 0x0100;
  std::vector<Entry> sorted_;
  std::vector<std::uint16_t> table_;
  ExactPalette exact_;
};

// Writes the index of each pixel of a width x height rectangle. Pixels whose
// `changed` byte is 0 are unchanged since the previous frame: they become
// `transparent` (when >= 0), except that an unchanged pixel whose colour the
// decoder already shows exactly (`shown_exact` non-null and 1 there) takes
// its own index when that continues the run of the pixel before it, which
// LZW then codes more cheaply.
void RemapExact(const std::uint32_t* pixels, const std::uint8_t* changed,
                const std::uint8_t* shown_exact, std::size_t count, const ExactPalette& palette,
                int transparent, std::uint8_t* indices);

// One byte per pixel: 1 where error diffusion is worth it (smoothly varying
// areas such as gradients and photos), 0 on flat areas and sharp edges such
// as text and window borders.
void DitherMask(const std::uint32_t* pixels, int width, int height,
                std::vector<std::uint8_t>& mask);

// Maps the changed pixels to their nearest palette colour; where `dither` is
// 1, with Floyd-Steinberg error diffusion between changed pixels. Unchanged
// pixels become `transparent`.
void RemapNearest(const std::uint32_t* pixels, const std::uint8_t* changed,
                  const std::uint8_t* dither, int width, int height, const ColorTable& palette,
                  int transparent, std::uint8_t* indices);

}  // namespace framelark
