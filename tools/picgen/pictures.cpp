#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "text.h"

namespace picgen {
namespace {

// The inclusive pixel box a piece of text must keep its ink in.
struct Box {
  int left, top, right, bottom;
};

// Puts one-bit text on the canvas from pen position `pen_x` on the baseline
// `baseline`, and checks that its ink stays inside `box`.
void PlaceCrispText(PixelImage& image, const TextMask& mask, int pen_x, int baseline,
                    const Box& box, std::uint32_t colour) {
  const int left = pen_x + mask.left;
  const int top = baseline + mask.top;
  if (left < box.left || top < box.top || left + mask.width - 1 > box.right ||
      top + mask.height - 1 > box.bottom) {
    throw std::runtime_error("caption ink " + std::to_string(mask.width) + " x " +
                             std::to_string(mask.height) + " at " + std::to_string(left) + ", " +
                             std::to_string(top) + " leaves its box");
  }
  for (int y = 0; y < mask.height; ++y) {
    for (int x = 0; x < mask.width; ++x) {
      if (mask.At(x, y) >= 128) image.At(left + x, top + y) = colour;
    }
  }
}

// The title: anti-aliased, white in its top row fading to grey in its
// bottom row, its ink filling the box x0..x1, y0..y1 as closely as the font
// allows (horizontally centred in what remains).
void DrawTitle(PixelImage& image, const FontFiles& fonts, const std::u32string& text, int x0,
               int y0, int x1, int y1) {
  const int box_width = x1 - x0 + 1;
  const int box_height = y1 - y0 + 1;
  Font font(fonts.title, 0);
  // The tallest em whose ink fits the rows, then the widest em that fits
  // the columns.
  double em_height = 20;
  for (; em_height > 4; em_height -= 0.125) {
    font.UseSize(em_height, em_height);
    if (font.Render(text).height <= box_height) break;
  }
  double em_width = em_height * 1.5;
  TextMask mask;
  for (; em_width > 2; em_width -= 1.0 / 32) {
    font.UseSize(em_width, em_height);
    mask = font.Render(text);
    if (mask.width <= box_width && mask.height <= box_height) break;
  }
  constexpr int kTopGrey = 255;
  constexpr int kBottomGrey = 128;
  constexpr int kCoverSteps = 12;
  const int left = x0 + (box_width - mask.width) / 2;
  for (int y = 0; y < mask.height; ++y) {
    const int row = y0 + y;
    const double fade = static_cast<double>(row - y0) / std::max(1, box_height - 1);
    const int grey = static_cast<int>(std::lround(kTopGrey + (kBottomGrey - kTopGrey) * fade));
    for (int x = 0; x < mask.width; ++x) {
      const double t = Quantise(mask.At(x, y) / 255.0, kCoverSteps);
      if (t > 0) image.At(left + x, row) = Mix(image.At(left + x, row), Rgb(grey, grey, grey), t);
    }
  }
}

// The emblem at size x size pixels, gold on black.
PixelImage DrawEmblem(int size) {
  PixelImage emblem(size, size, kBlack);
  const double unit = 24.0 / size;
  PaintShape(
      emblem, [unit](double x, double y) { return EmblemInk(x * unit, y * unit); }, kGold);
  return emblem;
}

void Blit(PixelImage& target, const PixelImage& source, int left, int top) {
  for (int y = 0; y < source.height; ++y) {
    for (int x = 0; x < source.width; ++x) target.At(left + x, top + y) = source.At(x, y);
  }
}

}  // namespace

bool EmblemInk(double u, double v, bool sprockets) {
  // The lark, seen from below: wings raised in a shallow M, head, fanned tail.
  static const std::vector<std::pair<double, double>> kLark = {
      // upper edge, left wing tip to right wing tip over the head
      {2.8, 9.8},
      {5.0, 7.6},
      {7.5, 7.3},
      {10.0, 9.3},
      {11.2, 10.4},
      {11.3, 9.5},
      {12.0, 8.8},
      {12.7, 9.5},
      {12.8, 10.4},
      {14.0, 9.3},
      {16.5, 7.3},
      {19.0, 7.6},
      {21.2, 9.8},
      // lower edge back, round the fanned tail
      {18.6, 9.3},
      {16.5, 9.1},
      {14.2, 11.6},
      {13.3, 13.3},
      {14.2, 16.6},
      {12.0, 15.6},
      {9.8, 16.6},
      {10.7, 13.3},
      {9.8, 11.6},
      {7.5, 9.1},
      {5.4, 9.3}};
  if (InsidePolygon(kLark, u, v)) return true;
  if (!InsideRoundedRect(0, 0, 24, 24, 3, u, v)) return false;
  // The frame's window.
  if (u >= 2 && u < 22 && v >= 6 && v < 18) return false;
  // Five sprocket holes above and below the window.
  const bool hole_row = (v >= 2 && v < 4) || (v >= 20 && v < 22);
  if (sprockets && hole_row && u >= 3 && u < 21 && std::fmod(u - 3, 4.0) < 2) return false;
  return true;
}

PixelImage DrawSkin(const FontFiles& fonts) {
  constexpr int kWidth = 332;
  constexpr int kHeight = 167;
  PixelImage skin(kWidth, kHeight, kBlack);
  const int right = kWidth - 2;  // a one-pixel black margin on both sides

  Blit(skin, DrawEmblem(24), 8, 3);
  DrawTitle(skin, fonts, U"Quellor Framelark", 39, 10, 145, 20);

  Font cjk(fonts.cjk, fonts.cjk_sharp_face);
  cjk.UseStrike(12);
  // Caption of the colour picker, level with it.
  // The 12-pixel strike draws each character in an 11 x 11 cell 10 rows
  // above the baseline and 12 pixels apart.
  PlaceCrispText(skin, cjk.Render(U"选择颜色"), 182, 19, {182, 9, 228, 19}, kGold);
  // Captions of the option boxes, each a few pixels right of its box.
  struct Caption {
    std::u32string text;
    int left, right;
  };
  const Caption captions[] = {{U"全屏录制", 24, 70},
                              {U"窗口录制", 91, 137},
                              {U"区域录制", 161, 207},
                              {U"跟踪录制", 230, 276},
                              {U"水印", 299, 321}};
  for (const Caption& c : captions) {
    PlaceCrispText(skin, cjk.Render(c.text), c.left, 150, {c.left, 140, c.right, 150}, kGold);
  }

  // Hazard band: diagonal stripes eight pixels wide.
  constexpr int kBandTop = 30;
  constexpr int kBandBottom = 45;
  constexpr int kStripe = 8;
  auto band_is_gold = [](int x, int y) { return (x + y) / kStripe % 2 == 0; };
  for (int y = kBandTop; y <= kBandBottom; ++y) {
    for (int x = 1; x <= right; ++x) skin.At(x, y) = band_is_gold(x, y) ? kGold : kStripeGrey;
  }
  // Its reflection: the gold stripes mirrored below the band in a darker
  // gold that fades towards black; the grey stripes vanish.
  constexpr int kReflectionRows = 12;
  for (int i = 0; i < kReflectionRows; ++i) {
    const int y = kBandBottom + 1 + i;
    const int mirrored = kBandBottom - i;
    const double strength = 1.0 - static_cast<double>(i) / kReflectionRows;
    for (int x = 1; x <= right; ++x) {
      if (band_is_gold(x, mirrored)) skin.At(x, y) = Scale(kReflectionGold, strength);
    }
  }

  // Gold bar along the bottom, darker at its top.
  constexpr int kBarFirst = 158;
  constexpr int kBarLast = 165;
  for (int y = kBarFirst; y <= kBarLast; ++y) {
    const double t = static_cast<double>(y - kBarFirst) / (kBarLast - kBarFirst);
    FillRect(skin, 1, y, right, y, Mix(kBarTop, kBarBottom, t));
  }
  return skin;
}

PixelImage DrawButton(const FontFiles& fonts, const std::u32string& caption, ButtonLook look) {
  constexpr int kWidth = 61;
  constexpr int kHeight = 27;
  constexpr int kTopGrey = 77;
  constexpr int kBottomGrey = 52;
  PixelImage button(kWidth, kHeight, kBlack);
  for (int y = 0; y < kHeight; ++y) {
    const int grey = static_cast<int>(
        std::lround(kTopGrey + (kBottomGrey - kTopGrey) * static_cast<double>(y) / (kHeight - 1)));
    for (int x = 0; x < kWidth; ++x) {
      // Whole pixels only, so the corners stay black and the face keeps its greys.
      if (InsideRoundedRect(0, 0, kWidth, kHeight, 5, x + 0.5, y + 0.5)) {
        button.At(x, y) = Rgb(grey, grey, grey);
      }
    }
  }

  Font cjk(fonts.cjk, fonts.cjk_sharp_face);
  constexpr int kPpem = 14;
  cjk.UseStrike(kPpem);
  const TextMask mask = cjk.Render(caption);
  // Both characters share the baseline of a 14-pixel line centred on the face.
  const int baseline = (kHeight - (kPpem - 1)) / 2 + (kPpem - 2);
  const int pen_x = (kWidth - mask.width) / 2 - mask.left;
  const std::uint32_t colour = look == ButtonLook::kNormal  ? kGold
                               : look == ButtonLook::kHover ? kLightYellow
                                                            : kDisabledGrey;
  PlaceCrispText(button, mask, pen_x, baseline, {3, 3, kWidth - 4, kHeight - 4}, colour);
  return button;
}

PixelImage DrawTitleButton(TitleButton which, bool hover) {
  constexpr int kSize = 15;
  constexpr double kCentre = kSize / 2.0;
  PixelImage button(kSize, kSize, kBlack);
  const Shape mark =
      which == TitleButton::kMinimise
          ? Shape([](double x, double y) { return x >= 4 && x < 11 && y >= 6.5 && y < 8.5; })
          : Shape([](double x, double y) {
              constexpr double kHalf = 0.85;
              return SegmentDistance(4.5, 4.5, 10.5, 10.5, x, y) < kHalf ||
                     SegmentDistance(4.5, 10.5, 10.5, 4.5, x, y) < kHalf;
            });
  const Shape ink = [&mark](double x, double y) {
    const double dx = x - kCentre;
    const double dy = y - kCentre;
    return dx * dx + dy * dy <= kCentre * kCentre && !mark(x, y);
  };
  PaintShape(button, ink, hover ? kLightYellow : kGold);
  return button;
}

PixelImage DrawCrosshair(std::uint32_t plus_colour) {
  constexpr int kSize = 52;
  PixelImage box(kSize, kSize, kBlack);
  FillRect(box, 0, 0, kSize - 1, 0, kGold);
  FillRect(box, 0, kSize - 1, kSize - 1, kSize - 1, kGold);
  FillRect(box, 0, 0, 0, kSize - 1, kGold);
  FillRect(box, kSize - 1, 0, kSize - 1, kSize - 1, kGold);
  FillRect(box, 22, 5, 29, 46, plus_colour);
  FillRect(box, 5, 22, 46, 29, plus_colour);
  return box;
}

RgbaImage DrawIcon(int size) {
  constexpr std::uint32_t kTile = Rgb(30, 25, 16);
  constexpr int kSamples = 16;
  const double s = size;
  const bool sprockets = size >= 24;
  const double margin = sprockets ? s / 10 : 1;
  const double unit = 24.0 / (s - 2 * margin);
  RgbaImage icon{size, size, std::vector<std::uint32_t>(static_cast<std::size_t>(size) * size)};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      int tile = 0;
      int gold = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double px = x + (sx + 0.5) / kSamples;
          const double py = y + (sy + 0.5) / kSamples;
          if (!InsideRoundedRect(0, 0, s, s, s * 0.22, px, py)) continue;
          ++tile;
          if (EmblemInk((px - margin) * unit, (py - margin) * unit, sprockets)) ++gold;
        }
      }
      const int alpha = static_cast<int>(std::lround(255.0 * tile / (kSamples * kSamples)));
      const std::uint32_t colour =
          tile > 0 ? Mix(kTile, kGold, static_cast<double>(gold) / tile) : kBlack;
      icon.pixels[static_cast<std::size_t>(y) * size + x] =
          static_cast<std::uint32_t>(alpha) << 24 | colour;
    }
  }
  return icon;
}

}  // namespace picgen
