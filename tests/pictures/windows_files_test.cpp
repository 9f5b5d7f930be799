// The cursor and icon files in shell/pictures, read field by field.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "picture_files.h"

namespace framelark::pictures_test {
namespace {

int U16(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | b[at + 1] << 8; }
std::int64_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::int64_t>(b[at]) | static_cast<std::int64_t>(b[at + 1]) << 8 |
         static_cast<std::int64_t>(b[at + 2]) << 16 | static_cast<std::int64_t>(b[at + 3]) << 24;
}
std::int32_t S32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(U32(b, at)));
}

// Whether the AND mask (rows bottom-up, padded to 4 bytes) marks (x, y) transparent.
bool MaskBit(const std::vector<std::uint8_t>& b, std::size_t mask_at, int width, int height, int x,
             int y) {
  const std::size_t stride = static_cast<std::size_t>((width + 31) / 32 * 4);
  const std::size_t row = mask_at + stride * static_cast<std::size_t>(height - 1 - y);
  return (b[row + static_cast<std::size_t>(x / 8)] >> (7 - x % 8) & 1) != 0;
}

// ---------------------------------------------------------------------------
// The arrow cursor.

constexpr int kOpenTransparent = -1;

class CursorTest : public testing::Test {
 protected:
  void SetUp() override {
    bytes_ = ReadPicture("cursor_arrow.cur");
    ASSERT_EQ(bytes_.size(), 766u);
  }

  // The 32 x 32 image as the screen shows it: a palette colour, or
  // kOpenTransparent. Fails on pixels that would invert the screen.
  std::vector<std::vector<std::int64_t>> Pixels() const {
    constexpr std::size_t kPalette = 22 + 40;
    constexpr std::size_t kColours = kPalette + 64;
    constexpr std::size_t kMask = kColours + 32 * 16;
    std::vector<std::vector<std::int64_t>> out(32, std::vector<std::int64_t>(32));
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        const std::uint8_t pair = bytes_[kColours + static_cast<std::size_t>(31 - y) * 16 + x / 2];
        const int index = x % 2 == 0 ? pair >> 4 : pair & 0xF;
        const std::int64_t colour = U32(bytes_, kPalette + 4 * static_cast<std::size_t>(index));
        if (MaskBit(bytes_, kMask, 32, 32, x, y)) {
          EXPECT_EQ(colour & 0xFFFFFF, 0) << "pixel " << x << ", " << y << " inverts the screen";
          out[y][x] = kOpenTransparent;
        } else {
          out[y][x] = colour & 0xFFFFFF;  // palette entries are B, G, R, 0
        }
      }
    }
    return out;
  }

  std::vector<std::uint8_t> bytes_;
};

TEST_F(CursorTest, HeadersDescribeOne32x32SixteenColourImageWithHotspotAtTheTip) {
  EXPECT_EQ(U16(bytes_, 0), 0);  // reserved
  EXPECT_EQ(U16(bytes_, 2), 2);  // cursor
  EXPECT_EQ(U16(bytes_, 4), 1);  // one image
  // Directory entry.
  EXPECT_EQ(bytes_[6], 32);
  EXPECT_EQ(bytes_[7], 32);
  EXPECT_EQ(bytes_[8], 16);
  EXPECT_EQ(bytes_[9], 0);
  EXPECT_EQ(U16(bytes_, 10), 2);  // hotspot x
  EXPECT_EQ(U16(bytes_, 12), 4);  // hotspot y
  EXPECT_EQ(U32(bytes_, 14), 766 - 22);
  EXPECT_EQ(U32(bytes_, 18), 22);
  // BITMAPINFOHEADER: the height counts the colour and the mask rows.
  EXPECT_EQ(U32(bytes_, 22), 40);
  EXPECT_EQ(S32(bytes_, 26), 32);
  EXPECT_EQ(S32(bytes_, 30), 64);
  EXPECT_EQ(U16(bytes_, 34), 1);
  EXPECT_EQ(U16(bytes_, 36), 4);
  EXPECT_EQ(U32(bytes_, 38), 0);  // uncompressed
}

TEST_F(CursorTest, ArrowIsWhiteOutlinedInBlackWithItsTipAtTheHotspot) {
  const auto pixels = Pixels();
  int left = 32, top = 32, right = -1, bottom = -1, white = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const std::int64_t c = pixels[y][x];
      if (c == kOpenTransparent) continue;
      ASSERT_TRUE(c == 0 || c == 0xFFFFFF) << x << ", " << y << " is neither black nor white";
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
      if (c != 0xFFFFFF) continue;
      ++white;
      // The fill never borders on transparency: the outline is closed.
      for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
        ASSERT_NE(pixels[y + dy][x + dx], kOpenTransparent) << "white " << x << ", " << y;
      }
    }
  }
  EXPECT_EQ(left, 2);
  EXPECT_EQ(right, 16);
  EXPECT_EQ(top, 4);
  EXPECT_EQ(bottom, 28);
  EXPECT_GT(white, 100);
  // The tip is the single pixel of its row, black, at the hotspot.
  EXPECT_EQ(pixels[4][2], 0);
  EXPECT_EQ(std::count(pixels[4].begin(), pixels[4].end(), kOpenTransparent), 31);
  // The left edge runs straight down from the tip.
  for (int y = 4; y <= 18; ++y) EXPECT_EQ(pixels[y][2], 0) << "row " << y;
}

