// The GIF pictures in shell/pictures, decoded and held against what the
// window expects of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "picture_files.h"

namespace framelark::pictures_test {
namespace {

struct GifShape {
  const char* name;
  int width, height;
  std::vector<int> delays;  // one per frame; empty for a still
};

const GifShape kGifs[] = {
    {"skin.gif", 332, 167, {}},
    {"start_normal.gif", 61, 27, {}},
    {"start_hover.gif", 61, 27, {}},
    {"start_disabled.gif", 61, 27, {}},
    {"stop_normal.gif", 61, 27, {}},
    {"stop_hover.gif", 61, 27, {}},
    {"stop_disabled.gif", 61, 27, {}},
    {"save_normal.gif", 61, 27, {}},
    {"save_hover.gif", 61, 27, {}},
    {"save_disabled.gif", 61, 27, {}},
    {"about_normal.gif", 61, 27, {}},
    {"about_hover.gif", 61, 27, {}},
    {"about_disabled.gif", 61, 27, {}},
    {"minimise_normal.gif", 15, 15, {}},
    {"minimise_hover.gif", 15, 15, {}},
    {"close_normal.gif", 15, 15, {}},
    {"close_hover.gif", 15, 15, {}},
    {"crosshair_idle.gif", 52, 52, {50, 50}},
    {"crosshair_recording.gif", 52, 52, {}},
};

TEST(GifPictures, SizeFramesDelaysAndEndlessLoop) {
  for (const GifShape& shape : kGifs) {
    SCOPED_TRACE(shape.name);
    const DecodedGif gif = DecodePicture(shape.name);
    EXPECT_EQ(gif.width, shape.width);
    EXPECT_EQ(gif.height, shape.height);
    EXPECT_EQ(gif.loop_count, 0);
    const std::size_t frames = shape.delays.empty() ? 1 : shape.delays.size();
    ASSERT_EQ(gif.frames.size(), frames);
    for (std::size_t i = 0; i < shape.delays.size(); ++i) {
      EXPECT_EQ(gif.frames[i].delay, shape.delays[i]) << "frame " << i;
    }
    // Every frame shows the whole picture: nothing left unpainted.
    for (const DecodedFrame& frame : gif.frames) {
      const auto unpainted = std::count_if(frame.image.pixels.begin(), frame.image.pixels.end(),
                                           [](std::uint32_t p) { return p >> 24 != 0xFF; });
      EXPECT_EQ(unpainted, 0);
    }
  }
}

// ---------------------------------------------------------------------------
// The skin.

class SkinTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    const DecodedGif gif = DecodePicture("skin.gif");
    ASSERT_EQ(gif.frames.size(), 1u);
    skin_ = new PixelImage(gif.frames[0].image);
  }
  static void TearDownTestSuite() {
    delete skin_;
    skin_ = nullptr;
  }
  void SetUp() override { ASSERT_NE(skin_, nullptr); }

  static std::uint32_t At(int x, int y) { return ColourAt(*skin_, x, y); }
  static constexpr int kRight = 330;  // last column inside the black side margins

  static PixelImage* skin_;
};
PixelImage* SkinTest::skin_ = nullptr;

TEST_F(SkinTest, SideMarginsAreBlack) {
  for (int y = 0; y < skin_->height; ++y) {
    ASSERT_EQ(Hex(At(0, y)), Hex(kBlack)) << "row " << y;
    ASSERT_EQ(Hex(At(kRight + 1, y)), Hex(kBlack)) << "row " << y;
  }
}

TEST_F(SkinTest, HazardBandIsDiagonalGoldAndGreyStripes) {
  EXPECT_EQ(Hex(At(10, 29)), Hex(kBlack));
  for (int y = 30; y <= 45; ++y) {
    int gold = 0;
    int grey = 0;
    for (int x = 1; x <= kRight; ++x) {
      const std::uint32_t c = At(x, y);
      ASSERT_TRUE(c == kGold || c == kStripeGrey) << x << ", " << y << " is " << Hex(c);
      (c == kGold ? gold : grey) += 1;
      // Stripes run diagonally: up one row, one column on, same colour.
      if (y > 30 && x < kRight) {
        ASSERT_EQ(Hex(At(x + 1, y - 1)), Hex(c)) << x << ", " << y;
      }
    }
    EXPECT_GT(gold, kRight / 3) << "row " << y;
    EXPECT_GT(grey, kRight / 3) << "row " << y;
  }
}

