// The five writer operations end to end: our files decoded by giflib and
// compared frame by frame with what was recorded.
#include "gif/gif_writer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/gif/gif_test_support.h"

namespace framelark {
namespace {

using testing::DecodeWithGiflib;
using testing::Delay;
using testing::FirstDifference;
using testing::Info;
using testing::PhotoPicture;
using testing::Psnr;
using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::ScreenPicture;

struct Recording {
  std::vector<PixelImage> frames;
  std::vector<int> delays;
};

// Records the frames exactly as the recorder does and returns the file.
std::vector<std::uint8_t> Record(const ScratchFolder& folder, int width, int height,
                                 const Recording& rec, const char* comment = nullptr) {
  GifMaker maker;
  GifReset(maker);
  GifRelease(maker);
  GifBegin(maker, Info(width, height, comment));
  for (std::size_t i = 0; i < rec.frames.size(); ++i) {
    GifAddFrame(maker, Delay(rec.delays[i]), 0, WriteBitmapFile(rec.frames[i]));
  }
  const std::string path = folder.File("out.gif");
  EXPECT_TRUE(GifSave(maker, path));
  GifRelease(maker);
  return ReadFileBytes(path);
}

void ExpectFramesExact(const Recording& rec, const testing::ComposedGif& gif) {
  ASSERT_TRUE(gif.ok);
  ASSERT_EQ(gif.frames.size(), rec.frames.size());
  for (std::size_t i = 0; i < rec.frames.size(); ++i) {
    EXPECT_EQ(FirstDifference(rec.frames[i], gif.frames[i]), "") << "frame " << i;
    EXPECT_EQ(gif.delays[i], rec.delays[i]) << "frame " << i;
  }
}

TEST(GifWriterTest, ScreenContentDecodesExactlyWithEveryDelay) {
  ScratchFolder folder;
  Recording rec;
  PixelImage picture = ScreenPicture(97, 61, 1);
  for (int i = 0; i < 12; ++i) {
    // A moving "cursor", a typed character, sometimes nothing at all.
    if (i % 4 != 3) {
      for (int y = 0; y < 5; ++y) picture.At((i * 7) % 90 + 2, 10 + y) = 0x000000;
      picture.At(50 + i, 40) = 0x3060C0;
    }
    rec.frames.push_back(picture);
    rec.delays.push_back(10 + i * 13);
  }
  const auto bytes = Record(folder, 97, 61, rec);
  const auto gif = DecodeWithGiflib(bytes);
  ExpectFramesExact(rec, gif);
  EXPECT_EQ(gif.width, 97);
  EXPECT_EQ(gif.height, 61);
  // Only the first frame covers the whole picture; the others only what changed.
  EXPECT_EQ(gif.rects[0].Width * gif.rects[0].Height, 97 * 61);
  for (std::size_t i = 1; i < gif.rects.size(); ++i) {
    EXPECT_LT(gif.rects[i].Width * gif.rects[i].Height, 97 * 61 / 2) << i;
    EXPECT_NE(gif.disposals[i], DISPOSE_BACKGROUND);
    EXPECT_NE(gif.disposals[i], DISPOSE_PREVIOUS);
  }
}

TEST(GifWriterTest, UnchangedFrameIsTinyAndKeepsItsDelay) {
  ScratchFolder folder;
  Recording rec;
  const PixelImage picture = ScreenPicture(300, 200, 2);
  rec.frames = {picture, picture, picture};
  rec.delays = {30, 250, 65535};
  const auto bytes = Record(folder, 300, 200, rec);
  const auto gif = DecodeWithGiflib(bytes);
  ExpectFramesExact(rec, gif);
  EXPECT_EQ(gif.rects[1].Width * gif.rects[1].Height, 1);
}

TEST(GifWriterTest, UnchangedPixelsInsideTheRectangleBecomeTransparent) {
  ScratchFolder folder;
  Recording rec;
  PixelImage a(64, 64, 0x102030);
  PixelImage b = a;
  // Two changes at opposite corners: the rectangle spans the whole picture
  // but almost all of it is unchanged.
  b.At(0, 0) = 0xFFFFFF;
  b.At(63, 63) = 0xFF0000;
  rec.frames = {a, b};
  rec.delays = {5, 5};
  const auto bytes = Record(folder, 64, 64, rec);
  const auto gif = DecodeWithGiflib(bytes);
  ExpectFramesExact(rec, gif);
  EXPECT_EQ(gif.rects[1].Width, 64);
  EXPECT_LT(bytes.size(), 250u);
}

TEST(GifWriterTest, ExactlyTwoHundredFiftySixChangedColoursStayExact) {
  ScratchFolder folder;
  Recording rec;
  PixelImage a(32, 16, 0);
  for (int i = 0; i < 512; ++i) a.pixels[i] = static_cast<std::uint32_t>(i % 256) * 0x010101;
  PixelImage b = a;
  // 256 changed colours plus unchanged pixels in the rectangle: no index is
  // left for transparency, the whole rectangle is stored.
  for (int i = 0; i < 256; ++i) b.pixels[i * 2] = static_cast<std::uint32_t>(255 - i) * 0x010101;
  rec.frames = {a, b, a};
  rec.delays = {1, 2, 3};
  ExpectFramesExact(rec, DecodeWithGiflib(Record(folder, 32, 16, rec)));
}

TEST(GifWriterTest, ColourfulContentIsQuantisedWithinBound) {
  // Small pictures build their palette from every pixel, large ones from a
  // sample; both through palette changes and reuse between frames.
  const struct { int width, height; } sizes[] = {{160, 120}, {640, 480}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(size.width);
    ScratchFolder folder;
    Recording rec;
    for (int i = 0; i < 4; ++i) {
      rec.frames.push_back(PhotoPicture(size.width, size.height, i * 0.3));
      rec.delays.push_back(8);
    }
    // A still frame after a moving one: nothing may shimmer.
    rec.frames.push_back(rec.frames.back());
    rec.delays.push_back(8);
    const auto gif = DecodeWithGiflib(Record(folder, size.width, size.height, rec));
    ASSERT_TRUE(gif.ok);
    ASSERT_EQ(gif.frames.size(), rec.frames.size());
    for (std::size_t i = 0; i < rec.frames.size(); ++i) {
      EXPECT_GT(Psnr(rec.frames[i], gif.frames[i]), 29.0) << "frame " << i;
      EXPECT_EQ(gif.delays[i], 8);
    }
    EXPECT_EQ(FirstDifference(gif.frames[3], gif.frames[4]), "");
  }
}

TEST(GifWriterTest, LoopAndCommentExtensions) {
  ScratchFolder folder;
  Recording rec;
  rec.frames = {PixelImage(4, 4, 0x123456)};
  rec.delays = {7};
  const std::string comment = "Made with Framelark \xE2\x80\x94 \xE5\xBD\x95\xE5\xB1\x8F";
  const auto gif = DecodeWithGiflib(Record(folder, 4, 4, rec, comment.c_str()));
  ASSERT_TRUE(gif.ok);
  EXPECT_EQ(gif.loop_count, 0);
  ASSERT_EQ(gif.comments.size(), 1u);
  EXPECT_EQ(gif.comments[0], comment);
}

TEST(GifWriterTest, SizesFromOnePixelToOddAndLarge) {
  const struct {
    int width, height;
  } cases[] = {{1, 1}, {1, 37}, {37, 1}, {3, 5}, {255, 3}, {257, 129}, {1920, 1080}};
  for (const auto& c : cases) {
    ScratchFolder folder;
    Recording rec;
    rec.frames = {ScreenPicture(c.width, c.height, 7), ScreenPicture(c.width, c.height, 8)};
    rec.delays = {4, 9};
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    ExpectFramesExact(rec, DecodeWithGiflib(Record(folder, c.width, c.height, rec)));
  }
}

TEST(GifWriterTest, FramesOfAnotherSizeArePlacedAtTheCornerAndCut) {
  ScratchFolder folder;
  GifMaker maker;
  GifBegin(maker, Info(20, 10));
  const PixelImage first = ScreenPicture(20, 10, 3);
  const PixelImage small(5, 4, 0xAA0000);
  const PixelImage big(30, 30, 0x00BB00);
  GifAddFrame(maker, Delay(1), 0, WriteBitmapFile(first));
  GifAddFrame(maker, Delay(2), 0, WriteBitmapFile(small));
  GifAddFrame(maker, Delay(3), 0, WriteBitmapFile(big));
  ASSERT_TRUE(GifSave(maker, folder.File("a.gif")));
  const auto gif = DecodeWithGiflib(ReadFileBytes(folder.File("a.gif")));
  ASSERT_EQ(gif.frames.size(), 3u);
  PixelImage expected = first;
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) expected.At(x, y) = 0xAA0000;
  }
  EXPECT_EQ(FirstDifference(expected, gif.frames[1]), "");
  EXPECT_EQ(FirstDifference(PixelImage(20, 10, 0x00BB00), gif.frames[2]), "");
}

