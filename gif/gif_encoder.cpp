#include "gif/gif_encoder.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "gif/file_io.h"
#include "gif/remap.h"

namespace framelark {

namespace {

int MinCodeSize(int table_bits) { return std::max(2, table_bits); }

// Squared colour distance a quantised pixel may move beyond twice its own
// error so that LZW finds a longer string.
constexpr int kLossySlack = 3;

// Share of the palette error a reused palette may exceed a fresh one by and
// still be kept: steadier colours across frames are worth a little error.
constexpr double kReuseErrorRatio = 1.05;
constexpr double kReuseErrorSlack = 0.25;

// Exact rectangles up to this many pixels are coded in each way they can be
// stored (transparency forms, global or local table); the smallest is kept.
constexpr std::size_t kTryBothTablesPixels = 1 << 16;

// Palettes of large rectangles are built from a sample of about this many
// pixels: plenty for 255 colours, and the time stays bounded.
constexpr std::size_t kRefineCellsUpTo = 16384;

constexpr std::size_t kPaletteSamples = std::size_t{1} << 17;

// Every step-th pixel gives about kPaletteSamples of `count`; the step never
// divides the row width, so that the sample does not fall into columns.
std::size_t SampleStep(std::size_t count, int width) {
  std::size_t step = std::max<std::size_t>(1, count / kPaletteSamples);
  while (step > 1 && static_cast<std::size_t>(width) % step == 0) ++step;
  return step;
}

}  // namespace

GifEncoder::GifEncoder(int width, int height, std::string comment, EncoderOptions options)
    : width_(width), height_(height), comment_(std::move(comment)), options_(options) {}

bool GifEncoder::AddBitmapFile(int delay, const std::uint8_t* data, std::size_t size) {
  // Decoded straight into the frame buffer; it is scratch until encoded.
  if (!ReadBitmapFileInto(data, size, next_)) return false;
  if (next_.width != width_ || next_.height != height_) {
    std::swap(next_, input_);
    if (frame_count_ == 0) {
      next_ = PixelImage(width_, height_, 0);
    } else {
      next_ = shown_;
    }
    PlaceFrame(input_, next_);
  }
  return EncodeCanvas(delay);
}

bool GifEncoder::AddImage(int delay, const PixelImage& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * image.height) {
    return false;
  }
  if (image.width == width_ && image.height == height_) {
    next_ = image;
  } else {
    next_ = frame_count_ == 0 ? PixelImage(width_, height_, 0) : shown_;
    PlaceFrame(image, next_);
  }
  for (auto& p : next_.pixels) p &= 0xFFFFFFu;
  return EncodeCanvas(delay);
}

void GifEncoder::Reset() {
  frame_count_ = 0;
  store_.Clear();
  shown_ = PixelImage();
  next_ = PixelImage();
  input_ = PixelImage();
  std::vector<std::uint8_t>().swap(exact_);
  global_.clear();
  global_bits_ = 0;
  global_transparent_ = -1;
  global_lookup_.Clear();
  last_quantised_.clear();
  report_ = FrameReport();
}

bool GifEncoder::EncodeCanvas(int delay) {
  delay = std::clamp(delay, 0, 65535);
  frame_.clear();
  report_ = FrameReport();
  const bool first = frame_count_ == 0;
  if (first) exact_.assign(static_cast<std::size_t>(width_) * height_, 0);
  const Rect rect = first ? Rect{0, 0, width_, height_} : ChangedBounds(shown_, next_);
  if (rect.Empty()) {
    EncodeEmptyFrame(delay);
  } else {
    const std::size_t n = static_cast<std::size_t>(rect.width) * rect.height;
    CopyRect(next_, rect, pixels_);
    bool transparency = false;
    if (!first) {
      ChangedMask(shown_, next_, rect, changed_);
      transparency = std::find(changed_.begin(), changed_.end(), 0) != changed_.end();
    }
    exact_palette_.Clear();
    bool exact =
        exact_palette_.Add(pixels_.data(), transparency ? changed_.data() : nullptr, n, 256);
    if (exact && transparency && exact_palette_.size() == 256) {
      // No index left for transparency: store the whole rectangle if it
      // still has no more than 256 colours.
      exact_palette_.Clear();
      exact = exact_palette_.Add(pixels_.data(), nullptr, n, 256);
      transparency = false;
    }
    report_.rect = rect;
    report_.transparent = transparency;
    if (exact) {
      EncodeExact(delay, rect, transparency);
    } else {
      EncodeQuantised(delay, rect, transparency);
    }
  }
  report_.bytes = frame_.size();
  if (!store_.Append(frame_)) return false;
  std::swap(shown_, next_);
  ++frame_count_;
  return true;
}

