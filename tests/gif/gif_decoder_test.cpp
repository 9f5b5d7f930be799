// Our decoder: agrees with giflib on our files, reads hand-made files with
// the features our writer does not use, and survives malformed input.
#include "gif/gif_decoder.h"

#include <gtest/gtest.h>

#include "gif/gif_blocks.h"
#include "gif/gif_encoder.h"
#include "gif/lzw.h"
#include "tests/gif/gif_test_support.h"

namespace framelark {
namespace {

using testing::ScratchFolder;

PixelImage Opaque(const PixelImage& image) {
  PixelImage out = image;
  for (auto& p : out.pixels) p |= 0xFF000000u;
  return out;
}

std::vector<std::uint8_t> EncodeFrames(const std::vector<PixelImage>& frames, int width, int height,
                                       const std::string& comment) {
  ScratchFolder folder;
  GifEncoder encoder(width, height, comment);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    EXPECT_TRUE(encoder.AddImage(static_cast<int>(i) + 1, frames[i]));
  }
  EXPECT_TRUE(encoder.Save(folder.File("a.gif")));
  return testing::ReadFileBytes(folder.File("a.gif"));
}

TEST(GifDecoderTest, AgreesWithGiflibOnOurFiles) {
  std::vector<PixelImage> frames;
  PixelImage screen = testing::ScreenPicture(75, 41, 5);
  for (int i = 0; i < 6; ++i) {
    screen.At(i * 5, i) = 0x00FF00;
    frames.push_back(i == 3 ? screen : screen);
  }
  frames.push_back(testing::PhotoPicture(75, 41, 0.4));
  const auto bytes = EncodeFrames(frames, 75, 41, "note");
  const auto reference = testing::DecodeWithGiflib(bytes);
  DecodedGif gif;
  ASSERT_TRUE(DecodeGif(bytes, gif));
  EXPECT_TRUE(gif.complete);
  EXPECT_EQ(gif.width, 75);
  EXPECT_EQ(gif.height, 41);
  EXPECT_EQ(gif.loop_count, 0);
  EXPECT_EQ(gif.comments, std::vector<std::string>{"note"});
  ASSERT_EQ(gif.frames.size(), reference.frames.size());
  for (std::size_t i = 0; i < gif.frames.size(); ++i) {
    EXPECT_EQ(testing::FirstDifference(Opaque(reference.frames[i]), gif.frames[i].image), "") << i;
    EXPECT_EQ(gif.frames[i].delay, reference.delays[i]);
  }
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(testing::FirstDifference(Opaque(frames[i]), gif.frames[i].image), "") << i;
  }
}

// A hand-made file: 4 x 2 canvas, global table of 4 colours, frames built
// by the block writers with chosen disposal, transparency and interlacing.
struct HandFrame {
  int x, y, w, h;
  Disposal disposal;
  int transparent;
  bool interlaced;
  std::vector<std::uint8_t> indices;  // in file order
};

std::vector<std::uint8_t> HandMade(int width, int height, const std::vector<HandFrame>& frames) {
  std::vector<std::uint8_t> out;
  PutHeader(out);
  PutLogicalScreenDescriptor(out, width, height, 2);
  PutColorTable(out, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 2);
  for (const HandFrame& f : frames) {
    PutGraphicsControlExtension(out, f.disposal, 5, f.transparent);
    PutImageDescriptor(out, f.x, f.y, f.w, f.h, 0);
    if (f.interlaced) out.back() |= 0x40;
    std::vector<std::uint8_t> codes;
    LzwEncoder().Encode(f.indices.data(), f.indices.size(), 2, codes);
    PutImageData(out, 2, codes);
  }
  PutTrailer(out);
  return out;
}

constexpr std::uint32_t R = 0xFFFF0000u, G = 0xFF00FF00u, B = 0xFF0000FFu, W = 0xFFFFFFFFu;