TEST_F(SkinTest, ReflectionMirrorsTheGoldStripesFadingDownwards) {
  int previous_red = 256;
  for (int y = 46; y <= 57; ++y) {
    const int mirrored = 91 - y;  // row 46 mirrors 45, row 57 mirrors 34
    std::uint32_t row_colour = kBlack;
    for (int x = 1; x <= kRight; ++x) {
      const std::uint32_t c = At(x, y);
      if (At(x, mirrored) != kGold) {
        ASSERT_EQ(Hex(c), Hex(kBlack)) << x << ", " << y;
        continue;
      }
      ASSERT_NE(c, kBlack) << x << ", " << y;
      ASSERT_TRUE(IsShadeOf(c, kReflectionGold)) << x << ", " << y << " is " << Hex(c);
      if (row_colour == kBlack) row_colour = c;
      ASSERT_EQ(Hex(c), Hex(row_colour)) << "one shade per row; " << x << ", " << y;
    }
    if (y == 46) {
      EXPECT_EQ(Hex(row_colour), Hex(kReflectionGold));
    }
    EXPECT_LT(Red(row_colour), previous_red) << "row " << y << " should be darker";
    previous_red = Red(row_colour);
  }
}

TEST_F(SkinTest, BottomBarIsAGoldGradientFromTopToBottom) {
  const std::uint32_t top = Rgb(85, 63, 3);
  const std::uint32_t bottom = Rgb(169, 125, 5);
  int previous_red = 0;
  for (int y = 158; y <= 165; ++y) {
    const std::uint32_t row_colour = At(1, y);
    for (int x = 1; x <= kRight; ++x) ASSERT_EQ(Hex(At(x, y)), Hex(row_colour)) << x << ", " << y;
    EXPECT_GT(Red(row_colour), previous_red) << "row " << y;
    previous_red = Red(row_colour);
  }
  EXPECT_EQ(Hex(At(1, 158)), Hex(top));
  EXPECT_EQ(Hex(At(1, 165)), Hex(bottom));
  for (int x = 0; x <= kRight + 1; ++x) {
    EXPECT_EQ(Hex(At(x, 157)), Hex(kBlack)) << x;
    EXPECT_EQ(Hex(At(x, 166)), Hex(kBlack)) << x;
  }
}

struct Box {
  int left, top, right, bottom;
};

// The columns and rows holding pixels of `colour` inside `area`; left > right
// when there are none.
Box InkOf(const PixelImage& image, const Box& area, std::uint32_t colour) {
  Box ink{area.right + 1, area.bottom + 1, area.left - 1, area.top - 1};
  for (int y = area.top; y <= area.bottom; ++y) {
    for (int x = area.left; x <= area.right; ++x) {
      if (ColourAt(image, x, y) != colour) continue;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
    }
  }
  return ink;
}

TEST_F(SkinTest, OptionCaptionsAreCrispGoldInTheirBoxes) {
  // Each caption's box starts a few pixels right of its radio button or check box.
  const Box captions[] = {{24, 140, 70, 150},
                          {91, 140, 137, 150},
                          {161, 140, 207, 150},
                          {230, 140, 276, 150},
                          {299, 140, 321, 150}};
  for (int y = 139; y <= 151; ++y) {
    for (int x = 0; x <= kRight + 1; ++x) {
      const std::uint32_t c = At(x, y);
      const bool in_caption = std::any_of(std::begin(captions), std::end(captions), [&](auto& b) {
        return x >= b.left && x <= b.right && y >= b.top && y <= b.bottom;
      });
      if (in_caption) {
        ASSERT_TRUE(c == kGold || c == kBlack) << x << ", " << y << " is " << Hex(c);
      } else {
        ASSERT_EQ(Hex(c), Hex(kBlack)) << x << ", " << y;
      }
    }
  }
  for (const Box& box : captions) {
    SCOPED_TRACE(box.left);
    const Box ink = InkOf(*skin_, box, kGold);
    // The text fills its box, give or take a glyph's side bearing.
    EXPECT_LE(ink.left, box.left + 1);
    EXPECT_GE(ink.right, box.right - 1);
    EXPECT_EQ(ink.top, box.top);
    EXPECT_EQ(ink.bottom, box.bottom);
  }
}

