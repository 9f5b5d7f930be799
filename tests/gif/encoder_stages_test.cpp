// The encoder's stages alone, on small arrays: LZW, frame difference,
// palettes and remapping.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "gif/frame_difference.h"
#include "gif/gif_encoder.h"
#include "gif/lzw.h"
#include "gif/palette.h"
#include "gif/remap.h"
#include "tests/gif/gif_test_support.h"

namespace framelark {
namespace {

std::vector<std::uint8_t> RoundTrip(const std::vector<std::uint8_t>& indices, int min_code_size) {
  std::vector<std::uint8_t> codes;
  LzwEncoder encoder;
  encoder.Encode(indices.data(), indices.size(), min_code_size, codes);
  std::vector<std::uint8_t> back(indices.size() + 16, 0xEE);
  back.resize(LzwDecode(codes.data(), codes.size(), min_code_size, back.data(), back.size()));
  return back;
}

TEST(GifLzwTest, RoundTripsAcrossCodeWidthsAndTableResets) {
  std::mt19937 rng(11);
  const auto random = [&](std::size_t n, int bits) {
    std::vector<std::uint8_t> v(n);
    for (auto& x : v) x = static_cast<std::uint8_t>(rng() & ((1u << bits) - 1));
    return v;
  };
  const struct {
    const char* name;
    std::vector<std::uint8_t> indices;
    int min_code_size;
  } cases[] = {
      {"single", {3}, 2},
      {"two", {1, 1}, 2},
      {"long run fills the table", std::vector<std::uint8_t>(3000000, 1), 2},
      {"random 2-bit", random(70000, 2), 2},
      {"random 8-bit forces many clears", random(200000, 8), 8},
      {"random 5-bit", random(9000, 5), 5},
      {"short runs",
       [] {
         std::vector<std::uint8_t> v;
         for (int i = 0; i < 50000; ++i) v.push_back(static_cast<std::uint8_t>((i / 3) % 7));
         return v;
       }(),
       3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RoundTrip(c.indices, c.min_code_size), c.indices) << c.name;
  }
}

TEST(GifLzwTest, EncoderIsReusableAndChunkedInputGivesTheSameCodes) {
  std::vector<std::uint8_t> data(10000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>((i * 7) % 13);
  LzwEncoder encoder;
  std::vector<std::uint8_t> whole, again, chunked;
  encoder.Encode(data.data(), data.size(), 4, whole);
  encoder.Encode(data.data(), data.size(), 4, again);
  encoder.Begin(4, chunked);
  for (std::size_t i = 0; i < data.size(); i += 333) {
    encoder.Add(data.data() + i, std::min<std::size_t>(333, data.size() - i));
  }
  encoder.Finish();
  EXPECT_EQ(whole, again);
  EXPECT_EQ(whole, chunked);
  EXPECT_LT(whole.size(), data.size() / 4);
}

// Lets every pixel take the index one above its own, when there is one.
class NextIndexAllowed : public LzwAlternatives {
 public:
  explicit NextIndexAllowed(const std::vector<std::uint8_t>& original) : original_(original) {}
  int Get(std::size_t i, std::uint8_t* out) override {
    if (original_[i] >= 7) return 0;
    out[0] = static_cast<std::uint8_t>(original_[i] + 1);
    return 1;
  }

 private:
  const std::vector<std::uint8_t>& original_;
};

TEST(GifLzwTest, ApproximateCodingDecodesToTheIndicesItWroteBack) {
  std::mt19937 rng(21);
  std::vector<std::uint8_t> original(20000);
  // Noisy runs: each pixel is its run's value or one below.
  for (std::size_t i = 0; i < original.size(); ++i) {
    const int base = static_cast<int>((i / 40) % 7) + 1;
    original[i] = static_cast<std::uint8_t>(base - static_cast<int>(rng() % 2));
  }
  std::vector<std::uint8_t> exact_codes, lossy_codes;
  LzwEncoder encoder;
  encoder.Encode(original.data(), original.size(), 3, exact_codes);
  std::vector<std::uint8_t> coded = original;
  NextIndexAllowed alternatives(original);
  encoder.Begin(3, lossy_codes);
  encoder.AddApproximate(coded.data(), coded.size(), alternatives);
  encoder.Finish();
  std::vector<std::uint8_t> decoded(coded.size());
  ASSERT_EQ(LzwDecode(lossy_codes.data(), lossy_codes.size(), 3, decoded.data(), decoded.size()),
            coded.size());
  EXPECT_EQ(decoded, coded);
  std::size_t moved = 0;
  for (std::size_t i = 0; i < coded.size(); ++i) {
    ASSERT_TRUE(coded[i] == original[i] || coded[i] == original[i] + 1) << i;
    moved += coded[i] != original[i];
  }
  EXPECT_GT(moved, 0u);
  EXPECT_LT(lossy_codes.size(), exact_codes.size() * 3 / 4);
}

TEST(GifLzwTest, DecoderStopsAtBadCodes) {
  // Clear (4), then code 7 which no table holds yet.
  const std::uint8_t bad[] = {0x3C, 0x00};
  std::uint8_t out[8];
  EXPECT_EQ(LzwDecode(bad, sizeof bad, 2, out, sizeof out), 0u);
  EXPECT_EQ(LzwDecode(nullptr, 0, 2, out, sizeof out), 0u);
  EXPECT_EQ(LzwDecode(bad, sizeof bad, 12, out, sizeof out), 0u);
}

TEST(GifFrameDifferenceTest, BoundsOfChangedPixels) {
  const PixelImage base(7, 5, 0x111111);
  const struct {
    std::vector<std::pair<int, int>> changes;
    Rect expected;
  } cases[] = {
      {{}, Rect{}},
      {{{0, 0}}, Rect{0, 0, 1, 1}},
      {{{6, 4}}, Rect{6, 4, 1, 1}},
      {{{1, 3}, {5, 1}}, Rect{1, 1, 5, 3}},
      {{{0, 2}, {6, 2}}, Rect{0, 2, 7, 1}},
      {{{0, 0}, {6, 4}}, Rect{0, 0, 7, 5}},
  };
  for (const auto& c : cases) {
    PixelImage next = base;
    for (const auto& [x, y] : c.changes) next.At(x, y) = 0x222222;
    EXPECT_EQ(ChangedBounds(base, next), c.expected) << c.changes.size();
  }
}

TEST(GifFrameDifferenceTest, PlaceFrameCutsToCanvas) {
  PixelImage canvas(4, 3, 1);
  PlaceFrame(PixelImage(2, 5, 9), canvas);
  EXPECT_EQ(canvas.pixels, (std::vector<std::uint32_t>{9, 9, 1, 1, 9, 9, 1, 1, 9, 9, 1, 1}));
}

TEST(GifPaletteTest, ExactPaletteStopsPastItsLimit) {
  std::vector<std::uint32_t> pixels;
  for (std::uint32_t i = 0; i < 300; ++i) pixels.push_back(i * 0x010203 & 0xFFFFFF);
  ExactPalette palette;
  EXPECT_TRUE(palette.Add(pixels.data(), nullptr, 256, 256));
  EXPECT_EQ(palette.size(), 256u);
  for (std::size_t i = 0; i < 256; ++i) EXPECT_EQ(palette.IndexOf(pixels[i]), static_cast<int>(i));
  EXPECT_EQ(palette.IndexOf(pixels[299]), -1);
  palette.Clear();
  EXPECT_FALSE(palette.Add(pixels.data(), nullptr, 257, 256));
  // Masked-out pixels do not count.
  std::vector<std::uint8_t> use(300, 0);
  use[5] = use[299] = 1;
  palette.Clear();
  EXPECT_TRUE(palette.Add(pixels.data(), use.data(), 300, 2));
  EXPECT_EQ(palette.colors(), (ColorTable{pixels[5], pixels[299]}));
}

TEST(GifPaletteTest, QuantiserFindsClustersAndNearestSearchIsExact) {
  // Four tight clusters of colours: four palette entries reach them all.
  std::mt19937 rng(5);
  const std::uint32_t centres[] = {0x204080, 0xE0C020, 0x10F010, 0x808080};
  std::vector<std::uint32_t> pixels;
  for (int i = 0; i < 4000; ++i) {
    const std::uint32_t c = centres[i % 4];
    const auto jitter = [&](int shift) {
      return static_cast<std::uint32_t>(
                 std::clamp<int>(((c >> shift) & 0xFF) + rng() % 5 - 2, 0, 255))
             << shift;
    };
    pixels.push_back(jitter(16) | jitter(8) | jitter(0));
  }
  const ColorHistogram histogram = BuildHistogram(pixels.data(), nullptr, pixels.size());
  ColorTable palette = QuantizeWu(histogram, 4);
  RefinePalette(histogram, palette, 5);
  ASSERT_EQ(palette.size(), 4u);
  EXPECT_LT(PaletteError(histogram, palette), 8.0);
  // The sorted search agrees with a plain scan.
  ColorTable big = QuantizeWu(
      BuildHistogram(testing::PhotoPicture(64, 64, 1).pixels.data(), nullptr, 64 * 64), 255);
  NearestColor nearest(big);
  for (int i = 0; i < 5000; ++i) {
    const std::uint32_t c = rng() & 0xFFFFFF;
    int best = 0;
    for (std::size_t k = 1; k < big.size(); ++k) {
      if (ColorDistance(c, big[k]) < ColorDistance(c, big[best])) best = static_cast<int>(k);
    }
    EXPECT_EQ(ColorDistance(c, big[nearest.Nearest(c)]), ColorDistance(c, big[best]));
    // The cell-list form is exact too.
    EXPECT_EQ(ColorDistance(c, big[nearest.Find(c)]), ColorDistance(c, big[best]));
    // The near form is off by at most the reach of its small cell: two
    // levels per channel each way from the point the cell is answered for.
    const double reach = 2 * 2 * std::sqrt(3.0);
    EXPECT_LE(std::sqrt(ColorDistance(c, big[nearest.FindNear(c)])),
              std::sqrt(ColorDistance(c, big[best])) + reach + 1e-9)
        << std::hex << c;
  }
  // Palette colours always map to themselves.
  for (std::size_t k = 0; k < big.size(); ++k) EXPECT_EQ(big[nearest.Find(big[k])], big[k]);
}

TEST(GifPaletteTest, QuantisersBeatAUniformPalette) {
  // Two kinds of histogram: a few hundred cells along a colour curve (cut on
  // the cells) and tens of thousands spread through the cube (cut on the
  // grid). Either way 252 chosen colours beat a 6 x 7 x 6 uniform palette.
  std::mt19937 rng(9);
  std::vector<std::uint32_t> curve, cube;
  for (int i = 0; i < 40000; ++i) {
    const double t = (rng() % 10000) / 10000.0 * 6.283;
    const auto ch = [](double v) {
      return static_cast<std::uint32_t>(127.5 + 127.5 * std::sin(v));
    };
    curve.push_back(ch(t) << 16 | ch(t + 2.1) << 8 | ch(t + 4.2));
    cube.push_back(rng() & 0xFFFFFF);
  }
  ColorTable uniform;
  for (int r = 0; r < 6; ++r) {
    for (int g = 0; g < 7; ++g) {
      for (int b = 0; b < 6; ++b) {
        uniform.push_back(static_cast<std::uint32_t>(r * 51) << 16 |
                          static_cast<std::uint32_t>(g * 42) << 8 |
                          static_cast<std::uint32_t>(b * 51));
      }
    }
  }
  for (const auto* pixels : {&curve, &cube}) {
    const ColorHistogram histogram = BuildHistogram(pixels->data(), nullptr, pixels->size());
    ColorTable palette = QuantizeWu(histogram, 252);
    EXPECT_LE(palette.size(), 252u);
    const double error = PaletteError(histogram, palette);
    EXPECT_LT(error, PaletteError(histogram, uniform) * (pixels == &curve ? 0.1 : 0.9))
        << histogram.cells.size() << " cells";
  }
}

TEST(GifRemapTest, DitherOnlyOnSmoothAreas) {
  // Left half flat, middle a gentle gradient, right half black text strokes
  // on white.
  PixelImage image(30, 8, 0x406080);
  for (int y = 0; y < 8; ++y) {
    for (int x = 10; x < 20; ++x) image.At(x, y) = static_cast<std::uint32_t>(x * 3) * 0x010101;
    for (int x = 20; x < 30; ++x) image.At(x, y) = (x + y) % 3 == 0 ? 0 : 0xFFFFFF;
  }
  std::vector<std::uint8_t> mask;
  DitherMask(image.pixels.data(), 30, 8, mask);
  EXPECT_EQ(mask[3 * 30 + 4], 0);   // flat
  EXPECT_EQ(mask[3 * 30 + 15], 1);  // gradient
  EXPECT_EQ(mask[3 * 30 + 25], 0);  // text
}

TEST(GifRemapTest, UnchangedPixelsContinueRunsOrTurnTransparent) {
  ExactPalette palette;
  const std::vector<std::uint32_t> pixels = {5, 5, 5, 7, 5, 9};
  const std::vector<std::uint8_t> changed = {1, 0, 0, 0, 1, 0};
  const std::vector<std::uint8_t> shown = {1, 1, 1, 1, 1, 0};
  ASSERT_TRUE(palette.Add(pixels.data(), changed.data(), pixels.size(), 255));
  std::vector<std::uint8_t> indices(6);
  RemapExact(pixels.data(), changed.data(), shown.data(), 6, palette, 1, indices.data());
  // Colour 5 is index 0, transparency 1; 7 and 9 are not in the palette.
  EXPECT_EQ(indices, (std::vector<std::uint8_t>{0, 0, 0, 1, 0, 1}));
}

}  // namespace
}  // namespace framelark
