// The encoder behind GifMaker: takes frames as they are recorded, encodes
// each at once into the frame store and keeps only the previous frame's
// pixels, and writes the whole file on request.
//
// Per frame: bitmap-file input -> frame difference -> palette -> remap ->
// LZW -> blocks -> frame store.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "gif/bitmap_file.h"
#include "gif/frame_difference.h"
#include "gif/frame_store.h"
#include "gif/gif_blocks.h"
#include "gif/lzw.h"
#include "gif/palette.h"
#include "gif/remap.h"

namespace framelark {

struct EncoderOptions {
  // Error diffusion on smoothly varying areas of quantised frames.
  bool dither = true;
};

// How the last frame was stored; for tests and the bench.
struct FrameReport {
  Rect rect;
  bool exact = false;        // colours stored without loss
  bool transparent = false;  // unchanged pixels left transparent
  bool local_table = false;
  bool reused_palette = false;
  std::size_t bytes = 0;
};

class GifEncoder {
 public:
  GifEncoder(int width, int height, std::string comment, EncoderOptions options = {});

  // Adds a frame given as bitmap file bytes; false (and nothing changes)
  // when the bytes are refused.
  bool AddBitmapFile(int delay, const std::uint8_t* data, std::size_t size);
  // Adds a frame of pixels, placed at 0, 0 and cut to the picture.
  bool AddImage(int delay, const PixelImage& image);
  // Drops every frame; the picture's size and comment stay.
  void Reset();

  // Writes the complete file.
  bool WriteTo(std::FILE* out);
  // Writes the complete file to a temporary file beside `utf8_path` and
  // renames it over `utf8_path`.
  bool Save(const std::string& utf8_path);

  int width() const { return width_; }
  int height() const { return height_; }
  int frame_count() const { return frame_count_; }
  std::uint64_t encoded_bytes() const { return store_.size(); }
  const FrameReport& last_frame() const { return report_; }
  const FrameStore& store() const { return store_; }

 private:
  bool EncodeCanvas(int delay);
  void EncodeEmptyFrame(int delay);
  void EncodeExact(int delay, const Rect& rect, bool transparency);
  // Codes one way of storing an exact frame with the local table and, when
  // it can serve, the global one; keeps it in best_ if smaller.
  void ConsiderExact(const std::vector<std::uint8_t>& indices, const ColorTable& colors,
                     int transparent, bool opaque, bool try_global, bool try_local);
  void EncodeQuantised(int delay, const Rect& rect, bool transparency);
  // Writes GCE, descriptor, optional local table and the image data in
  // codes_ to frame_.
  void EmitFrame(int delay, const Rect& rect, const ColorTable* local, int table_bits,
                 int transparent);
  // LZW-codes `indices` into codes_; returns the image data's size.
  std::size_t EncodedSize(const std::vector<std::uint8_t>& indices, int table_bits);
  void SetGlobalTable(const ColorTable& colors, bool need_spare);

  int width_;
  int height_;
  std::string comment_;
  EncoderOptions options_;
  int frame_count_ = 0;

  PixelImage shown_;                 // the previous frame's source pixels
  PixelImage next_;                  // the frame being added
  PixelImage input_;                 // a decoded frame of another size
  std::vector<std::uint8_t> exact_;  // 1 where the decoder shows shown_ exactly

  ColorTable global_;  // the first frame's colours, in the file's global table
  int global_bits_ = 0;
  int global_transparent_ = -1;
  ExactPalette global_lookup_;
  ColorTable last_quantised_;  // palette of the last quantised frame

  // Scratch buffers kept between frames.
  std::vector<std::uint32_t> pixels_;
  std::vector<std::uint8_t> changed_;
  std::vector<std::uint8_t> shown_exact_;
  std::vector<std::uint8_t> indices_;
  std::vector<std::uint8_t> alternative_;
  std::vector<std::uint8_t> dither_;
  std::vector<std::uint8_t> codes_;
  std::vector<std::uint8_t> frame_;
  ExactPalette exact_palette_;
  ExactPalette opaque_palette_;
  struct Choice {
    std::size_t cost = static_cast<std::size_t>(-1);
    const ColorTable* local = nullptr;  // null: the global table
    int bits = 0;
    int transparent = -1;
    bool opaque = false;  // every pixel of the rectangle drawn
  };
  Choice best_;
  std::vector<std::uint8_t> best_codes_;
  NearestColor nearest_;
  NearestColor last_nearest_;  // Reset to last_quantised_
  LzwEncoder lzw_;
  FrameStore store_;
  FrameReport report_;
};

}  // namespace framelark
