// The region overlay: a full-screen window over a frozen picture of the
// screen in which the user drags the rectangle to record.
#pragma once

namespace framelark {

// Opens OverlayWindow in dialog mode over MainWindow; returns once the user
// has closed it with Enter.
void OpenOverlayWindow();

}  // namespace framelark
