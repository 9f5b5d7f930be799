// The hot-key service: system-wide keys registered for a window, each press
// handed as a feedback event to a label of that window.
//
// Ids come from one counter for the whole process: the first registration
// gets 33001 and every further registration the next number, whether or not
// the system accepted the key. A refused key returns 0.
#pragma once

#include "platform/platform.h"

namespace platform {

constexpr int kFirstHotkeyId = 33001;

int RegisterGlobalHotkey(Window& window, Label& receiver, unsigned modifiers, unsigned key);
// False when the id is not registered for the window (refused, or released).
bool UnregisterGlobalHotkey(Window& window, int id);

// Tests start every case from a fresh counter.
void ResetHotkeyServiceForTests();

}  // namespace platform
