// Mouse-button tracking: a system-wide low-level mouse hook that keeps the
// button flags and leaves in ClickCode the code of the latest press, for the
// click rings of the next frame.
#pragma once

#include <cstdint>

namespace framelark {

// The hook callback. Observes only: every event is passed on unchanged and
// the next hook's result returned.
std::intptr_t MouseHookProc(int code, std::uintptr_t message, std::intptr_t details);

// The mouse-check timer's event (the timer is never started).
void OnMouseCheckTimer();

}  // namespace framelark
