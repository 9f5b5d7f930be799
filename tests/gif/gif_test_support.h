// Helpers for the GIF tests: pictures, bitmap bytes, an independent decode
// of our files through giflib, and picture comparisons.
#pragma once

#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "gif/bitmap_file.h"
#include "gif/gif_writer.h"

namespace framelark::testing {

// Canvas value of a pixel no frame has painted.
constexpr std::uint32_t kUnpainted = 0xFF000000u;

struct ComposedGif {
  bool ok = false;
  int width = 0;
  int height = 0;
  int loop_count = -1;
  std::vector<std::string> comments;
  std::vector<PixelImage> frames;  // 0x00RRGGBB, kUnpainted where never drawn
  std::vector<int> delays;
  std::vector<int> disposals;
  std::vector<GifImageDesc> rects;
};

inline std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFileBytes(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

struct MemoryReader {
  const std::vector<std::uint8_t>* bytes;
  std::size_t pos;
};

inline int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int size) {
  auto* r = static_cast<MemoryReader*>(gif->UserData);
  const std::size_t n =
      std::min<std::size_t>(static_cast<std::size_t>(size), r->bytes->size() - r->pos);
  std::memcpy(buffer, r->bytes->data() + r->pos, n);
  r->pos += n;
  return static_cast<int>(n);
}

// Decodes with giflib and composes every frame as a browser does.
inline ComposedGif DecodeWithGiflib(const std::vector<std::uint8_t>& bytes) {
  ComposedGif result;
  MemoryReader reader{&bytes, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
  if (gif == nullptr) return result;
  if (DGifSlurp(gif) != GIF_OK) {
    DGifCloseFile(gif, &error);
    return result;
  }
  result.width = gif->SWidth;
  result.height = gif->SHeight;
  PixelImage canvas(gif->SWidth, gif->SHeight, kUnpainted);
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    for (int e = 0; e < image.ExtensionBlockCount; ++e) {
      const ExtensionBlock& block = image.ExtensionBlocks[e];
      if (block.Function == COMMENT_EXT_FUNC_CODE) {
        result.comments.emplace_back(reinterpret_cast<const char*>(block.Bytes), block.ByteCount);
      }
      if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
          std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 && e + 1 < image.ExtensionBlockCount) {
        const ExtensionBlock& data = image.ExtensionBlocks[e + 1];
        if (data.ByteCount >= 3 && data.Bytes[0] == 1) {
          result.loop_count = data.Bytes[1] | data.Bytes[2] << 8;
        }
      }
    }
    GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    DGifSavedExtensionToGCB(gif, i, &gcb);
    const ColorMapObject* map =
        image.ImageDesc.ColorMap != nullptr ? image.ImageDesc.ColorMap : gif->SColorMap;
    PixelImage before = canvas;
    const GifImageDesc& d = image.ImageDesc;
    for (int y = 0; y < d.Height; ++y) {
      for (int x = 0; x < d.Width; ++x) {
        const int index = image.RasterBits[static_cast<std::size_t>(y) * d.Width + x];
        if (index == gcb.TransparentColor) continue;
        if (d.Left + x >= canvas.width || d.Top + y >= canvas.height) continue;
        std::uint32_t color = 0;
        if (map != nullptr && index < map->ColorCount) {
          const GifColorType c = map->Colors[index];
          color = static_cast<std::uint32_t>(c.Red) << 16 | c.Green << 8 | c.Blue;
        }
        canvas.At(d.Left + x, d.Top + y) = color;
      }
    }
    result.frames.push_back(canvas);
    result.delays.push_back(gcb.DelayTime);
    result.disposals.push_back(gcb.DisposalMode);
    result.rects.push_back(d);
    if (gcb.DisposalMode == DISPOSE_BACKGROUND) {
      for (int y = d.Top; y < d.Top + d.Height && y < canvas.height; ++y) {
        for (int x = d.Left; x < d.Left + d.Width && x < canvas.width; ++x) {
          canvas.At(x, y) = kUnpainted;
        }
      }
    } else if (gcb.DisposalMode == DISPOSE_PREVIOUS) {
      canvas = before;
    }
  }
  DGifCloseFile(gif, &error);
  result.ok = true;
  return result;
}

inline double Psnr(const PixelImage& a, const PixelImage& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      const double d = static_cast<double>((a.pixels[i] >> shift) & 0xFF) -
                       static_cast<double>((b.pixels[i] >> shift) & 0xFF);
      sum += d * d;
    }
  }
  const double mse = sum / (3.0 * static_cast<double>(a.pixels.size()));
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// First pixel where two pictures differ, as text, or "" when equal.
inline std::string FirstDifference(const PixelImage& expected, const PixelImage& actual) {
  if (expected.width != actual.width || expected.height != actual.height) return "size differs";
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      if (expected.At(x, y) != actual.At(x, y)) {
        char text[96];
        std::snprintf(text, sizeof text, "at %d,%d expected %06X got %06X", x, y, expected.At(x, y),
                      actual.At(x, y));
        return text;
      }
    }
  }
  return "";
}

// A screen-like picture: flat background, a few boxes and "text" strokes in
// a handful of colours.
inline PixelImage ScreenPicture(int width, int height, unsigned seed) {
  std::mt19937 rng(seed);
  PixelImage image(width, height, 0xF0F0F0);
  const std::uint32_t colors[] = {0x202020, 0x3060C0, 0xFFFFFF, 0xC03030, 0x30A050, 0x808080};
  for (int box = 0; box < 6; ++box) {
    const int x0 = static_cast<int>(rng() % width), y0 = static_cast<int>(rng() % height);
    const int w = 1 + static_cast<int>(rng() % (width / 2 + 1));
    const int h = 1 + static_cast<int>(rng() % (height / 2 + 1));
    const std::uint32_t c = colors[rng() % 6];
    for (int y = y0; y < std::min(height, y0 + h); ++y) {
      for (int x = x0; x < std::min(width, x0 + w); ++x) image.At(x, y) = c;
    }
  }
  for (int stroke = 0; stroke < width * height / 40; ++stroke) {
    image.At(static_cast<int>(rng() % width), static_cast<int>(rng() % height)) = colors[rng() % 6];
  }
  return image;
}

// A smooth, colourful picture with far more than 256 colours.
inline PixelImage PhotoPicture(int width, int height, double phase) {
  PixelImage image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double v1 = std::sin(x * 0.05 + phase), v2 = std::sin((x + y) * 0.03 - phase);
      const double v3 = std::cos(y * 0.07 + phase * 0.5);
      const auto channel = [](double v) {
        return static_cast<std::uint32_t>(std::lround(127.5 + 127.5 * std::clamp(v, -1.0, 1.0)));
      };
      image.At(x, y) = channel(v1) << 16 | channel(0.5 * (v2 + v3)) << 8 | channel(v1 * v3);
    }
  }
  return image;
}

inline AnimationInfo Info(int width, int height, const char* comment = nullptr) {
  AnimationInfo info;
  info.SetWidth(width);
  info.SetHeight(height);
  info.comment = comment;
  return info;
}

inline FrameInfo Delay(int hundredths) {
  FrameInfo frame;
  frame.SetDelay(hundredths);
  return frame;
}

// A folder of its own under the temporary folder, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("framelark-gif-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace framelark::testing
