// LZW compression as GIF image data uses it: variable code width from
// min_code_size + 1 up to 12 bits, a clear code at the start and whenever
// the code table is full, an end-of-information code at the end. Codes are
// packed least significant bit first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace framelark {

// Other indices a pixel may take instead of its own, for lossy coding.
class LzwAlternatives {
 public:
  virtual ~LzwAlternatives() = default;
  // Writes up to 256 acceptable indices for pixel `i` (not its own), best
  // first, and returns how many.
  virtual int Get(std::size_t i, std::uint8_t* out) = 0;
  // The same limited to the indices whose bit is set in `allowed` (256
  // bits); only the first answer is used.
  virtual int GetAllowed(std::size_t i, const std::uint64_t* allowed, std::uint8_t* out) {
    const int n = Get(i, out);
    int kept = 0;
    for (int k = 0; k < n; ++k) {
      if ((allowed[out[k] >> 6] >> (out[k] & 63) & 1u) != 0) out[kept++] = out[k];
    }
    return kept;
  }
};

// Compresses `count` colour indices (each below 1 << min_code_size) and
// appends the packed code stream to `out`. min_code_size is 2..8. The
// encoder keeps its tables between calls so that frames do not reallocate.
class LzwEncoder {
 public:
  LzwEncoder();
  void Encode(const std::uint8_t* indices, std::size_t count, int min_code_size,
              std::vector<std::uint8_t>& out);

  // The same in pieces: Begin, any number of Add calls, Finish.
  void Begin(int min_code_size, std::vector<std::uint8_t>& out);
  void Add(const std::uint8_t* indices, std::size_t count);
  // Lossy Add: where the table has no entry for the current string followed
  // by a pixel's index, the pixel takes the first alternative that has one,
  // which is written back to `indices`.
  void AddApproximate(std::uint8_t* indices, std::size_t count, LzwAlternatives& alternatives);
  void Finish();

 private:
  static constexpr int kHashBits = 13;
  static constexpr std::uint32_t kHashSize = 1u << kHashBits;
  void ClearTable();
  void Put(std::uint32_t code);
  bool StaleTable(std::uint64_t position);
  void Run(std::uint8_t* indices, std::size_t count, LzwAlternatives* alternatives);
  static constexpr std::uint32_t kNoCode = 0xFFFFFFFFu;
  // Code of `key` in the table, or kNoCode with `slot` where it would go.
  std::uint32_t Lookup(std::uint32_t key, std::uint32_t tag, std::uint32_t& slot) const;
  static constexpr std::uint32_t kWindowCodes = 256;
  static constexpr double kStaleRatio = 0.95;
  std::uint64_t position_ = 0;     // pixels consumed since Begin
  std::uint64_t cycle_start_ = 0;  // position of the last clear code
  std::uint64_t window_start_ = 0;
  std::uint32_t window_codes_ = 0;
  double best_ratio_ = 0;
  bool full_ = false;
  std::vector<std::uint8_t>* out_ = nullptr;
  std::uint64_t bit_buffer_ = 0;
  int bit_count_ = 0;
  std::uint32_t clear_code_ = 0;
  std::uint32_t next_code_ = 0;
  int min_code_size_ = 2;
  int bits_ = 3;
  std::int32_t current_ = -1;  // code of the string matched so far, -1 none
  // Hash slots: key (prefix << 8 | byte) + 1 in the low 20 bits, the table
  // generation in the high 12 bits, so a clear code is a generation bump.
  std::vector<std::uint32_t> keys_;
  std::vector<std::uint16_t> codes_;
  std::uint32_t generation_ = 0;
  // Per code, one bit per pixel index that continues its string in the
  // current table: lets the lossy search skip hash probes that must miss.
  std::vector<std::uint64_t> children_;
  void ForgetChildren(std::uint32_t code) {
    std::uint64_t* row = &children_[static_cast<std::size_t>(code) * 4];
    row[0] = row[1] = row[2] = row[3] = 0;
  }
};

// Decompresses a packed code stream into at most `max_pixels` indices.
// Returns the number of indices produced; stops at the end-of-information
// code, at the end of the data or at the first invalid code.
std::size_t LzwDecode(const std::uint8_t* data, std::size_t size, int min_code_size,
                      std::uint8_t* pixels, std::size_t max_pixels);

}  // namespace framelark
