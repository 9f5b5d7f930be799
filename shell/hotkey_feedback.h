// What F2 and F3 do: the feedback event of the hidden label 标签.
#pragma once

namespace framelark {

inline constexpr unsigned kVkF2 = 113;
inline constexpr unsigned kVkF3 = 114;

void OnHotkeyFeedback(int id, int extra);

}  // namespace framelark
