#include "gif/gif_decoder.h"

#include <algorithm>
#include <cstring>

#include "gif/lzw.h"

namespace framelark {
namespace {

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Has(std::size_t n) const { return size_ - pos_ >= n; }
  std::uint8_t Byte() { return data_[pos_++]; }
  int U16() {
    const int v = data_[pos_] | data_[pos_ + 1] << 8;
    pos_ += 2;
    return v;
  }
  const std::uint8_t* Here() const { return data_ + pos_; }
  void Skip(std::size_t n) { pos_ += n; }

  // Reads a chain of sub-blocks up to its terminator; appends the payload to
  // `out` when given. False when the data ends first.
  bool SubBlocks(std::vector<std::uint8_t>* out) {
    for (;;) {
      if (!Has(1)) return false;
      const std::size_t n = Byte();
      if (n == 0) return true;
      if (!Has(n)) {
        if (out != nullptr) out->insert(out->end(), Here(), data_ + size_);
        pos_ = size_;
        return false;
      }
      if (out != nullptr) out->insert(out->end(), Here(), Here() + n);
      Skip(n);
    }
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

bool ReadColorTable(Reader& in, int bits, std::vector<std::uint32_t>& table) {
  const std::size_t entries = std::size_t{1} << bits;
  if (!in.Has(entries * 3)) return false;
  table.resize(entries);
  for (std::size_t i = 0; i < entries; ++i) {
    const std::uint32_t r = in.Byte(), g = in.Byte(), b = in.Byte();
    table[i] = 0xFF000000u | r << 16 | g << 8 | b;
  }
  return true;
}

// Row order of an interlaced image: every 8th row from 0, every 8th from 4,
// every 4th from 2, every 2nd from 1.
std::vector<int> InterlacedRows(int height) {
  std::vector<int> rows;
  rows.reserve(static_cast<std::size_t>(height));
  const int start[4] = {0, 4, 2, 1};
  const int step[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int y = start[pass]; y < height; y += step[pass]) rows.push_back(y);
  }
  return rows;
}

}  // namespace

bool DecodeGif(const std::uint8_t* data, std::size_t size, DecodedGif& out,
               std::size_t max_frames) {
  out = DecodedGif();
  if (data == nullptr) return false;
  Reader in(data, size);
  if (!in.Has(13)) return false;
  if (std::memcmp(in.Here(), "GIF87a", 6) != 0 && std::memcmp(in.Here(), "GIF89a", 6) != 0) {
    return false;
  }
  in.Skip(6);
  out.width = in.U16();
  out.height = in.U16();
  const std::uint8_t screen_flags = in.Byte();
  in.Skip(2);  // background index, aspect ratio
  if (out.width == 0 || out.height == 0 ||
      static_cast<std::size_t>(out.width) * out.height > kMaxDecodedCanvasPixels) {
    return false;
  }
  std::vector<std::uint32_t> global;
  if ((screen_flags & 0x80) != 0 && !ReadColorTable(in, (screen_flags & 7) + 1, global)) {
    return true;
  }

  PixelImage canvas(out.width, out.height, 0);
  PixelImage saved;  // canvas before a frame that restores to previous
  int delay = 0, transparent = -1, disposal = 0;
  // What to undo before the next frame is drawn.
  int pending_disposal = 0;
  int prev_x = 0, prev_y = 0, prev_w = 0, prev_h = 0;
  std::vector<std::uint32_t> local;
  std::vector<std::uint8_t> codes;
  std::vector<std::uint8_t> indices;

  while (in.Has(1)) {
    const std::uint8_t introducer = in.Byte();
    if (introducer == 0x3B) {
      out.complete = true;
      return true;
    }
    if (introducer == 0x21) {
      if (!in.Has(1)) return true;
      const std::uint8_t label = in.Byte();
      if (label == 0xF9) {
        std::vector<std::uint8_t> body;
        if (!in.SubBlocks(&body)) return true;
        if (body.size() >= 4) {
          disposal = (body[0] >> 2) & 7;
          delay = body[1] | body[2] << 8;
          transparent = (body[0] & 1) != 0 ? body[3] : -1;
        }
      } else if (label == 0xFF) {
        std::vector<std::uint8_t> body;
        if (!in.Has(1)) return true;
        const std::size_t id_size = in.Byte();
        if (!in.Has(id_size)) return true;
        const bool loop = id_size == 11 && (std::memcmp(in.Here(), "NETSCAPE2.0", 11) == 0 ||
                                            std::memcmp(in.Here(), "ANIMEXTS1.0", 11) == 0);
        in.Skip(id_size);
        if (!in.SubBlocks(&body)) return true;
        if (loop && body.size() >= 3 && body[0] == 1) out.loop_count = body[1] | body[2] << 8;
      } else if (label == 0xFE) {
        std::vector<std::uint8_t> body;
        const bool whole = in.SubBlocks(&body);
        out.comments.emplace_back(body.begin(), body.end());
        if (!whole) return true;
      } else if (!in.SubBlocks(nullptr)) {
        return true;
      }
      continue;
    }
    if (introducer != 0x2C) return true;  // not a block this format has

    if (!in.Has(9)) return true;
    const int fx = in.U16(), fy = in.U16(), fw = in.U16(), fh = in.U16();
    const std::uint8_t flags = in.Byte();
    const std::vector<std::uint32_t>* table = &global;
    if ((flags & 0x80) != 0) {
      if (!ReadColorTable(in, (flags & 7) + 1, local)) return true;
      table = &local;
    }
    if (!in.Has(1)) return true;
    const int min_code_size = in.Byte();
    codes.clear();
    const bool whole = in.SubBlocks(&codes);

    // Undo the previous frame as it asked.
    if (pending_disposal == 2) {
      for (int y = prev_y; y < prev_y + prev_h; ++y) {
        std::fill(&canvas.At(prev_x, y), &canvas.At(prev_x, y) + prev_w, 0u);
      }
    } else if (pending_disposal == 3 && saved.width == canvas.width) {
      canvas.pixels = saved.pixels;
    }
    if (disposal == 3) saved = canvas;

    const std::size_t count = static_cast<std::size_t>(fw) * fh;
    indices.assign(count, 0);
    const std::size_t produced =
        count == 0 ? 0
                   : LzwDecode(codes.data(), codes.size(), min_code_size, indices.data(), count);
    const std::vector<int> rows = (flags & 0x40) != 0 ? InterlacedRows(fh) : std::vector<int>();
    for (std::size_t i = 0; i < produced; ++i) {
      const int row = static_cast<int>(i / static_cast<std::size_t>(fw));
      const int x = fx + static_cast<int>(i % static_cast<std::size_t>(fw));
      const int y = fy + (rows.empty() ? row : rows[static_cast<std::size_t>(row)]);
      if (x >= out.width || y >= out.height) continue;
      const int index = indices[i];
      if (index == transparent) continue;
      canvas.At(x, y) =
          static_cast<std::size_t>(index) < table->size() ? (*table)[index] : 0xFF000000u;
    }
    out.frames.push_back({canvas, delay});

    pending_disposal = disposal;
    prev_x = std::min(fx, out.width);
    prev_y = std::min(fy, out.height);
    prev_w = std::min(fw, out.width - prev_x);
    prev_h = std::min(fh, out.height - prev_y);
    delay = 0;
    transparent = -1;
    disposal = 0;
    if (!whole || produced < count) return true;
    if (out.frames.size() >= max_frames) return true;
  }
  return true;
}

}  // namespace framelark