TEST_F(SkinTest, ColourPickerCaptionIsGoldAndTheTitleBarRightOfItIsBlack) {
  const Box caption{182, 9, 228, 19};
  const Box ink = InkOf(*skin_, caption, kGold);
  EXPECT_EQ(ink.left, caption.left);
  EXPECT_EQ(ink.right, caption.right);
  // Beside the caption, up to the band: only black, where the colour picker
  // and the minimise and close buttons go.
  for (int y = 0; y <= 29; ++y) {
    for (int x = 146; x <= kRight + 1; ++x) {
      const bool in_caption =
          x >= caption.left && x <= caption.right && y >= caption.top && y <= caption.bottom;
      const std::uint32_t c = At(x, y);
      if (in_caption) {
        ASSERT_TRUE(c == kGold || c == kBlack) << x << ", " << y << " is " << Hex(c);
      } else {
        ASSERT_EQ(Hex(c), Hex(kBlack)) << x << ", " << y;
      }
    }
  }
}

TEST_F(SkinTest, TitleIsGreyTextFadingFromWhiteDownwards) {
  const Box title{39, 10, 145, 20};
  int row_max[21] = {};
  for (int y = 0; y <= 29; ++y) {
    for (int x = 32; x <= 145; ++x) {
      const std::uint32_t c = At(x, y);
      const bool inside = x >= title.left && y >= title.top && y <= title.bottom;
      if (!inside) {
        ASSERT_EQ(Hex(c), Hex(kBlack)) << x << ", " << y;
        continue;
      }
      ASSERT_TRUE(IsGrey(c)) << x << ", " << y << " is " << Hex(c);
      row_max[y] = std::max(row_max[y], Red(c));
    }
  }
  // The text spans its box, white near the top, grey at the bottom.
  EXPECT_GT(row_max[10], 0);
  EXPECT_GT(row_max[20], 0);
  EXPECT_EQ(*std::max_element(row_max + 10, row_max + 13), 255);
  EXPECT_LT(row_max[19], 160);
  EXPECT_LT(row_max[20], 160);
  for (int y = 11; y <= 20; ++y) EXPECT_LE(row_max[y], row_max[y - 1]) << "row " << y;
  int left = 146;
  int right = 38;
  for (int y = title.top; y <= title.bottom; ++y) {
    for (int x = title.left; x <= title.right; ++x) {
      if (At(x, y) == kBlack) continue;
      left = std::min(left, x);
      right = std::max(right, x);
    }
  }
  EXPECT_LE(left, title.left + 1);
  EXPECT_GE(right, title.right - 1);
}

TEST_F(SkinTest, EmblemIsGoldOnBlackInItsSquare) {
  const Box emblem{8, 3, 31, 26};
  int gold = 0;
  for (int y = 0; y <= 29; ++y) {
    for (int x = 0; x <= 31; ++x) {
      const std::uint32_t c = At(x, y);
      if (x < emblem.left || y < emblem.top || y > emblem.bottom) {
        ASSERT_EQ(Hex(c), Hex(kBlack)) << x << ", " << y;
        continue;
      }
      ASSERT_TRUE(IsShadeOf(c, kGold)) << x << ", " << y << " is " << Hex(c);
      if (c == kGold) ++gold;
    }
  }
  EXPECT_GT(gold, 24 * 24 / 3);
  const Box ink = InkOf(*skin_, emblem, kGold);
  EXPECT_EQ(ink.left, emblem.left);
  EXPECT_EQ(ink.right, emblem.right);
  EXPECT_EQ(ink.top, emblem.top);
  EXPECT_EQ(ink.bottom, emblem.bottom);
}

TEST_F(SkinTest, ControlAreaIsPlainBlack) {
  // Rows between the reflection and the option boxes: the crosshair box, the
  // four buttons and the status line sit there on plain black. Likewise the
  // strip between the option captions and the bar.
  for (int y = 58; y <= 157; ++y) {
    if (y >= 139 && y <= 151) continue;
    for (int x = 0; x <= kRight + 1; ++x) ASSERT_EQ(Hex(At(x, y)), Hex(kBlack)) << x << ", " << y;
  }
}

