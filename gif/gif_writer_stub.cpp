// Placeholder writer: keeps the picture's state so that start-up, recording
// and shutdown can run; the encoder replaces it.
#include "gif/gif_writer.h"

namespace framelark {

class GifEncoder {
 public:
  AnimationInfo info;
  int frames = 0;
};

GifMaker::GifMaker() = default;
GifMaker::~GifMaker() = default;
bool GifMaker::HasPicture() const { return encoder_ != nullptr; }
int GifMaker::FrameCount() const { return encoder_ ? encoder_->frames : 0; }

void GifBegin(GifMaker& maker, const AnimationInfo& info) {
  maker.encoder_.reset();
  if (info.Width() <= 0 || info.Height() <= 0) return;
  maker.encoder_ = std::make_unique<GifEncoder>();
  maker.encoder_->info = info;
}
void GifRelease(GifMaker& maker) { maker.encoder_.reset(); }
void GifReset(GifMaker& maker) {
  if (maker.encoder_) maker.encoder_->frames = 0;
}
void GifAddFrame(GifMaker& maker, const FrameInfo&, int, const Bytes&) {
  if (maker.encoder_) ++maker.encoder_->frames;
}
bool GifSave(GifMaker&, const std::string&) { return false; }

}  // namespace framelark
