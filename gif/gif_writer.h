// The GIF writer: five operations on one GifMaker object.
//
// Calling order used by a recording: GifReset, GifRelease, GifBegin once at
// the start; GifAddFrame once per composed frame; GifSave with the chosen
// file name, as often as the user saves; GifRelease when the program closes.
//
// Picture bytes are a bitmap file (BITMAPFILEHEADER + BITMAPINFOHEADER,
// 24 or 32 bits per pixel, rows bottom-up or top-down, padded to 4 bytes),
// as a screen grab or a canvas yields it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gif/records.h"

namespace framelark {

using Bytes = std::vector<std::uint8_t>;

class GifEncoder;  // the encoder behind the operations

// The writer object. The recorder owns exactly one for the whole run; it
// starts empty.
class GifMaker {
 public:
  GifMaker();
  ~GifMaker();
  GifMaker(const GifMaker&) = delete;
  GifMaker& operator=(const GifMaker&) = delete;

  // True while a picture is begun and not yet dropped.
  bool HasPicture() const;
  // Frames added to the current picture.
  int FrameCount() const;

 private:
  friend void GifBegin(GifMaker&, const AnimationInfo&);
  friend void GifRelease(GifMaker&);
  friend void GifReset(GifMaker&);
  friend void GifAddFrame(GifMaker&, const FrameInfo&, int, const Bytes&);
  friend bool GifSave(GifMaker&, const std::string&);
  std::unique_ptr<GifEncoder> encoder_;
};

// Starts a new picture of AnimationInfo's width and height with its comment
// and an endless loop. A width or height <= 0 leaves the writer empty.
void GifBegin(GifMaker& maker, const AnimationInfo& info);

// Drops the picture and everything the writer holds; nothing on an empty writer.
void GifRelease(GifMaker& maker);

// Drops the frames added so far; nothing on an empty writer.
void GifReset(GifMaker& maker);

// Adds one frame with FrameInfo's delay. `left_out` is the unused third
// argument, always 0. Malformed picture bytes are refused and change nothing.
void GifAddFrame(GifMaker& maker, const FrameInfo& frame, int left_out, const Bytes& picture);

// Writes the whole picture to `utf8_path` (through a temporary file that is
// renamed over the target once complete). Returns false when nothing could
// be written; an existing file is then left as it was.
bool GifSave(GifMaker& maker, const std::string& utf8_path);

}  // namespace framelark
