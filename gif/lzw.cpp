#include "gif/lzw.h"

#include <algorithm>

namespace framelark {
namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kMaxCodes = 1 << kMaxCodeBits;
// Like most writers, the table is cleared when code 4095 would be assigned,
// so that decoders that stop one code early agree with us.
constexpr int kLastAssignedCode = kMaxCodes - 2;

}  // namespace

LzwEncoder::LzwEncoder()
    : keys_(kHashSize, 0),
      codes_(kHashSize, 0),
      children_(static_cast<std::size_t>(kMaxCodes) * 4, 0) {}

void LzwEncoder::ClearTable() {
  ++generation_;
  if (generation_ >= (1u << 12)) {
    std::fill(keys_.begin(), keys_.end(), 0u);
    generation_ = 1;
  }
  for (std::uint32_t code = 0; code < clear_code_; ++code) ForgetChildren(code);
}

void LzwEncoder::Put(std::uint32_t code) {
  bit_buffer_ |= static_cast<std::uint64_t>(code) << bit_count_;
  bit_count_ += bits_;
  while (bit_count_ >= 8) {
    out_->push_back(static_cast<std::uint8_t>(bit_buffer_));
    bit_buffer_ >>= 8;
    bit_count_ -= 8;
  }
}

void LzwEncoder::Begin(int min_code_size, std::vector<std::uint8_t>& out) {
  out_ = &out;
  min_code_size_ = std::clamp(min_code_size, 2, 8);
  clear_code_ = 1u << min_code_size_;
  bits_ = min_code_size_ + 1;
  next_code_ = clear_code_ + 2;
  bit_buffer_ = 0;
  bit_count_ = 0;
  current_ = -1;
  position_ = 0;
  cycle_start_ = 0;
  full_ = false;
  ClearTable();
  Put(clear_code_);
}

void LzwEncoder::Add(const std::uint8_t* indices, std::size_t count) {
  Run(const_cast<std::uint8_t*>(indices), count, nullptr);
}

void LzwEncoder::AddApproximate(std::uint8_t* indices, std::size_t count,
                                LzwAlternatives& alternatives) {
  Run(indices, count, &alternatives);
}

inline std::uint32_t LzwEncoder::Lookup(std::uint32_t key, std::uint32_t tag,
                                        std::uint32_t& slot) const {
  slot = (key * 2654435761u) >> (32 - kHashBits);
  for (;;) {
    const std::uint32_t entry = keys_[slot];
    if (entry == (tag | key)) return codes_[slot];
    if ((entry & 0xFFF00000u) != tag || entry == 0) return kNoCode;
    slot = (slot + 1) & (kHashSize - 1);
  }
}

void LzwEncoder::Run(std::uint8_t* indices, std::size_t count, LzwAlternatives* alternatives) {
  if (count == 0) return;
  const std::uint32_t index_mask = clear_code_ - 1;
  std::size_t i = 0;
  if (current_ < 0) current_ = indices[i++] & index_mask;
  std::uint32_t current = static_cast<std::uint32_t>(current_);
  std::uint32_t tag = generation_ << 20;
  std::uint8_t options[256];
  for (; i < count; ++i) {
    const std::uint32_t pixel = indices[i] & index_mask;
    const std::uint32_t key = (current << 8 | pixel) + 1;
    std::uint32_t slot;
    std::uint32_t code = Lookup(key, tag, slot);
    if (code == kNoCode && alternatives != nullptr) {
      const std::uint64_t* children = &children_[static_cast<std::size_t>(current) * 4];
      const int n = alternatives->GetAllowed(i, children, options);
      for (int k = 0; k < n; ++k) {
        std::uint32_t ignored;
        const std::uint32_t other = options[k] & index_mask;
        if ((children[other >> 6] >> (other & 63) & 1u) == 0) continue;
        code = Lookup((current << 8 | other) + 1, tag, ignored);
        if (code != kNoCode) {
          indices[i] = static_cast<std::uint8_t>(other);
          break;
        }
      }
    }
    if (code != kNoCode) {
      current = code;
      continue;
    }
    Put(current);
    if (next_code_ <= static_cast<std::uint32_t>(kLastAssignedCode)) {
      keys_[slot] = tag | key;
      codes_[slot] = static_cast<std::uint16_t>(next_code_);
      children_[static_cast<std::size_t>(current) * 4 + (pixel >> 6)] |= std::uint64_t{1}
                                                                         << (pixel & 63);
      ForgetChildren(next_code_);
      ++next_code_;
      if (next_code_ > (1u << bits_) && bits_ < kMaxCodeBits) ++bits_;
    } else if (StaleTable(position_ + i)) {
      Put(clear_code_);
      bits_ = min_code_size_ + 1;
      next_code_ = clear_code_ + 2;
      ClearTable();
      tag = generation_ << 20;
    }
    current = pixel;
  }
  current_ = static_cast<std::int32_t>(current);
  position_ += count;
}

