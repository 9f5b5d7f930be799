// The blocks of a GIF89a file, one writer function per block, each appending
// the block's bytes to `out` exactly as the format lays them out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace framelark {

// Colours as 0x00RRGGBB words.
using ColorTable = std::vector<std::uint32_t>;

// How a decoder treats a frame's area before drawing the next frame.
enum class Disposal : std::uint8_t {
  kUnspecified = 0,
  kKeep = 1,  // leave the frame in place
  kRestoreBackground = 2,
  kRestorePrevious = 3,
};

// Smallest n >= 1 with 1 << n >= count (the table size field + 1).
int ColorTableBits(std::size_t count);

// "GIF89a".
void PutHeader(std::vector<std::uint8_t>& out);

// Canvas size and, when global_table_bits > 0, a global colour table of
// 1 << global_table_bits entries following it.
void PutLogicalScreenDescriptor(std::vector<std::uint8_t>& out, int width, int height,
                                int global_table_bits);

// 1 << bits entries of 3 bytes; entries past `colors` are black.
void PutColorTable(std::vector<std::uint8_t>& out, const ColorTable& colors, int bits);

// NETSCAPE2.0 application extension; loop_count 0 loops forever.
void PutNetscapeLoopExtension(std::vector<std::uint8_t>& out, int loop_count);

// Comment extension with `text` split into sub-blocks. Nothing for empty text.
void PutCommentExtension(std::vector<std::uint8_t>& out, const std::string& text);

// Graphic control extension: disposal, delay in hundredths of a second and
// the transparent index (negative for none).
void PutGraphicsControlExtension(std::vector<std::uint8_t>& out, Disposal disposal, int delay,
                                 int transparent_index);

// Image descriptor of a frame's rectangle; local_table_bits > 0 announces a
// local colour table of 1 << local_table_bits entries.
void PutImageDescriptor(std::vector<std::uint8_t>& out, int left, int top, int width, int height,
                        int local_table_bits);

// Table-based image data: the LZW minimum code size, then the packed codes
// in sub-blocks of at most 255 bytes, then the block terminator.
void PutImageData(std::vector<std::uint8_t>& out, int min_code_size,
                  const std::vector<std::uint8_t>& packed_codes);

// The trailer byte 0x3B.
void PutTrailer(std::vector<std::uint8_t>& out);

}  // namespace framelark