void GifEncoder::EncodeEmptyFrame(int delay) {
  const Rect rect{0, 0, 1, 1};
  if (global_transparent_ >= 0) {
    indices_.assign(1, static_cast<std::uint8_t>(global_transparent_));
    codes_.clear();
    lzw_.Encode(indices_.data(), 1, MinCodeSize(global_bits_), codes_);
    EmitFrame(delay, rect, nullptr, global_bits_, global_transparent_);
  } else {
    const ColorTable local{0, 0};
    indices_.assign(1, 0);
    codes_.clear();
    lzw_.Encode(indices_.data(), 1, MinCodeSize(1), codes_);
    EmitFrame(delay, rect, &local, 1, 0);
    report_.local_table = true;
  }
  report_.rect = rect;
  report_.transparent = true;
  report_.exact = true;
}

void GifEncoder::SetGlobalTable(const ColorTable& colors, bool need_spare) {
  global_ = colors;
  const std::size_t entries = colors.size() + (need_spare && colors.size() < 256 ? 1 : 0);
  global_bits_ = ColorTableBits(entries);
  global_transparent_ =
      colors.size() < (std::size_t{1} << global_bits_) ? static_cast<int>(colors.size()) : -1;
  global_lookup_.Clear();
  global_lookup_.Add(global_.data(), nullptr, global_.size(), 256);
}

std::size_t GifEncoder::EncodedSize(const std::vector<std::uint8_t>& indices, int table_bits) {
  codes_.clear();
  lzw_.Encode(indices.data(), indices.size(), MinCodeSize(table_bits), codes_);
  return codes_.size() + codes_.size() / 255 + 1;
}

void GifEncoder::ConsiderExact(const std::vector<std::uint8_t>& indices, const ColorTable& colors,
                               int transparent, bool opaque, bool try_global, bool try_local) {
  const std::size_t n = indices.size();
  const int local_bits = ColorTableBits(colors.size() + (transparent >= 0 ? 1 : 0));
  // The global table serves when it holds every colour (and a spare index
  // for transparency); it saves the local table but may need wider codes.
  bool global_ok = try_global && !global_.empty() && (transparent < 0 || global_transparent_ >= 0);
  std::uint8_t to_global[256] = {};
  for (std::size_t i = 0; global_ok && i < colors.size(); ++i) {
    const int g = global_lookup_.IndexOf(colors[i]);
    if (g < 0) global_ok = false;
    to_global[i] = static_cast<std::uint8_t>(g);
  }
  if (global_ok && transparent >= 0) {
    to_global[transparent] = static_cast<std::uint8_t>(global_transparent_);
  }
  if (global_ok) {
    alternative_.resize(n);
    for (std::size_t i = 0; i < n; ++i) alternative_[i] = to_global[indices[i]];
    const std::size_t size = EncodedSize(alternative_, global_bits_);
    if (size < best_.cost) {
      best_ = {size, nullptr, global_bits_, transparent >= 0 ? global_transparent_ : -1, opaque};
      std::swap(best_codes_, codes_);
    }
  }
  if (try_local || !global_ok) {
    const std::size_t size = EncodedSize(indices, local_bits) + (std::size_t{3} << local_bits);
    if (size < best_.cost) {
      best_ = {size, &colors, local_bits, transparent, opaque};
      std::swap(best_codes_, codes_);
    }
  }
}

