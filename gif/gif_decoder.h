// A small GIF decoder: the picture box plays animated pictures with it, and
// the writer's tests read their files back with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gif/bitmap_file.h"

namespace framelark {

// A frame as shown on screen: the whole canvas after the frame was drawn.
// Pixels are 0xFFRRGGBB where some frame painted them and 0 where none did
// yet (or a disposal cleared them).
struct DecodedFrame {
  PixelImage image;
  int delay = 0;  // hundredths of a second
};

struct DecodedGif {
  int width = 0;
  int height = 0;
  int loop_count = -1;  // -1: no loop extension; 0: endless
  std::vector<std::string> comments;
  std::vector<DecodedFrame> frames;
  bool complete = false;  // every block read, trailer reached
};

// Canvases larger than this many pixels are refused.
constexpr std::size_t kMaxDecodedCanvasPixels = std::size_t{1} << 26;

// Decodes a GIF file in memory. Returns false when the data is no GIF at
// all; otherwise fills `out` with as many frames as could be read (a frame
// cut short keeps what arrived, the rest of it showing the canvas beneath)
// and sets out.complete only when the whole file was sound. Stops after
// `max_frames` frames. Never reads outside `data`.
bool DecodeGif(const std::uint8_t* data, std::size_t size, DecodedGif& out,
               std::size_t max_frames = static_cast<std::size_t>(-1));
inline bool DecodeGif(const std::vector<std::uint8_t>& bytes, DecodedGif& out) {
  return DecodeGif(bytes.data(), bytes.size(), out);
}

}  // namespace framelark
