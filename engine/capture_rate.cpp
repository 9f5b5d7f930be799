#include "engine/capture_rate.h"

#include <cmath>

#include "engine/recorder_state.h"
#include "platform/current.h"

namespace framelark {

namespace {
constexpr double kEqualWithin = 1e-7;
}

CaptureRate CaptureRateFor(std::int32_t width, std::int32_t height, platform::Size screen) {
  const double area = static_cast<double>(width) * height;
  const double screen_area = static_cast<double>(screen.width) * screen.height;
  if (std::fabs(area - screen_area) <= kEqualWithin) return CaptureRate{50, 500};
  if (area - screen_area / 2 > kEqualWithin) return CaptureRate{40, 400};
  // Half the screen or less. An area of exactly half belongs here, with the
  // small areas: it is no screen-sized capture, and a faster rate for it
  // costs little.
  return CaptureRate{30, 300};
}

void ChooseCaptureRate() {
  RecorderState& r = Recorder();
  const CaptureRate rate =
      CaptureRateFor(r.Animation.Width(), r.Animation.Height(), platform::Current().ScreenSize());
  r.FrameDelay = rate.frameDelay;
  r.TickInterval = rate.tickInterval;
}

}  // namespace framelark
