// Text through FreeType: a line of glyphs rendered into a coverage mask
// whose box is the ink of the line, placed on a canvas by its ink box.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace picgen {

// The rendered ink of one line of text.
struct TextMask {
  int width = 0;
  int height = 0;
  // Ink box relative to the pen start on the baseline (y grows downwards,
  // so `top` is negative for ink above the baseline).
  int left = 0;
  int top = 0;
  std::vector<std::uint8_t> cover;  // 0..255, row-major, width * height

  std::uint8_t At(int x, int y) const { return cover[static_cast<std::size_t>(y) * width + x]; }
};

class Font {
 public:
  // Opens face number `face_index` of the font file; throws
  // std::runtime_error when FreeType cannot.
  Font(const std::string& path, int face_index);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Selects the face's embedded bitmap strike of `ppem` pixels; throws when
  // there is none. Glyphs then come out as hand-tuned one-bit bitmaps.
  void UseStrike(int ppem);
  // Scales the outlines to an em of width x height pixels (fractions
  // allowed); glyphs then come out anti-aliased.
  void UseSize(double width, double height);

  // Lays `text` out from pen position 0 on the baseline, with kerning, and
  // renders it. Empty text gives an empty mask.
  TextMask Render(const std::u32string& text) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace picgen
