// The program's pictures, each drawn from scratch.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "draw.h"

namespace picgen {

// Where the fonts come from: the CJK captions use the embedded bitmap
// strikes of WenQuanYi Zen Hei Sharp (face 2 of the collection), the title
// the outlines of DejaVu Sans Bold.
struct FontFiles {
  std::string cjk = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";
  int cjk_sharp_face = 2;
  std::string title = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
};

// Background of the main window, 332 x 167.
PixelImage DrawSkin(const FontFiles& fonts);

enum class ButtonLook { kNormal, kHover, kDisabled };
// A 61 x 27 push button bearing a two-character caption.
PixelImage DrawButton(const FontFiles& fonts, const std::u32string& caption, ButtonLook look);

enum class TitleButton { kMinimise, kClose };
// A 15 x 15 title-bar button: a disc with a black mark.
PixelImage DrawTitleButton(TitleButton which, bool hover);

// The 52 x 52 crosshair box with its plus sign in `plus_colour`.
PixelImage DrawCrosshair(std::uint32_t plus_colour);

// The emblem's gold ink: a film frame with sprocket holes framing a lark in
// flight, on a 24 x 24 design grid; (u, v) in grid units. Small renderings
// leave the sprocket holes out, which would only blur.
bool EmblemInk(double u, double v, bool sprockets = true);

// Pixels with alpha, as 0xAARRGGBB words, top row first.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// The program icon at size x size pixels: the emblem in gold on a dark
// rounded tile, transparent outside the tile.
RgbaImage DrawIcon(int size);

}  // namespace picgen
