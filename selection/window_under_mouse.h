// The window the mouse points at, as the window picker outlines it.
#pragma once

#include "platform/platform.h"

namespace framelark {

// The innermost visible window under the mouse, refined among its following
// siblings: a sibling of the same parent that is visible, contains the point
// and is strictly smaller in area takes its place. A top-level window
// without owner is returned as it is. 0 when no window is there.
platform::NativeHandle WindowUnderMouse();

}  // namespace framelark