// ---------------------------------------------------------------------------
// The program icon.

TEST(IconFile, HoldsFiveSquare32BitImagesBackToBack) {
  const std::vector<std::uint8_t> bytes = ReadPicture("framelark.ico");
  ASSERT_GE(bytes.size(), 6u);
  EXPECT_EQ(U16(bytes, 0), 0);
  EXPECT_EQ(U16(bytes, 2), 1);  // icon
  const int count = U16(bytes, 4);
  ASSERT_EQ(count, 5);
  ASSERT_GE(bytes.size(), 6u + 16u * count);
  std::int64_t expected_offset = 6 + 16 * count;
  const int sizes[] = {16, 32, 48, 64, 72};
  for (int i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
    const int size = sizes[i];
    SCOPED_TRACE(size);
    EXPECT_EQ(bytes[entry], size);
    EXPECT_EQ(bytes[entry + 1], size);
    EXPECT_EQ(bytes[entry + 2], 0);  // no palette
    EXPECT_EQ(U16(bytes, entry + 4), 1);
    EXPECT_EQ(U16(bytes, entry + 6), 32);
    const std::int64_t length = U32(bytes, entry + 8);
    const std::int64_t offset = U32(bytes, entry + 12);
    EXPECT_EQ(offset, expected_offset);
    const std::int64_t mask_stride = (size + 31) / 32 * 4;
    ASSERT_EQ(length, 40 + size * size * 4 + mask_stride * size);
    ASSERT_LE(offset + length, static_cast<std::int64_t>(bytes.size()));
    expected_offset = offset + length;

    const auto at = static_cast<std::size_t>(offset);
    EXPECT_EQ(U32(bytes, at), 40);
    EXPECT_EQ(S32(bytes, at + 4), size);
    EXPECT_EQ(S32(bytes, at + 8), 2 * size);
    EXPECT_EQ(U16(bytes, at + 12), 1);
    EXPECT_EQ(U16(bytes, at + 14), 32);
    EXPECT_EQ(U32(bytes, at + 16), 0);
  }
  EXPECT_EQ(expected_offset, static_cast<std::int64_t>(bytes.size()));
}

TEST(IconFile, GoldOnADarkTileWithTransparentCorners) {
  const std::vector<std::uint8_t> bytes = ReadPicture("framelark.ico");
  ASSERT_GE(bytes.size(), 6u + 16u * 5);
  for (int i = 0; i < U16(bytes, 4); ++i) {
    const std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
    const int size = bytes[entry];
    SCOPED_TRACE(size);
    const auto pixels_at = static_cast<std::size_t>(U32(bytes, entry + 12)) + 40;
    const std::size_t mask_at = pixels_at + static_cast<std::size_t>(size) * size * 4;
    ASSERT_LE(mask_at, bytes.size());
    auto bgra = [&](int x, int y) {  // as 0xAARRGGBB
      return static_cast<std::uint32_t>(
          U32(bytes, pixels_at + (static_cast<std::size_t>(size - 1 - y) * size + x) * 4));
    };
    int gold = 0;
    int dark = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const std::uint32_t p = bgra(x, y);
        // The AND mask agrees with the alpha channel.
        ASSERT_EQ(MaskBit(bytes, mask_at, size, size, x, y), p >> 24 == 0) << x << ", " << y;
        if (p >> 24 != 0xFF) continue;
        const std::uint32_t c = p & 0xFFFFFF;
        if (Red(c) >= 224 && Green(c) >= 160 && Blue(c) < 64) ++gold;
        if (Red(c) < 64 && Green(c) < 64 && Blue(c) < 64) ++dark;
      }
    }
    for (auto [x, y] : {std::pair{0, 0}, {size - 1, 0}, {0, size - 1}, {size - 1, size - 1}}) {
      EXPECT_EQ(bgra(x, y) >> 24, 0u) << "corner " << x << ", " << y;
    }
    EXPECT_EQ(bgra(size / 2, 1) >> 24, 0xFFu);
    EXPECT_EQ(bgra(size / 2, size / 2) >> 24, 0xFFu);
    EXPECT_GT(gold, size * size / 5);
    EXPECT_GT(dark, size * size / 5);
  }
}

// ---------------------------------------------------------------------------
// The folder's README lists exactly the files in it.

TEST(PictureFolder, ReadmeTableListsEveryFileAndNothingElse) {
  std::ifstream readme(PictureDir() + "/README.md");
  ASSERT_TRUE(readme.good());
  std::set<std::string> listed;
  std::string line;
  while (std::getline(readme, line)) {
    if (line.rfind("| ", 0) != 0) continue;
    const std::string cell = line.substr(2, line.find(" |", 2) - 2);
    if (cell == "File") continue;
    std::stringstream names(cell);
    std::string name;
    while (std::getline(names, name, ',')) {
      name.erase(0, name.find_first_not_of(' '));
      listed.insert(name);
    }
  }
  std::set<std::string> present;
  for (const auto& entry : std::filesystem::directory_iterator(PictureDir())) {
    const std::string name = entry.path().filename().string();
    if (name != "README.md") present.insert(name);
  }
  EXPECT_EQ(listed, present);
  EXPECT_EQ(listed.size(), 21u);
}

}  // namespace
}  // namespace framelark::pictures_test