TEST(GifDecoderTest, DisposalTransparencyAndInterlacing) {
  const auto bytes =
      HandMade(4, 2,
               {
                   {0, 0, 4, 2, Disposal::kKeep, -1, false, {0, 0, 0, 0, 1, 1, 1, 1}},
                   {1, 0, 2, 1, Disposal::kRestoreBackground, 3, false, {2, 3}},
                   {0, 0, 1, 2, Disposal::kRestorePrevious, -1, false, {3, 3}},
                   {3, 0, 1, 2, Disposal::kKeep, -1, false, {2, 2}},
               });
  DecodedGif gif;
  ASSERT_TRUE(DecodeGif(bytes, gif));
  ASSERT_TRUE(gif.complete);
  ASSERT_EQ(gif.frames.size(), 4u);
  EXPECT_EQ(gif.loop_count, -1);
  const std::vector<std::vector<std::uint32_t>> expected = {
      {R, R, R, R, G, G, G, G},
      {R, B, R, R, G, G, G, G},  // index 3 transparent
      {W, 0, 0, R, W, G, G, G},  // frame 1's rectangle cleared, then drawn
      {R, 0, 0, B, G, G, G, B},  // frame 2 undone
  };
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(gif.frames[i].image.pixels, expected[i]) << "frame " << i;
    EXPECT_EQ(gif.frames[i].delay, 5);
  }
  // Interlaced rows come 0, 4, 2, 1, 3 (5 rows).
  const auto interlaced =
      HandMade(1, 5, {{0, 0, 1, 5, Disposal::kKeep, -1, true, {0, 1, 2, 3, 0}}});
  ASSERT_TRUE(DecodeGif(interlaced, gif));
  EXPECT_EQ(gif.frames.at(0).image.pixels, (std::vector<std::uint32_t>{R, W, B, R, G}));
}

TEST(GifDecoderTest, MalformedInputNeverCrashes) {
  const auto good = HandMade(
      4, 2,
      {{0, 0, 4, 2, Disposal::kKeep, -1, false, {0, 1, 2, 3, 3, 2, 1, 0}},
       {2, 1, 9, 9, Disposal::kKeep, -1, false, std::vector<std::uint8_t>(81, 1)}});  // too big
  DecodedGif gif;
  ASSERT_TRUE(DecodeGif(good, gif));
  EXPECT_TRUE(gif.complete);
  EXPECT_EQ(gif.frames.size(), 2u);
  // Every truncation reads at most what is there and never claims completeness.
  for (std::size_t n = 0; n < good.size(); ++n) {
    const std::vector<std::uint8_t> cut(good.begin(), good.begin() + n);
    DecodedGif partial;
    const bool read = DecodeGif(cut.data(), cut.size(), partial);
    EXPECT_EQ(read, n >= 13) << n;
    EXPECT_FALSE(partial.complete) << n;
  }
  // Flipped bytes: whatever comes out, it stays within the canvas.
  std::mt19937 rng(3);
  for (int round = 0; round < 300; ++round) {
    std::vector<std::uint8_t> bad = good;
    for (int k = 0; k < 3; ++k)
      bad[13 + rng() % (bad.size() - 13)] = static_cast<std::uint8_t>(rng());
    DecodedGif any;
    DecodeGif(bad, any);
    for (const auto& f : any.frames) EXPECT_EQ(f.image.pixels.size(), 8u);
  }
  const struct {
    const char* name;
    std::vector<std::uint8_t> bytes;
  } refused[] = {
      {"empty", {}},
      {"not a gif", {'P', 'N', 'G', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}},
      {"zero width", {'G', 'I', 'F', '8', '9', 'a', 0, 0, 1, 0, 0, 0, 0, 0x3B}},
      {"huge canvas", {'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x3B}},
  };
  for (const auto& c : refused) EXPECT_FALSE(DecodeGif(c.bytes, gif)) << c.name;
}

}  // namespace
}  // namespace framelark