TEST(GifWriterTest, ManyFrames) {
  ScratchFolder folder;
  Recording rec;
  PixelImage picture = ScreenPicture(120, 80, 4);
  for (int i = 0; i < 400; ++i) {
    picture.At(i % 120, (i / 120) * 3) = (static_cast<std::uint32_t>(i) * 0x030507) & 0xFFFFFF;
    rec.frames.push_back(picture);
    rec.delays.push_back(i % 50);
  }
  ExpectFramesExact(rec, DecodeWithGiflib(Record(folder, 120, 80, rec)));
}

TEST(GifWriterTest, BeginRefusesSizesThatAreNotPositive) {
  const struct {
    int width, height;
  } cases[] = {{0, 10}, {10, 0}, {-5, 10}, {65535, 10}, {10, 40000}};
  for (const auto& c : cases) {
    GifMaker maker;
    GifBegin(maker, Info(c.width, c.height));
    EXPECT_FALSE(maker.HasPicture()) << c.width << "x" << c.height;
    GifAddFrame(maker, Delay(1), 0, WriteBitmapFile(PixelImage(2, 2, 1)));
    EXPECT_EQ(maker.FrameCount(), 0);
    ScratchFolder folder;
    EXPECT_FALSE(GifSave(maker, folder.File("x.gif")));
  }
  // The largest positive 16-bit side works.
  GifMaker maker;
  GifBegin(maker, Info(32767, 1));
  EXPECT_TRUE(maker.HasPicture());
}

