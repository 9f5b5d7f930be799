// gifbench DIR OUT.gif [--no-dither]
//   Reads DIR/NNNN.bmp in name order and DIR/delays.txt (one delay per line,
//   hundredths of a second), feeds them through the writer as a recording
//   does and saves OUT.gif.
// gifbench --synthetic N [OUT.gif]
//   The same with N generated 1920 x 1080 screen frames (a desktop with a
//   moving window, a typing terminal and a ticking clock).
// gifbench --verbose DIR
//   One line per frame: how the encoder stored it.
// gifbench --frame-time
//   Encode time of a 1920 x 1080 frame that changed completely, for screen
//   and for photo-like content.
// The last line is always:
//   frames=N bytes=B ms_total=T ms_per_frame=F peak_rss_kb=R
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gif/bitmap_file.h"
#include "gif/gif_encoder.h"
#include "gif/gif_writer.h"

namespace fs = std::filesystem;
using framelark::AnimationInfo;
using framelark::Bytes;
using framelark::FrameInfo;
using framelark::PixelImage;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void PrintSummary(int frames, const std::string& out, double ms_total) {
  std::error_code error;
  const auto bytes = fs::file_size(out, error);
  std::printf("frames=%d bytes=%llu ms_total=%.1f ms_per_frame=%.2f peak_rss_kb=%ld\n", frames,
              static_cast<unsigned long long>(error ? 0 : bytes), ms_total,
              frames > 0 ? ms_total / frames : 0.0, PeakRssKb());
}

// Per-frame lines from the encoder itself (--verbose): rectangle, path and
// bytes of each frame.
int RunDirectoryVerbose(const fs::path& dir) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() == ".bmp") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  if (files.empty()) return 1;
  const auto first = framelark::ReadBitmapFile(ReadFile(files[0]));
  if (!first) return 1;
  framelark::GifEncoder encoder(first->width, first->height, "");
  for (const auto& file : files) {
    const Bytes bytes = ReadFile(file);
    const auto t = Clock::now();
    encoder.AddBitmapFile(10, bytes.data(), bytes.size());
    const double ms = Ms(Clock::now() - t);
    const auto& r = encoder.last_frame();
    std::printf("%s rect=%d,%d %dx%d %s%s%s%s bytes=%zu ms=%.1f\n",
                file.filename().string().c_str(), r.rect.x, r.rect.y, r.rect.width, r.rect.height,
                r.exact ? "exact" : "quantised", r.transparent ? " transparent" : "",
                r.local_table ? " local-table" : "", r.reused_palette ? " reused-palette" : "",
                r.bytes, ms);
  }
  return 0;
}

int RunDirectory(const fs::path& dir, const std::string& out) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() == ".bmp") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    std::fprintf(stderr, "no .bmp files in %s\n", dir.string().c_str());
    return 1;
  }
  std::vector<int> delays;
  std::ifstream delay_file(dir / "delays.txt");
  for (int d; delay_file >> d;) delays.push_back(d);

  const auto first = framelark::ReadBitmapFile(ReadFile(files[0]));
  if (!first) {
    std::fprintf(stderr, "%s is no bitmap file\n", files[0].string().c_str());
    return 1;
  }
  framelark::GifMaker maker;
  AnimationInfo info;
  info.SetWidth(first->width);
  info.SetHeight(first->height);
  info.comment = "gifbench";
  Clock::duration spent{};
  auto t = Clock::now();
  framelark::GifReset(maker);
  framelark::GifRelease(maker);
  framelark::GifBegin(maker, info);
  spent += Clock::now() - t;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const Bytes bytes = ReadFile(files[i]);  // the grab; not part of the writer's time
    FrameInfo frame;
    frame.SetDelay(i < delays.size() ? delays[i] : 10);
    t = Clock::now();
    framelark::GifAddFrame(maker, frame, 0, bytes);
    spent += Clock::now() - t;
  }
  t = Clock::now();
  const bool saved = framelark::GifSave(maker, out);
  framelark::GifRelease(maker);
  spent += Clock::now() - t;
  if (!saved) {
    std::fprintf(stderr, "could not save %s\n", out.c_str());
    return 1;
  }
  PrintSummary(static_cast<int>(files.size()), out, Ms(spent));
  return 0;
}

