#include "text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <stdexcept>

namespace picgen {

struct Font::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  bool strike = false;
};

Font::Font(const std::string& path, int face_index) : impl_(std::make_unique<Impl>()) {
  if (FT_Init_FreeType(&impl_->library) != 0) throw std::runtime_error("FreeType will not start");
  if (FT_New_Face(impl_->library, path.c_str(), face_index, &impl_->face) != 0) {
    FT_Done_FreeType(impl_->library);
    throw std::runtime_error("cannot open font " + path);
  }
}

Font::~Font() {
  FT_Done_Face(impl_->face);
  FT_Done_FreeType(impl_->library);
}

void Font::UseStrike(int ppem) {
  FT_Face face = impl_->face;
  for (int i = 0; i < face->num_fixed_sizes; ++i) {
    if ((face->available_sizes[i].y_ppem + 32) >> 6 == ppem && FT_Select_Size(face, i) == 0) {
      impl_->strike = true;
      return;
    }
  }
  throw std::runtime_error("font has no " + std::to_string(ppem) + " pixel bitmap strike");
}

void Font::UseSize(double width, double height) {
  const auto w = static_cast<FT_F26Dot6>(std::lround(width * 64));
  const auto h = static_cast<FT_F26Dot6>(std::lround(height * 64));
  if (FT_Set_Char_Size(impl_->face, w, h, 72, 72) != 0) {
    throw std::runtime_error("font cannot be scaled");
  }
  impl_->strike = false;
}

TextMask Font::Render(const std::u32string& text) const {
  FT_Face face = impl_->face;
  const FT_Int32 flags = impl_->strike ? FT_LOAD_RENDER | FT_LOAD_MONOCHROME | FT_LOAD_TARGET_MONO
                                       : FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT;

  struct Placed {
    int x, y, width, height;
    std::vector<std::uint8_t> cover;
  };
  std::vector<Placed> glyphs;
  long pen = 0;  // 26.6
  FT_UInt previous = 0;
  for (char32_t ch : text) {
    const FT_UInt index = FT_Get_Char_Index(face, ch);
    if (index == 0) throw std::runtime_error("font lacks a glyph for U+" + std::to_string(ch));
    if (previous != 0 && FT_HAS_KERNING(face)) {
      FT_Vector kern;
      if (FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kern) == 0) pen += kern.x;
    }
    if (FT_Load_Glyph(face, index, flags) != 0) throw std::runtime_error("glyph will not render");
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    Placed placed{static_cast<int>((pen + 32) >> 6) + slot->bitmap_left,
                  -slot->bitmap_top,
                  static_cast<int>(bitmap.width),
                  static_cast<int>(bitmap.rows),
                  {}};
    placed.cover.resize(static_cast<std::size_t>(placed.width) * placed.height);
    for (int y = 0; y < placed.height; ++y) {
      const unsigned char* row = bitmap.buffer + static_cast<long>(y) * bitmap.pitch;
      for (int x = 0; x < placed.width; ++x) {
        std::uint8_t value = 0;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
          value = (row[x / 8] >> (7 - x % 8) & 1) ? 255 : 0;
        } else {
          value = row[x];
        }
        placed.cover[static_cast<std::size_t>(y) * placed.width + x] = value;
      }
    }
    glyphs.push_back(std::move(placed));
    pen += slot->advance.x;
    previous = index;
  }

  // The ink box: rows and columns holding any covered pixel.
  int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
  for (const Placed& g : glyphs) {
    for (int y = 0; y < g.height; ++y) {
      for (int x = 0; x < g.width; ++x) {
        if (g.cover[static_cast<std::size_t>(y) * g.width + x] == 0) continue;
        x0 = std::min(x0, g.x + x);
        x1 = std::max(x1, g.x + x);
        y0 = std::min(y0, g.y + y);
        y1 = std::max(y1, g.y + y);
      }
    }
  }
  TextMask mask;
  if (x0 > x1) return mask;
  mask.left = x0;
  mask.top = y0;
  mask.width = x1 - x0 + 1;
  mask.height = y1 - y0 + 1;
  mask.cover.assign(static_cast<std::size_t>(mask.width) * mask.height, 0);
  for (const Placed& g : glyphs) {
    for (int y = 0; y < g.height; ++y) {
      for (int x = 0; x < g.width; ++x) {
        const std::uint8_t v = g.cover[static_cast<std::size_t>(y) * g.width + x];
        if (v == 0) continue;
        std::uint8_t& out =
            mask.cover[static_cast<std::size_t>(g.y + y - y0) * mask.width + (g.x + x - x0)];
        out = std::max(out, v);
      }
    }
  }
  return mask;
}

}  // namespace picgen
