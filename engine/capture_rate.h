// The capture rate: how often the screen is grabbed and how long each capture
// period lasts in the picture, from the size of the recorded area.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace framelark {

struct CaptureRate {
  std::int32_t frameDelay = 0;    // hundredths of a second per capture period
  std::int32_t tickInterval = 0;  // capture timer period, milliseconds
};

// 50 / 500 for an area equal to the screen's, 40 / 400 for more than half of
// it (an area larger than the screen too), 30 / 300 for half or less.
CaptureRate CaptureRateFor(std::int32_t width, std::int32_t height, platform::Size screen);

// Sets FrameDelay and TickInterval from AnimationInfo's width and height.
void ChooseCaptureRate();

}  // namespace framelark