void GifEncoder::EncodeExact(int delay, const Rect& rect, bool transparency) {
  const std::size_t n = static_cast<std::size_t>(rect.width) * rect.height;
  const ColorTable& colors = exact_palette_.colors();
  const int transparent = transparency ? static_cast<int>(colors.size()) : -1;
  report_.exact = true;
  indices_.resize(n);

  if (frame_count_ == 0) {
    RemapExact(pixels_.data(), nullptr, nullptr, n, exact_palette_, -1, indices_.data());
    SetGlobalTable(colors, true);
    EncodedSize(indices_, global_bits_);
    EmitFrame(delay, rect, nullptr, global_bits_, -1);
    std::fill(exact_.begin(), exact_.end(), 1);
    return;
  }

  best_ = Choice();
  const bool small = n <= kTryBothTablesPixels;
  if (transparency) {
    shown_exact_.resize(n);
    for (int y = 0; y < rect.height; ++y) {
      std::memcpy(&shown_exact_[static_cast<std::size_t>(y) * rect.width],
                  &exact_[static_cast<std::size_t>(rect.y + y) * width_ + rect.x], rect.width);
    }
  }
  // Unchanged pixels may be transparent or, where the decoder already shows
  // them exactly, their own colour. Small rectangles try several ways.
  RemapExact(pixels_.data(), transparency ? changed_.data() : nullptr,
             transparency ? shown_exact_.data() : nullptr, n, exact_palette_, transparent,
             indices_.data());
  const int local_bits = ColorTableBits(colors.size() + (transparency ? 1 : 0));
  ConsiderExact(indices_, colors, transparent, !transparency, true,
                small || global_bits_ > local_bits);
  if (transparency && small) {
    // Every unchanged pixel transparent.
    RemapExact(pixels_.data(), changed_.data(), nullptr, n, exact_palette_, transparent,
               indices_.data());
    ConsiderExact(indices_, colors, transparent, false, true, true);
    // No transparency at all, when the whole rectangle has few colours.
    opaque_palette_.Clear();
    if (opaque_palette_.Add(pixels_.data(), nullptr, n, 256)) {
      RemapExact(pixels_.data(), nullptr, nullptr, n, opaque_palette_, -1, indices_.data());
      ConsiderExact(indices_, opaque_palette_.colors(), -1, true, true, true);
    }
  }
  std::swap(codes_, best_codes_);
  EmitFrame(delay, rect, best_.local, best_.bits, best_.transparent);
  report_.local_table = best_.local != nullptr;
  report_.transparent = best_.transparent >= 0;

  // Every stored pixel now shows its exact colour.
  for (int y = 0; y < rect.height; ++y) {
    std::uint8_t* e = &exact_[static_cast<std::size_t>(rect.y + y) * width_ + rect.x];
    const std::uint8_t* c =
        best_.opaque ? nullptr : &changed_[static_cast<std::size_t>(y) * rect.width];
    for (int x = 0; x < rect.width; ++x) {
      if (c == nullptr || c[x] != 0) e[x] = 1;
    }
  }
}

void GifEncoder::EncodeQuantised(int delay, const Rect& rect, bool transparency) {
  const std::size_t n = static_cast<std::size_t>(rect.width) * rect.height;
  const std::uint8_t* use = transparency ? changed_.data() : nullptr;
  const std::size_t step = SampleStep(n, rect.width);
  const ColorHistogram histogram = BuildHistogram(pixels_.data(), use, n, step);
  ColorTable palette = QuantizeWu(histogram, 255);
  // Lloyd rounds on the histogram's cells are cheap while the cells are
  // few; on many cells the rounds on the pixel sample below do it alone.
  if (histogram.cells.size() <= kRefineCellsUpTo) RefinePalette(histogram, palette, 2);
  // Two Lloyd rounds on the pixels of small rectangles, one on the sample
  // of large ones, where each round costs a full set of cell lists.
  RefinePaletteOnPixels(pixels_.data(), use, n, step, palette, step > 1 ? 1 : 2, nearest_);
  if (!last_quantised_.empty()) {
    // Keep the previous palette while it still fits, so that colours do not
    // jump between frames.
    // last_nearest_ still holds the cell lists the last frame built.
    const double old_error = PaletteError(histogram, last_quantised_, last_nearest_);
    const double new_error = PaletteError(histogram, palette, nearest_);
    if (old_error <= new_error * kReuseErrorRatio + kReuseErrorSlack) {
      palette = last_quantised_;
      report_.reused_palette = true;
    }
  }
  if (!report_.reused_palette) {
    last_quantised_ = palette;
    std::swap(last_nearest_, nearest_);
  }
  NearestColor& nearest = last_nearest_;
  const int transparent = transparency ? static_cast<int>(palette.size()) : -1;
  const std::uint8_t* dither = nullptr;
  if (options_.dither) {
    DitherMask(pixels_.data(), rect.width, rect.height, dither_);
    dither = dither_.data();
  }
  indices_.resize(n);
  RemapNearest(pixels_.data(), use, dither, rect.width, rect.height, palette, nearest, transparent,
               indices_.data());

  NearColorAlternatives alternatives(pixels_.data(), indices_.data(), palette, nearest, transparent,
                                     kLossySlack);
  const auto encode = [&](int bits) {
    codes_.clear();
    lzw_.Begin(MinCodeSize(bits), codes_);
    lzw_.AddApproximate(indices_.data(), indices_.size(), alternatives);
    lzw_.Finish();
  };
  if (frame_count_ == 0) {
    SetGlobalTable(palette, true);
    encode(global_bits_);
    EmitFrame(delay, rect, nullptr, global_bits_, -1);
  } else if (palette == global_ && (!transparency || global_transparent_ == transparent)) {
    encode(global_bits_);
    EmitFrame(delay, rect, nullptr, global_bits_, transparent);
  } else {
    const int bits = ColorTableBits(palette.size() + (transparency ? 1 : 0));
    encode(bits);
    EmitFrame(delay, rect, &palette, bits, transparent);
    report_.local_table = true;
  }
  for (int y = 0; y < rect.height; ++y) {
    std::uint8_t* e = &exact_[static_cast<std::size_t>(rect.y + y) * width_ + rect.x];
    const std::size_t row = static_cast<std::size_t>(y) * rect.width;
    for (int x = 0; x < rect.width; ++x) {
      const int index = indices_[row + x];
      if (index == transparent) continue;
      e[x] = palette[static_cast<std::size_t>(index)] == pixels_[row + x];
    }
  }
}