// ---------------------------------------------------------------------------
// The push buttons.

TEST(ButtonPictures, TextColourChangesWithTheStateAndNothingElseDoes) {
  std::vector<std::vector<bool>> text_masks;
  for (const char* button : {"start", "stop", "save", "about"}) {
    SCOPED_TRACE(button);
    const std::string name = button;
    const DecodedGif normal = DecodePicture(name + "_normal.gif");
    const DecodedGif hover = DecodePicture(name + "_hover.gif");
    const DecodedGif disabled = DecodePicture(name + "_disabled.gif");
    ASSERT_EQ(normal.frames.size(), 1u);
    ASSERT_EQ(hover.frames.size(), 1u);
    ASSERT_EQ(disabled.frames.size(), 1u);
    const PixelImage& n = normal.frames[0].image;
    const PixelImage& h = hover.frames[0].image;
    const PixelImage& d = disabled.frames[0].image;
    ASSERT_EQ(n.width, 61);
    ASSERT_EQ(n.height, 27);
    ASSERT_EQ(h.pixels.size(), n.pixels.size());
    ASSERT_EQ(d.pixels.size(), n.pixels.size());

    std::vector<bool> text(n.pixels.size(), false);
    int text_pixels = 0;
    for (int y = 0; y < n.height; ++y) {
      for (int x = 0; x < n.width; ++x) {
        const std::uint32_t cn = ColourAt(n, x, y);
        const std::uint32_t ch = ColourAt(h, x, y);
        const std::uint32_t cd = ColourAt(d, x, y);
        if (cn == kGold) {
          // Text: one colour per state.
          ASSERT_EQ(Hex(ch), Hex(kLightYellow)) << x << ", " << y;
          ASSERT_EQ(Hex(cd), Hex(kDisabledGrey)) << x << ", " << y;
          text[static_cast<std::size_t>(y) * n.width + x] = true;
          ++text_pixels;
          // Text sits on the face, clear of its rounded edge.
          EXPECT_TRUE(x >= 3 && x <= 57 && y >= 3 && y <= 23) << x << ", " << y;
        } else {
          // The face: the same in all three pictures, black or a dark grey.
          ASSERT_EQ(Hex(ch), Hex(cn)) << x << ", " << y;
          ASSERT_EQ(Hex(cd), Hex(cn)) << x << ", " << y;
          ASSERT_TRUE(cn == kBlack || (IsGrey(cn) && Red(cn) >= 52 && Red(cn) <= 77))
              << x << ", " << y << " is " << Hex(cn);
        }
      }
    }
    EXPECT_GT(text_pixels, 40);
    // Rounded corners on black; the face reaches the middle of each side.
    for (auto [x, y] : {std::pair{0, 0}, {60, 0}, {0, 26}, {60, 26}}) {
      EXPECT_EQ(Hex(ColourAt(n, x, y)), Hex(kBlack)) << x << ", " << y;
    }
    for (auto [x, y] : {std::pair{30, 0}, {30, 26}, {0, 13}, {60, 13}}) {
      EXPECT_NE(Hex(ColourAt(n, x, y)), Hex(kBlack)) << x << ", " << y;
    }
    text_masks.push_back(text);
  }
  // Four different captions.
  for (std::size_t i = 0; i < text_masks.size(); ++i) {
    for (std::size_t j = i + 1; j < text_masks.size(); ++j) {
      EXPECT_NE(text_masks[i], text_masks[j]) << i << " and " << j;
    }
  }
}

// ---------------------------------------------------------------------------
// Minimise and close.

struct TitleButtonCase {
  const char* name;
  std::vector<std::pair<int, int>> mark;  // black in both pictures
  std::vector<std::pair<int, int>> disc;  // the disc's full colour
};

