#include "engine/mouse_hook.h"

#include "engine/recorder_state.h"
#include "platform/current.h"

namespace framelark {

namespace {
constexpr std::uintptr_t kLeftButtonDown = 0x0201;
constexpr std::uintptr_t kLeftButtonUp = 0x0202;
constexpr std::uintptr_t kLeftButtonDoubleClick = 0x0203;
constexpr std::uintptr_t kRightButtonDown = 0x0204;
constexpr std::uintptr_t kRightButtonUp = 0x0205;
constexpr std::uintptr_t kRightButtonDoubleClick = 0x0206;
}  // namespace

std::intptr_t MouseHookProc(int code, std::uintptr_t message, std::intptr_t details) {
  RecorderState& r = Recorder();
  // Each code is stored in one write: the capture worker may take it at any
  // moment and must never see a press half-counted.
  switch (message) {
    case kLeftButtonDown:
      r.LeftButtonDown = 1;
      r.ClickCode.store(r.RightButtonDown != 0 ? 3 : 1);
      break;
    case kLeftButtonUp:
      r.LeftButtonDown = 0;
      break;
    case kLeftButtonDoubleClick:
      r.ClickCode.store(4);
      break;
    case kRightButtonDown:
      r.RightButtonDown = 1;
      r.ClickCode.store(r.LeftButtonDown != 0 ? 3 : 2);
      break;
    case kRightButtonUp:
      r.RightButtonDown = 0;
      break;
    case kRightButtonDoubleClick:
      r.ClickCode.store(5);
      break;
    default:  // moves, the wheel, the middle and extra buttons
      break;
  }
  return platform::Current().CallNextHook(r.MouseHook, code, message, details);
}

// The mouse-check timer is never started: the button flags change through
// the hook alone. Were it started, it would forget a button whose release the
// hook missed.
void OnMouseCheckTimer() {
  Recorder().LeftButtonDown = 0;
  Recorder().RightButtonDown = 0;
}

}  // namespace framelark