void GifEncoder::EmitFrame(int delay, const Rect& rect, const ColorTable* local, int table_bits,
                           int transparent) {
  PutGraphicsControlExtension(frame_, Disposal::kKeep, delay, transparent);
  PutImageDescriptor(frame_, rect.x, rect.y, rect.width, rect.height,
                     local != nullptr ? table_bits : 0);
  if (local != nullptr) PutColorTable(frame_, *local, table_bits);
  PutImageData(frame_, MinCodeSize(table_bits), codes_);
}

bool GifEncoder::WriteTo(std::FILE* out) {
  std::vector<std::uint8_t> head;
  PutHeader(head);
  const bool blank = frame_count_ == 0;
  const ColorTable blank_table{0, 0};
  const ColorTable& table = blank ? blank_table : global_;
  const int bits = blank ? 1 : global_bits_;
  PutLogicalScreenDescriptor(head, width_, height_, bits);
  PutColorTable(head, table, bits);
  PutNetscapeLoopExtension(head, 0);
  PutCommentExtension(head, comment_);
  if (std::fwrite(head.data(), 1, head.size(), out) != head.size()) return false;
  if (blank) {
    // One black frame of the picture's size, so that every decoder has a
    // picture to show.
    std::vector<std::uint8_t> frame;
    PutImageDescriptor(frame, 0, 0, width_, height_, 0);
    std::vector<std::uint8_t> codes;
    const std::vector<std::uint8_t> zeros(static_cast<std::size_t>(width_), 0);
    lzw_.Begin(MinCodeSize(1), codes);
    for (int y = 0; y < height_; ++y) lzw_.Add(zeros.data(), zeros.size());
    lzw_.Finish();
    PutImageData(frame, MinCodeSize(1), codes);
    if (std::fwrite(frame.data(), 1, frame.size(), out) != frame.size()) return false;
  } else if (!store_.CopyTo(out)) {
    return false;
  }
  std::vector<std::uint8_t> tail;
  PutTrailer(tail);
  return std::fwrite(tail.data(), 1, tail.size(), out) == tail.size();
}

bool GifEncoder::Save(const std::string& utf8_path) {
  if (utf8_path.empty()) return false;
  const std::string temp = SiblingTempPath(utf8_path);
  std::FILE* out = OpenFileUtf8(temp, "wb");
  if (out == nullptr) return false;
  bool ok = false;
  try {
    ok = WriteTo(out);
  } catch (const std::bad_alloc&) {
    ok = false;  // the temporary file is removed below
  }
  ok = std::fflush(out) == 0 && ok;
  ok = std::fclose(out) == 0 && ok;
  if (!ok || !RenameFileUtf8(temp, utf8_path)) {
    RemoveFileUtf8(temp);
    return false;
  }
  return true;
}

}  // namespace framelark
