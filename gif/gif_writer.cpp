// The five writer operations on GifMaker, over GifEncoder.
#include "gif/gif_writer.h"

#include <new>

#include "gif/gif_encoder.h"

namespace framelark {

GifMaker::GifMaker() = default;
GifMaker::~GifMaker() = default;
bool GifMaker::HasPicture() const { return encoder_ != nullptr; }
int GifMaker::FrameCount() const { return encoder_ ? encoder_->frame_count() : 0; }

void GifBegin(GifMaker& maker, const AnimationInfo& info) {
  maker.encoder_.reset();
  const int width = info.Width();
  const int height = info.Height();
  if (width <= 0 || height <= 0) return;
  maker.encoder_ =
      std::make_unique<GifEncoder>(width, height, info.comment != nullptr ? info.comment : "");
}

void GifRelease(GifMaker& maker) { maker.encoder_.reset(); }

void GifReset(GifMaker& maker) {
  if (maker.encoder_) maker.encoder_->Reset();
}

void GifAddFrame(GifMaker& maker, const FrameInfo& frame, int /*left_out*/, const Bytes& picture) {
  if (!maker.encoder_) return;
  try {
    maker.encoder_->AddBitmapFile(frame.Delay(), picture.data(), picture.size());
  } catch (const std::bad_alloc&) {
    // A picture too large for this machine's memory: the frame is refused.
  }
}

bool GifSave(GifMaker& maker, const std::string& utf8_path) {
  if (!maker.encoder_) return false;
  try {
    return maker.encoder_->Save(utf8_path);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace framelark