TEST(GifWriterTest, MalformedPicturesAreRefusedAndTheWriterGoesOn) {
  ScratchFolder folder;
  GifMaker maker;
  GifBegin(maker, Info(8, 8));
  const PixelImage good(8, 8, 0x445566);
  const Bytes bmp = WriteBitmapFile(good);
  Bytes truncated(bmp.begin(), bmp.end() - 1);
  Bytes wrong_depth = bmp;
  wrong_depth[28] = 16;
  Bytes negative_width = bmp;
  negative_width[21] = 0xFF;
  std::vector<Bytes> bad = {Bytes{}, Bytes{'B', 'M'}, truncated, wrong_depth, negative_width};
  for (const Bytes& b : bad) GifAddFrame(maker, Delay(1), 0, b);
  EXPECT_EQ(maker.FrameCount(), 0);
  GifAddFrame(maker, Delay(3), 0, bmp);
  for (const Bytes& b : bad) GifAddFrame(maker, Delay(1), 0, b);
  EXPECT_EQ(maker.FrameCount(), 1);
  ASSERT_TRUE(GifSave(maker, folder.File("a.gif")));
  const auto gif = DecodeWithGiflib(ReadFileBytes(folder.File("a.gif")));
  ASSERT_EQ(gif.frames.size(), 1u);
  EXPECT_EQ(FirstDifference(good, gif.frames[0]), "");
  EXPECT_EQ(gif.delays[0], 3);
}

TEST(GifWriterTest, PictureWithoutFramesSavesOneBlankFrame) {
  ScratchFolder folder;
  GifMaker maker;
  GifBegin(maker, Info(33, 17, "empty"));
  ASSERT_TRUE(GifSave(maker, folder.File("a.gif")));
  auto gif = DecodeWithGiflib(ReadFileBytes(folder.File("a.gif")));
  ASSERT_TRUE(gif.ok);
  ASSERT_EQ(gif.frames.size(), 1u);
  EXPECT_EQ(gif.rects[0].Width, 33);
  EXPECT_EQ(gif.rects[0].Height, 17);
  // After frames were added and dropped again it is blank once more.
  GifAddFrame(maker, Delay(1), 0, WriteBitmapFile(PixelImage(33, 17, 0xFFFFFF)));
  GifReset(maker);
  EXPECT_TRUE(maker.HasPicture());
  EXPECT_EQ(maker.FrameCount(), 0);
  ASSERT_TRUE(GifSave(maker, folder.File("b.gif")));
  gif = DecodeWithGiflib(ReadFileBytes(folder.File("b.gif")));
  ASSERT_EQ(gif.frames.size(), 1u);
  EXPECT_EQ(gif.frames[0].At(5, 5), 0u);
}

TEST(GifWriterTest, ResetAndReleaseOnEmptyWriterDoNothing) {
  GifMaker maker;
  GifReset(maker);
  GifRelease(maker);
  EXPECT_FALSE(maker.HasPicture());
  GifAddFrame(maker, Delay(1), 0, WriteBitmapFile(PixelImage(2, 2, 1)));
  EXPECT_EQ(maker.FrameCount(), 0);
  GifBegin(maker, Info(2, 2));
  GifAddFrame(maker, Delay(1), 0, WriteBitmapFile(PixelImage(2, 2, 1)));
  EXPECT_EQ(maker.FrameCount(), 1);
  GifRelease(maker);
  EXPECT_FALSE(maker.HasPicture());
  EXPECT_EQ(maker.FrameCount(), 0);
}

