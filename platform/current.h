// The platform the program runs on, chosen once at start-up (the Win32
// backend in the product, the fake backend in tests).
#pragma once

#include "platform/platform.h"

namespace platform {

Platform& Current();
void SetCurrent(Platform* platform);

}  // namespace platform
