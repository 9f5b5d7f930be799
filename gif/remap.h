// Remap stage: turns a rectangle's pixels into colour indices, exactly or
// to the nearest palette colour with error diffusion where it helps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gif/gif_blocks.h"
#include "gif/lzw.h"
#include "gif/palette.h"

namespace framelark {

// Squared distance of two 0x00RRGGBB colours, summed over the channels.
inline int ColorDistance(std::uint32_t a, std::uint32_t b) {
  const int dr = static_cast<int>((a >> 16) & 0xFF) - static_cast<int>((b >> 16) & 0xFF);
  const int dg = static_cast<int>((a >> 8) & 0xFF) - static_cast<int>((b >> 8) & 0xFF);
  const int db = static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF);
  return dr * dr + dg * dg + db * db;
}

// Nearest palette colour search, exact (ties go to the lowest index).
//
// Nearest() searches the palette sorted by green outwards from the query's
// green until no closer colour can follow. Find() is the form for whole
// frames: colours are cut into cells of 8 x 8 x 8, and the first query in a
// cell lists the few palette colours that can be nearest to any point of
// it; later queries in the cell scan only that list.
class NearestColor {
 public:
  NearestColor() = default;
  explicit NearestColor(const ColorTable& palette) { Reset(palette); }
  // Switches to another palette, keeping the cell table's storage.
  void Reset(const ColorTable& palette);

  int Nearest(std::uint32_t color) const {
    return Search(static_cast<int>((color >> 16) & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>(color & 0xFF));
  }

  // The palette indices that can be nearest to colours of `color`'s cell,
  // nearest to the cell's centre first; `count` of them.
  const std::uint8_t* Candidates(std::uint32_t color, int& count) {
    if (cell_start_.empty()) cell_start_.assign(kCells, kUnbuilt);
    const std::uint32_t cell =
        (color >> 9 & 0x7C00) | (color >> 6 & 0x03E0) | (color >> 3 & 0x001F);
    std::uint32_t start = cell_start_[cell];
    if (start == kUnbuilt) start = BuildCell(cell);
    count = candidates_[start] == 0 ? 256 : candidates_[start];
    return &candidates_[start + 1];
  }

  // For a list from Candidates: each candidate's squared least distance to
  // any colour of the cell, ascending with the list.
  const std::uint32_t* LeastDistances(const std::uint8_t* list) const {
    return &bounds_[static_cast<std::size_t>(list - candidates_.data())];
  }

  // Nearly the nearest colour: the exact answer for a point near the centre
  // of `color`'s cell of 4 x 4 x 4 colours, so at most 4 * sqrt(3) (about
  // seven levels) farther than the exact one. For error diffusion on colours
  // the palette fits loosely: the difference is carried on anyway.
  int FindNear(std::uint32_t color) {
    if (near_.empty()) near_.assign(kNearCells, kNearUnknown);
    const std::uint32_t cell =
        (color >> 6 & 0x3F000) | (color >> 4 & 0x00FC0) | (color >> 2 & 0x0003F);
    std::uint16_t index = near_[cell];
    if (index == kNearUnknown) {
      index = static_cast<std::uint16_t>(FindInCell((color & 0xFCFCFCu) | 0x020202u));
      near_[cell] = index;
      near_built_.push_back(cell);
    }
    return index;
  }

  int Find(std::uint32_t color) {
    // Recent answers by exact colour: neighbouring pixels repeat colours.
    const std::uint32_t key = (color & 0xFFFFFFu) | 0x01000000u;
    const std::size_t slot = ((color * 2654435761u) >> 19) & (kCacheSize - 1);
    if (cache_key_[slot] == key) return cache_value_[slot];
    const int index = FindInCell(color);
    cache_key_[slot] = key;
    cache_value_[slot] = static_cast<std::uint8_t>(index);
    return index;
  }

 private:
  int FindInCell(std::uint32_t color) {
    int count = 0;
    const std::uint8_t* list = Candidates(color, count);
    if (count == 1) return list[0];
    const std::uint32_t* bound = LeastDistances(list);
    const int r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
    int best = 1 << 30;
    int best_index = 0;
    for (int k = 0; k < count; ++k) {
      if (static_cast<int>(bound[k]) > best) break;
      const Color& e = colors_[list[k]];
      const int d = (e.r - r) * (e.r - r) + (e.g - g) * (e.g - g) + (e.b - b) * (e.b - b);
      if (d < best || (d == best && list[k] < best_index)) {
        best = d;
        best_index = list[k];
      }
    }
    return best_index;
  }

  int Search(int r, int g, int b) const;
  std::uint32_t BuildCell(std::uint32_t cell);
  struct Color {
    int r, g, b;
  };
  struct Entry {
    int r, g, b, index;
  };
  static constexpr std::size_t kNearCells = 1 << 18;
  static constexpr std::uint16_t kNearUnknown = 0xFFFF;
  std::vector<std::uint16_t> near_;  // by cell of 4 x 4 x 4, kNearUnknown until asked
  std::vector<std::uint32_t> near_built_;
  static constexpr std::size_t kCells = 1 << 15;
  static constexpr std::size_t kCacheSize = 1 << 13;
  std::vector<std::uint32_t> cache_key_ = std::vector<std::uint32_t>(kCacheSize, 0);
  std::vector<std::uint8_t> cache_value_ = std::vector<std::uint8_t>(kCacheSize, 0);
  static constexpr std::uint32_t kUnbuilt = 0xFFFFFFFFu;
  std::vector<Color> colors_;  // by palette index
  std::vector<Entry> sorted_;  // by green
  std::vector<std::uint32_t> cell_start_;
  std::vector<std::uint32_t> built_;  // cells with a list, to clear on Reset
  // Per built cell: count, then the candidates' indices by distance from
  // the cell's centre; bounds_ holds, at the same positions, the squared
  // least distance of each candidate to the cell.
  std::vector<std::uint8_t> candidates_;
  std::vector<std::uint32_t> bounds_;
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
// `nearest` must have been Reset to `palette`.
void RemapNearest(const std::uint32_t* pixels, const std::uint8_t* changed,
                  const std::uint8_t* dither, int width, int height, const ColorTable& palette,
                  NearestColor& nearest, int transparent, std::uint8_t* indices);

// For lossy LZW on quantised pixels: other palette colours whose squared
// distance to the pixel's colour is at most twice its own index's plus
// `slack`. Transparent pixels keep their index.
class NearColorAlternatives : public LzwAlternatives {
 public:
  NearColorAlternatives(const std::uint32_t* pixels, const std::uint8_t* indices,
                        const ColorTable& palette, NearestColor& nearest, int transparent,
                        int slack)
      : pixels_(pixels),
        indices_(indices),
        palette_(palette),
        nearest_(nearest),
        transparent_(transparent),
        slack_(slack) {}
  int Get(std::size_t i, std::uint8_t* out) override;
  int GetAllowed(std::size_t i, const std::uint64_t* allowed, std::uint8_t* out) override;

 private:
  const std::uint32_t* pixels_;
  const std::uint8_t* indices_;
  const ColorTable& palette_;
  NearestColor& nearest_;
  int transparent_;
  int slack_;
};

}  // namespace framelark