TEST(TitleButtonPictures, DiscWithABlackMarkLighterWhenHovered) {
  const TitleButtonCase cases[] = {
      {"minimise", {{4, 7}, {7, 7}, {10, 7}}, {{7, 3}, {7, 11}, {2, 7}, {12, 7}, {3, 4}}},
      {"close", {{5, 5}, {9, 9}, {5, 9}, {9, 5}, {7, 7}}, {{7, 3}, {7, 11}, {3, 7}, {11, 7}}},
  };
  for (const TitleButtonCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = c.name;
    const DecodedGif normal = DecodePicture(name + "_normal.gif");
    const DecodedGif hover = DecodePicture(name + "_hover.gif");
    ASSERT_EQ(normal.frames.size(), 1u);
    ASSERT_EQ(hover.frames.size(), 1u);
    const PixelImage& n = normal.frames[0].image;
    const PixelImage& h = hover.frames[0].image;
    ASSERT_EQ(h.pixels.size(), n.pixels.size());
    for (auto [x, y] : c.mark) {
      EXPECT_EQ(Hex(ColourAt(n, x, y)), Hex(kBlack)) << x << ", " << y;
      EXPECT_EQ(Hex(ColourAt(h, x, y)), Hex(kBlack)) << x << ", " << y;
    }
    for (auto [x, y] : c.disc) {
      EXPECT_EQ(Hex(ColourAt(n, x, y)), Hex(kGold)) << x << ", " << y;
      EXPECT_EQ(Hex(ColourAt(h, x, y)), Hex(kLightYellow)) << x << ", " << y;
    }
    for (int y = 0; y < n.height; ++y) {
      for (int x = 0; x < n.width; ++x) {
        const std::uint32_t cn = ColourAt(n, x, y);
        const std::uint32_t ch = ColourAt(h, x, y);
        // Only shades of the disc colour, and the same shape in both.
        ASSERT_TRUE(IsShadeOf(cn, kGold)) << x << ", " << y << " is " << Hex(cn);
        ASSERT_TRUE(IsShadeOf(ch, kLightYellow)) << x << ", " << y << " is " << Hex(ch);
        ASSERT_EQ(cn == kBlack, ch == kBlack) << x << ", " << y;
        ASSERT_EQ(cn == kGold, ch == kLightYellow) << x << ", " << y;
      }
    }
    EXPECT_EQ(Hex(ColourAt(n, 0, 0)), Hex(kBlack));
    EXPECT_EQ(Hex(ColourAt(n, 14, 14)), Hex(kBlack));
  }
}

// ---------------------------------------------------------------------------
// The crosshair box.

// Where the box's pixels differ from the expected drawing: a gold one-pixel
// border, the plus (x 22-29 from y 5 to 46, y 22-29 from x 5 to 46) in
// `plus`, black elsewhere.
std::string CrosshairMismatch(const PixelImage& image, std::uint32_t plus) {
  if (image.width != 52 || image.height != 52) return "wrong size";
  for (int y = 0; y < 52; ++y) {
    for (int x = 0; x < 52; ++x) {
      const bool border = x == 0 || y == 0 || x == 51 || y == 51;
      const bool bar =
          (x >= 22 && x <= 29 && y >= 5 && y <= 46) || (y >= 22 && y <= 29 && x >= 5 && x <= 46);
      const std::uint32_t want = border ? kGold : bar ? plus : kBlack;
      const std::uint32_t got = ColourAt(image, x, y);
      if (got != want) {
        return std::to_string(x) + ", " + std::to_string(y) + " is " + Hex(got) + ", not " +
               Hex(want);
      }
    }
  }
  return "";
}

TEST(CrosshairPictures, IdleBlinksWhiteThenGold) {
  const DecodedGif idle = DecodePicture("crosshair_idle.gif");
  ASSERT_EQ(idle.frames.size(), 2u);
  EXPECT_EQ(CrosshairMismatch(idle.frames[0].image, kWhite), "");
  EXPECT_EQ(CrosshairMismatch(idle.frames[1].image, kGold), "");
}

TEST(CrosshairPictures, RecordingIsGold) {
  const DecodedGif recording = DecodePicture("crosshair_recording.gif");
  ASSERT_EQ(recording.frames.size(), 1u);
  EXPECT_EQ(CrosshairMismatch(recording.frames[0].image, kGold), "");
}

}  // namespace
}  // namespace framelark::pictures_test