// With a full table the encoder goes on with it as long as it serves (a
// screen's strings stay useful far longer than one table's fill), and
// clears once the pixels per code over a window of codes fall well below
// what the table gave so far.
bool LzwEncoder::StaleTable(std::uint64_t position) {
  if (!full_) {
    full_ = true;
    window_start_ = position;
    window_codes_ = 0;
    best_ratio_ = static_cast<double>(position - cycle_start_) / (next_code_ - clear_code_ - 2);
  }
  if (++window_codes_ < kWindowCodes) return false;
  const double ratio = static_cast<double>(position - window_start_) / window_codes_;
  window_start_ = position;
  window_codes_ = 0;
  if (ratio >= best_ratio_ * kStaleRatio) {
    best_ratio_ = std::max(best_ratio_, ratio);
    return false;
  }
  full_ = false;
  cycle_start_ = position;
  return true;
}

void LzwEncoder::Finish() {
  if (current_ >= 0) {
    Put(static_cast<std::uint32_t>(current_));
    // The decoder adds a table entry for this last code too, which may
    // widen the end code.
    if (next_code_ <= static_cast<std::uint32_t>(kLastAssignedCode)) {
      ++next_code_;
      if (next_code_ > (1u << bits_) && bits_ < kMaxCodeBits) ++bits_;
    }
  }
  Put(clear_code_ + 1);
  if (bit_count_ > 0) out_->push_back(static_cast<std::uint8_t>(bit_buffer_));
  bit_buffer_ = 0;
  bit_count_ = 0;
  current_ = -1;
}

void LzwEncoder::Encode(const std::uint8_t* indices, std::size_t count, int min_code_size,
                        std::vector<std::uint8_t>& out) {
  Begin(min_code_size, out);
  Add(indices, count);
  Finish();
}

std::size_t LzwDecode(const std::uint8_t* data, std::size_t size, int min_code_size,
                      std::uint8_t* pixels, std::size_t max_pixels) {
  if (min_code_size < 1 || min_code_size > 11 || data == nullptr) return 0;
  const int clear_code = 1 << min_code_size;
  const int end_code = clear_code + 1;
  std::vector<std::uint16_t> prefix(kMaxCodes);
  std::vector<std::uint8_t> suffix(kMaxCodes);
  std::vector<std::uint8_t> first(kMaxCodes);
  std::vector<std::uint16_t> length(kMaxCodes);
  for (int c = 0; c < clear_code && c < kMaxCodes; ++c) {
    suffix[c] = static_cast<std::uint8_t>(c);
    first[c] = static_cast<std::uint8_t>(c);
    length[c] = 1;
  }
  int bits = min_code_size + 1;
  int next_code = end_code + 1;
  int previous = -1;
  std::size_t produced = 0;
  std::uint32_t buffer = 0;
  int filled = 0;
  std::size_t pos = 0;
  while (produced < max_pixels) {
    while (filled < bits && pos < size) {
      buffer |= static_cast<std::uint32_t>(data[pos++]) << filled;
      filled += 8;
    }
    if (filled < bits) break;
    const int code = static_cast<int>(buffer & ((1u << bits) - 1));
    buffer >>= bits;
    filled -= bits;
    if (code == clear_code) {
      bits = min_code_size + 1;
      next_code = end_code + 1;
      previous = -1;
      continue;
    }
    if (code == end_code) break;
    int emit;  // the code whose string goes out now
    if (previous < 0) {
      if (code >= clear_code) break;  // first code after a clear must be a colour
      emit = code;
    } else if (code < next_code) {
      emit = code;
      if (next_code < kMaxCodes) {
        prefix[next_code] = static_cast<std::uint16_t>(previous);
        suffix[next_code] = first[code];
        first[next_code] = first[previous];
        length[next_code] = static_cast<std::uint16_t>(length[previous] + 1);
        ++next_code;
      }
    } else if (code == next_code && next_code < kMaxCodes) {
      prefix[next_code] = static_cast<std::uint16_t>(previous);
      suffix[next_code] = first[previous];
      first[next_code] = first[previous];
      length[next_code] = static_cast<std::uint16_t>(length[previous] + 1);
      emit = next_code;
      ++next_code;
    } else {
      break;  // a code the table does not hold yet
    }
    if (next_code >= (1 << bits) && bits < kMaxCodeBits) ++bits;
    // Write the string backwards, cut to the space left.
    const std::size_t len = length[emit];
    const std::size_t room = max_pixels - produced;
    int c = emit;
    for (std::size_t i = len; i-- > 0;) {
      if (i < room) pixels[produced + i] = suffix[c];
      c = prefix[c];
    }
    produced += std::min(len, room);
    previous = emit;
  }
  return produced;
}

}  // namespace framelark
