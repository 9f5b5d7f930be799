// The region overlay: a full-screen window over a frozen picture of the
// screen in which the user drags the rectangle to record.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace framelark {

// OverlayWindow and its one control, the canvas that shows the snapshot and
// takes the mouse.
struct OverlayWindow {
  std::unique_ptr<platform::Window> form;
  platform::Canvas* 画板_画线背景 = nullptr;
};

// Opens OverlayWindow in dialog mode over MainWindow; returns once the user
// has closed it with Enter. CaptureRect then holds the last rectangle dragged.
void OpenOverlayWindow();

// The overlay while it is open; nullptr otherwise.
OverlayWindow* Overlay();

}  // namespace framelark
