#include "engine/mouse_hook.h"

#include "engine/recorder_state.h"
#include "platform/current.h"

namespace framelark {

std::intptr_t MouseHookProc(int code, std::uintptr_t message, std::intptr_t details) {
  return platform::Current().CallNextHook(Recorder().MouseHook, code, message, details);
}

void OnMouseCheckTimer() {
  Recorder().LeftButtonDown = 0;
  Recorder().RightButtonDown = 0;
}

}  // namespace framelark
