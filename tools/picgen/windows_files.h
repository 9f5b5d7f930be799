// Cursor and icon files in the Windows resource formats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pictures.h"

namespace picgen {

// The arrow pointer as a .cur file: one 32 x 32 image, 16 colours with an
// AND mask, hotspot at its tip (2, 4). Always 766 bytes.
std::vector<std::uint8_t> MakeArrowCursor();

// The arrow's pixels: 'X' outline (black), 'o' fill (white), anything else
// transparent; 32 rows of 32 characters.
std::vector<std::string> ArrowPixels();

// An .ico file holding each image as a 32-bit BGRA bitmap with its AND mask.
// Sides up to 256 pixels.
std::vector<std::uint8_t> MakeIconFile(const std::vector<RgbaImage>& images);

}  // namespace picgen
