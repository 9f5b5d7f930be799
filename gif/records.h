// The two records handed to the GIF writer. Their byte layout is fixed: the
// writer reads them as 36 and 44 bytes (32-bit build, little-endian), so the
// fields below are plain 32-bit words and text references.
#pragma once

#include <cstdint>

namespace framelark {

// Width, height and delay are 16-bit values kept in the low two bytes of a
// 32-bit word; the high two bytes stay 0.
inline std::int32_t Store16(std::int32_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint16_t>(value));
}
inline std::int32_t Load16Signed(std::int32_t stored) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(stored));
}

// Picture description handed to GifBegin.
struct AnimationInfo {
  std::int32_t width = 0;   // bytes 0-3: 16-bit signed, low two bytes
  std::int32_t height = 0;  // bytes 4-7: 16-bit signed, low two bytes
  std::int32_t flag = 0;    // bytes 8-11
  std::int32_t unused1[2] = {0, 0};
  const char* comment = nullptr;  // bytes 20-23: UTF-8, owned elsewhere
  std::int32_t unused2[3] = {0, 0, 0};

  void SetWidth(std::int32_t w) { width = Store16(w); }
  void SetHeight(std::int32_t h) { height = Store16(h); }
  std::int32_t Width() const { return Load16Signed(width); }
  std::int32_t Height() const { return Load16Signed(height); }
};

// Frame description handed to GifAddFrame with the frame's picture bytes.
struct FrameInfo {
  std::int32_t delay = 0;  // bytes 0-3: hundredths of a second, low two bytes
  std::int32_t unused1[7] = {0, 0, 0, 0, 0, 0, 0};
  const char* text = nullptr;  // bytes 32-35: never set by the recorder
  std::int32_t unused2[2] = {0, 0};

  void SetDelay(std::int32_t hundredths) { delay = Store16(hundredths); }
  int Delay() const { return static_cast<std::uint16_t>(delay); }
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(AnimationInfo) == 36, "AnimationInfo is 36 bytes");
static_assert(sizeof(FrameInfo) == 44, "FrameInfo is 44 bytes");
#endif

}  // namespace framelark
