#include "gif/gif_blocks.h"

#include <algorithm>

namespace framelark {
namespace {

void Put16(std::vector<std::uint8_t>& out, int value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void PutSubBlocks(std::vector<std::uint8_t>& out, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const std::size_t n = std::min<std::size_t>(size, 255);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), data, data + n);
    data += n;
    size -= n;
  }
  out.push_back(0);
}

}  // namespace

int ColorTableBits(std::size_t count) {
  int bits = 1;
  while (bits < 8 && (std::size_t{1} << bits) < count) ++bits;
  return bits;
}

void PutHeader(std::vector<std::uint8_t>& out) {
  const char magic[] = "GIF89a";
  out.insert(out.end(), magic, magic + 6);
}

void PutLogicalScreenDescriptor(std::vector<std::uint8_t>& out, int width, int height,
                                int global_table_bits) {
  Put16(out, width);
  Put16(out, height);
  std::uint8_t packed = 0x70;  // 8 bits of colour resolution
  if (global_table_bits > 0) packed |= 0x80 | static_cast<std::uint8_t>(global_table_bits - 1);
  out.push_back(packed);
  out.push_back(0);  // background colour index
  out.push_back(0);  // pixel aspect ratio: not given
}

void PutColorTable(std::vector<std::uint8_t>& out, const ColorTable& colors, int bits) {
  const std::size_t entries = std::size_t{1} << bits;
  for (std::size_t i = 0; i < entries; ++i) {
    const std::uint32_t c = i < colors.size() ? colors[i] : 0;
    out.push_back(static_cast<std::uint8_t>(c >> 16));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
    out.push_back(static_cast<std::uint8_t>(c));
  }
}

void PutNetscapeLoopExtension(std::vector<std::uint8_t>& out, int loop_count) {
  const char id[] = "NETSCAPE2.0";
  out.push_back(0x21);
  out.push_back(0xFF);
  out.push_back(11);
  out.insert(out.end(), id, id + 11);
  out.push_back(3);
  out.push_back(1);
  Put16(out, loop_count);
  out.push_back(0);
}

void PutCommentExtension(std::vector<std::uint8_t>& out, const std::string& text) {
  if (text.empty()) return;
  out.push_back(0x21);
  out.push_back(0xFE);
  PutSubBlocks(out, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

void PutGraphicsControlExtension(std::vector<std::uint8_t>& out, Disposal disposal, int delay,
                                 int transparent_index) {
  out.push_back(0x21);
  out.push_back(0xF9);
  out.push_back(4);
  std::uint8_t packed = static_cast<std::uint8_t>(static_cast<int>(disposal) << 2);
  if (transparent_index >= 0) packed |= 1;
  out.push_back(packed);
  Put16(out, delay);
  out.push_back(static_cast<std::uint8_t>(transparent_index >= 0 ? transparent_index : 0));
  out.push_back(0);
}

void PutImageDescriptor(std::vector<std::uint8_t>& out, int left, int top, int width, int height,
                        int local_table_bits) {
  out.push_back(0x2C);
  Put16(out, left);
  Put16(out, top);
  Put16(out, width);
  Put16(out, height);
  out.push_back(local_table_bits > 0 ? static_cast<std::uint8_t>(0x80 | (local_table_bits - 1))
                                     : 0);
}

void PutImageData(std::vector<std::uint8_t>& out, int min_code_size,
                  const std::vector<std::uint8_t>& packed_codes) {
  out.push_back(static_cast<std::uint8_t>(min_code_size));
  PutSubBlocks(out, packed_codes.data(), packed_codes.size());
}

void PutTrailer(std::vector<std::uint8_t>& out) { out.push_back(0x3B); }

}  // namespace framelark
