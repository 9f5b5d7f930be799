// Reading the committed pictures in shell/pictures for the tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gif/gif_decoder.h"

namespace framelark::pictures_test {

inline std::string PictureDir() { return std::string(FRAMELARK_SOURCE_DIR) + "/shell/pictures"; }

// The bytes of one picture file; empty (with a test failure) when unreadable.
inline std::vector<std::uint8_t> ReadPicture(const std::string& name) {
  std::ifstream file(PictureDir() + "/" + name, std::ios::binary);
  EXPECT_TRUE(file.good()) << name << " cannot be read";
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {});
}

// Decodes a GIF picture, failing the test unless the file is sound.
inline DecodedGif DecodePicture(const std::string& name) {
  DecodedGif gif;
  const std::vector<std::uint8_t> bytes = ReadPicture(name);
  EXPECT_TRUE(DecodeGif(bytes, gif)) << name << " is no GIF";
  EXPECT_TRUE(gif.complete) << name << " is cut short or malformed";
  return gif;
}

constexpr std::uint32_t Rgb(int r, int g, int b) {
  return static_cast<std::uint32_t>(r << 16 | g << 8 | b);
}
constexpr int Red(std::uint32_t c) { return static_cast<int>(c >> 16 & 0xFF); }
constexpr int Green(std::uint32_t c) { return static_cast<int>(c >> 8 & 0xFF); }
constexpr int Blue(std::uint32_t c) { return static_cast<int>(c & 0xFF); }

constexpr std::uint32_t kBlack = Rgb(0, 0, 0);
constexpr std::uint32_t kWhite = Rgb(255, 255, 255);
constexpr std::uint32_t kGold = Rgb(255, 188, 8);
constexpr std::uint32_t kLightYellow = Rgb(246, 211, 48);
constexpr std::uint32_t kDisabledGrey = Rgb(136, 136, 136);
constexpr std::uint32_t kStripeGrey = Rgb(85, 85, 85);
constexpr std::uint32_t kReflectionGold = Rgb(203, 159, 43);

// The colour at (x, y), without the decoder's "painted" alpha byte.
inline std::uint32_t ColourAt(const PixelImage& image, int x, int y) {
  return image.At(x, y) & 0xFFFFFFu;
}

// "#rrggbb", so that failures show colours readably.
inline std::string Hex(std::uint32_t colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(colour & 0xFFFFFFu));
  return text;
}

inline bool IsGrey(std::uint32_t c) { return Red(c) == Green(c) && Green(c) == Blue(c); }

// True for black, `base`, or `base` darkened (each channel scaled alike,
// give or take rounding): the shades of an anti-aliased edge on black.
inline bool IsShadeOf(std::uint32_t c, std::uint32_t base) {
  const double t = static_cast<double>(Red(c)) / Red(base);
  return t <= 1.0 && std::abs(Green(c) - Green(base) * t) <= 1.0 &&
         std::abs(Blue(c) - Blue(base) * t) <= 1.0;
}

}  // namespace framelark::pictures_test
