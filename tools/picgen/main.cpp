// picgen: draws the pictures the program carries and writes them as GIF,
// cursor and icon files.
//
//   picgen [--out DIR] [--preview DIR] [--cjk-font FILE] [--title-font FILE]
//
// --out defaults to shell/pictures of this checkout. --preview also writes
// every GIF frame and icon image as a bitmap file there, to look at.
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "draw.h"
#include "gif/bitmap_file.h"
#include "gif/gif_writer.h"
#include "gif/records.h"
#include "pictures.h"
#include "windows_files.h"

#ifndef PICGEN_OUTPUT_DIR
#define PICGEN_OUTPUT_DIR "."
#endif

namespace picgen {
namespace {

struct Animation {
  std::string name;
  std::vector<PixelImage> frames;
  int delay = 0;  // hundredths of a second, each frame
};

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

// The writer keeps pictures of up to 256 colours exactly; refuse anything
// that would come out dithered.
void CheckPalette(const Animation& animation) {
  for (std::size_t i = 0; i < animation.frames.size(); ++i) {
    const int colours = CountColours(animation.frames[i]);
    if (colours > 256) {
      throw std::runtime_error(animation.name + " frame " + std::to_string(i) + " has " +
                               std::to_string(colours) + " colours");
    }
  }
}

bool WriteGif(const std::string& path, const Animation& animation) {
  framelark::GifMaker maker;
  framelark::AnimationInfo info;
  info.SetWidth(animation.frames.front().width);
  info.SetHeight(animation.frames.front().height);
  framelark::GifBegin(maker, info);
  for (const PixelImage& frame : animation.frames) {
    framelark::FrameInfo frame_info;
    frame_info.SetDelay(animation.delay);
    framelark::GifAddFrame(maker, frame_info, 0, framelark::WriteBitmapFile(frame));
  }
  const bool saved = framelark::GifSave(maker, path);
  framelark::GifRelease(maker);
  return saved;
}

std::string Stem(const std::string& name) { return name.substr(0, name.rfind('.')); }

// An icon image over a mid-grey ground, for looking at.
PixelImage Flatten(const RgbaImage& icon) {
  PixelImage out(icon.width, icon.height);
  for (std::size_t i = 0; i < icon.pixels.size(); ++i) {
    const std::uint32_t p = icon.pixels[i];
    out.pixels[i] = Mix(Rgb(128, 128, 128), p & 0xFFFFFF, (p >> 24) / 255.0);
  }
  return out;
}

int Run(int argc, char** argv) {
  std::string out_dir = PICGEN_OUTPUT_DIR;
  std::string preview_dir;
  FontFiles fonts;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) {
      std::fprintf(stderr,
                   "usage: %s [--out DIR] [--preview DIR] [--cjk-font FILE] "
                   "[--title-font FILE]\n",
                   argv[0]);
      return 2;
    }
    const std::string value = argv[++i];
    if (arg == "--out") {
      out_dir = value;
    } else if (arg == "--preview") {
      preview_dir = value;
    } else if (arg == "--cjk-font") {
      fonts.cjk = value;
    } else if (arg == "--title-font") {
      fonts.title = value;
    } else {
      std::fprintf(stderr, "unknown option %s\n", arg.c_str());
      return 2;
    }
  }

  std::vector<Animation> animations;
  animations.push_back({"skin.gif", {DrawSkin(fonts)}, 0});
  const struct {
    const char* name;
    std::u32string caption;
  } buttons[] = {{"start", U"开始"}, {"stop", U"停止"}, {"save", U"保存"}, {"about", U"关于"}};
  for (const auto& button : buttons) {
    const std::string name = button.name;
    animations.push_back(
        {name + "_normal.gif", {DrawButton(fonts, button.caption, ButtonLook::kNormal)}, 0});
    animations.push_back(
        {name + "_hover.gif", {DrawButton(fonts, button.caption, ButtonLook::kHover)}, 0});
    animations.push_back(
        {name + "_disabled.gif", {DrawButton(fonts, button.caption, ButtonLook::kDisabled)}, 0});
  }
  animations.push_back(
      {"minimise_normal.gif", {DrawTitleButton(TitleButton::kMinimise, false)}, 0});
  animations.push_back({"minimise_hover.gif", {DrawTitleButton(TitleButton::kMinimise, true)}, 0});
  animations.push_back({"close_normal.gif", {DrawTitleButton(TitleButton::kClose, false)}, 0});
  animations.push_back({"close_hover.gif", {DrawTitleButton(TitleButton::kClose, true)}, 0});
  // Idle, the plus blinks between white and gold every half second.
  animations.push_back({"crosshair_idle.gif", {DrawCrosshair(kWhite), DrawCrosshair(kGold)}, 50});
  animations.push_back({"crosshair_recording.gif", {DrawCrosshair(kGold)}, 0});

  std::vector<RgbaImage> icons;
  for (int size : {16, 32, 48, 64, 72}) icons.push_back(DrawIcon(size));

  int failures = 0;
  for (const Animation& animation : animations) {
    CheckPalette(animation);
    if (!preview_dir.empty()) {
      for (std::size_t i = 0; i < animation.frames.size(); ++i) {
        const std::string suffix =
            animation.frames.size() > 1 ? "-" + std::to_string(i) : std::string();
        WriteFile(preview_dir + "/" + Stem(animation.name) + suffix + ".bmp",
                  framelark::WriteBitmapFile(animation.frames[i]));
      }
    }
    if (!WriteGif(out_dir + "/" + animation.name, animation)) {
      std::fprintf(stderr, "the GIF writer could not save %s\n", animation.name.c_str());
      ++failures;
    }
  }
  if (!preview_dir.empty()) {
    for (const RgbaImage& icon : icons) {
      WriteFile(preview_dir + "/framelark-" + std::to_string(icon.width) + ".bmp",
                framelark::WriteBitmapFile(Flatten(icon)));
    }
  }
  WriteFile(out_dir + "/cursor_arrow.cur", MakeArrowCursor());
  WriteFile(out_dir + "/framelark.ico", MakeIconFile(icons));
  return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace picgen

int main(int argc, char** argv) {
  try {
    return picgen::Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "picgen: %s\n", e.what());
    return 1;
  }
}