// A 1920 x 1080 desktop: gradient wallpaper, a terminal window that gets one
// more character per frame, and a window that moves every few frames.
class SyntheticScreen {
 public:
  SyntheticScreen() : wallpaper_(kWidth, kHeight) {
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const std::uint32_t r = 30 + x * 60 / kWidth, g = 60 + y * 80 / kHeight;
        const std::uint32_t b = 120 + (x + y) * 60 / (kWidth + kHeight);
        wallpaper_.At(x, y) = r << 16 | g << 8 | b;
      }
    }
  }

  PixelImage Frame(int n) const {
    PixelImage image = wallpaper_;
    // Terminal: dark box with light "characters".
    Box(image, 100, 100, 900, 600, 0x1E1E1E);
    for (int c = 0; c <= n % 2000; ++c) {
      const int col = c % 110, row = (c / 110) % 70;
      const int x = 110 + col * 8, y = 110 + row * 8;
      const unsigned pattern = static_cast<unsigned>(c * 2654435761u) >> 7;
      for (int py = 0; py < 7; ++py) {
        for (int px = 0; px < 6; ++px) {
          if ((pattern >> ((py * 6 + px) % 25)) & 1) image.At(x + px, y + py) = 0xD0D0D0;
        }
      }
    }
    // A dialog moving every third frame.
    const int step = n / 3;
    const int wx = 1000 + (step * 37) % 700, wy = 200 + (step * 23) % 500;
    Box(image, wx, wy, 400, 300, 0xECE9D8);
    Box(image, wx, wy, 400, 24, 0x0A246A);
    Box(image, wx + 300, wy + 250, 80, 30, 0xD4D0C8);
    // Clock seconds in the corner.
    Box(image, 1800, 1050, 100, 20, 0x202020);
    Box(image, 1800 + (n % 10) * 10, 1052, 8, 16, 0xFFFFFF);
    return image;
  }

  static constexpr int kWidth = 1920;
  static constexpr int kHeight = 1080;

 private:
  static void Box(PixelImage& image, int x0, int y0, int w, int h, std::uint32_t color) {
    const int left = std::clamp(x0, 0, image.width), right = std::clamp(x0 + w, 0, image.width);
    for (int y = std::max(0, y0); y < std::min(image.height, y0 + h); ++y) {
      std::fill(image.Row(y) + left, image.Row(y) + right, color);
    }
  }
  PixelImage wallpaper_;
};

int RunSynthetic(int count, const std::string& out) {
  const SyntheticScreen screen;
  framelark::GifMaker maker;
  AnimationInfo info;
  info.SetWidth(SyntheticScreen::kWidth);
  info.SetHeight(SyntheticScreen::kHeight);
  framelark::GifBegin(maker, info);
  Clock::duration spent{};
  for (int i = 0; i < count; ++i) {
    const Bytes bytes = framelark::WriteBitmapFile(screen.Frame(i));
    FrameInfo frame;
    frame.SetDelay(30);
    const auto t = Clock::now();
    framelark::GifAddFrame(maker, frame, 0, bytes);
    spent += Clock::now() - t;
  }
  const auto t = Clock::now();
  const bool saved = framelark::GifSave(maker, out);
  spent += Clock::now() - t;
  framelark::GifRelease(maker);
  if (!saved) return 1;
  PrintSummary(count, out, Ms(spent));
  return 0;
}

PixelImage Photo(int width, int height, double phase) {
  PixelImage image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double v1 = std::sin(x * 0.011 + phase), v2 = std::sin((x + y) * 0.007 - phase);
      const double v3 = std::cos(y * 0.013 + phase * 0.5) + 0.1 * std::sin(x * 0.3 + y * 0.2);
      const auto channel = [](double v) {
        return static_cast<std::uint32_t>(std::lround(127.5 + 127.5 * std::clamp(v, -1.0, 1.0)));
      };
      image.At(x, y) = channel(v1) << 16 | channel(0.5 * (v2 + v3)) << 8 | channel(v1 * v3);
    }
  }
  return image;
}

int RunFrameTime(const std::string& out) {
  const int w = SyntheticScreen::kWidth, h = SyntheticScreen::kHeight;
  const SyntheticScreen screen;
  struct Content {
    const char* name;
    PixelImage a, b;
  };
  // Screen content: a window covering everything changes all of its text.
  PixelImage screen_a = screen.Frame(1999), screen_b = screen.Frame(1999);
  for (std::size_t i = 0; i < screen_b.pixels.size(); ++i) {
    if (screen_b.pixels[i] == 0xD0D0D0)
      screen_b.pixels[i] = 0x1E1E1E;
    else if (screen_b.pixels[i] == 0x1E1E1E)
      screen_b.pixels[i] = 0xD0D0D0;
  }
  Content contents[] = {{"screen", screen_a, screen_b},
                        {"photo", Photo(w, h, 0.0), Photo(w, h, 0.2)}};
  for (const Content& c : contents) {
    const Bytes a = framelark::WriteBitmapFile(c.a), b = framelark::WriteBitmapFile(c.b);
    framelark::GifEncoder encoder(w, h, "");
    encoder.AddBitmapFile(10, a.data(), a.size());
    constexpr int kRounds = 6;
    double best = 1e9, sum = 0;
    for (int i = 0; i < kRounds; ++i) {
      const Bytes& next = i % 2 == 0 ? b : a;
      const auto t = Clock::now();
      encoder.AddBitmapFile(10, next.data(), next.size());
      const double ms = Ms(Clock::now() - t);
      best = std::min(best, ms);
      sum += ms;
    }
    std::printf("changed_1920x1080_%s_frame_ms best=%.1f mean=%.1f bytes_per_frame=%zu\n", c.name,
                best, sum / kRounds, encoder.last_frame().bytes);
    encoder.Save(out);
  }
  PrintSummary(0, out, 0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--synthetic") == 0 && argc >= 3) {
    return RunSynthetic(std::atoi(argv[2]), argc >= 4 ? argv[3] : "/tmp/gifbench-synthetic.gif");
  }
  if (argc >= 2 && std::strcmp(argv[1], "--frame-time") == 0) {
    return RunFrameTime(argc >= 3 ? argv[2] : "/tmp/gifbench-frame.gif");
  }
  if (argc >= 3 && std::strcmp(argv[1], "--verbose") == 0) return RunDirectoryVerbose(argv[2]);
  if (argc >= 3) return RunDirectory(argv[1], argv[2]);
  std::fprintf(stderr,
               "usage: gifbench DIR OUT.gif | --synthetic N [OUT.gif] | --frame-time [OUT.gif]\n");
  return 2;
}