TEST(GifWriterTest, SavingTwiceWritesTheSameBytesAndFramesMayFollow) {
  ScratchFolder folder;
  GifMaker maker;
  GifBegin(maker, Info(40, 30, "twice"));
  GifAddFrame(maker, Delay(5), 0, WriteBitmapFile(PhotoPicture(40, 30, 0)));
  GifAddFrame(maker, Delay(6), 0, WriteBitmapFile(ScreenPicture(40, 30, 9)));
  ASSERT_TRUE(GifSave(maker, folder.File("a.gif")));
  ASSERT_TRUE(GifSave(maker, folder.File("b.gif")));
  ASSERT_TRUE(GifSave(maker, folder.File("a.gif")));
  const auto a = ReadFileBytes(folder.File("a.gif"));
  EXPECT_EQ(a, ReadFileBytes(folder.File("b.gif")));
  GifAddFrame(maker, Delay(7), 0, WriteBitmapFile(ScreenPicture(40, 30, 10)));
  ASSERT_TRUE(GifSave(maker, folder.File("c.gif")));
  const auto gif = DecodeWithGiflib(ReadFileBytes(folder.File("c.gif")));
  ASSERT_EQ(gif.frames.size(), 3u);
  EXPECT_EQ(FirstDifference(ScreenPicture(40, 30, 10), gif.frames[2]), "");
  // Only the finished files are left in the folder.
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.gif", "b.gif", "c.gif"}));
}

TEST(GifWriterTest, FailedSaveReportsFailureAndLeavesExistingFilesAlone) {
  ScratchFolder folder;
  GifMaker maker;
  GifBegin(maker, Info(4, 4));
  GifAddFrame(maker, Delay(1), 0, WriteBitmapFile(PixelImage(4, 4, 0xABCDEF)));
  testing::WriteFileBytes(folder.path() / "plain", "not a folder");
  std::filesystem::create_directory(folder.path() / "dir.gif");
  testing::WriteFileBytes(folder.path() / "dir.gif" / "keep.txt", "keep");
  const std::string cases[] = {
      "",
      folder.File("missing/sub/a.gif"),
      folder.File("plain/a.gif"),
      folder.File("dir.gif"),
  };
  for (const std::string& path : cases) EXPECT_FALSE(GifSave(maker, path)) << path;
  EXPECT_EQ(ReadFileBytes(folder.path() / "plain").size(), 12u);
  EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "dir.gif"));
  EXPECT_EQ(ReadFileBytes(folder.path() / "dir.gif" / "keep.txt").size(), 4u);
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 2u);  // no half-written file left behind
}

TEST(GifWriterTest, EncodedFramesLeaveNoTemporaryFilesBehind) {
  const auto leftovers = [] {
    std::size_t count = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::temp_directory_path())) {
      count += entry.path().filename().string().rfind("framelark-frames", 0) == 0;
    }
    return count;
  };
  const std::size_t before = leftovers();
  {
    GifMaker maker;
    GifBegin(maker, Info(16, 16));
    GifAddFrame(maker, Delay(1), 0, WriteBitmapFile(ScreenPicture(16, 16, 1)));
    GifAddFrame(maker, Delay(1), 0, WriteBitmapFile(ScreenPicture(16, 16, 2)));
    GifReset(maker);
    GifAddFrame(maker, Delay(1), 0, WriteBitmapFile(ScreenPicture(16, 16, 3)));
    GifRelease(maker);
    GifBegin(maker, Info(16, 16));
    GifAddFrame(maker, Delay(1), 0, WriteBitmapFile(ScreenPicture(16, 16, 4)));
  }  // destroyed holding a frame
  EXPECT_EQ(leftovers(), before);
}

TEST(GifWriterTest, ChineseFileNameWorks) {
  ScratchFolder folder;
  GifMaker maker;
  GifBegin(maker, Info(6, 6));
  GifAddFrame(maker, Delay(1), 0, WriteBitmapFile(PixelImage(6, 6, 0x00FF00)));
  // "录屏动画.gif" in a folder named "桌面".
  const std::string dir = folder.File("\xE6\xA1\x8C\xE9\x9D\xA2");
  std::filesystem::create_directory(std::filesystem::u8path(dir));
  const std::string path = dir + "/\xE5\xBD\x95\xE5\xB1\x8F\xE5\x8A\xA8\xE7\x94\xBB.gif";
  ASSERT_TRUE(GifSave(maker, path));
  const auto gif = DecodeWithGiflib(ReadFileBytes(std::filesystem::u8path(path)));
  ASSERT_EQ(gif.frames.size(), 1u);
  EXPECT_EQ(gif.frames[0].At(3, 3), 0x00FF00u);
}

}  // namespace
}  // namespace framelark
