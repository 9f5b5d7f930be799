// The window picker: a flashing outline marks the window under the mouse
// until the user clicks it.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace framelark {

// OutlineWindow and its one control, the canvas that lies exactly over the
// pointed-at window and shows a snapshot of it. The 2-pixel band of the
// window around the canvas is the outline.
struct OutlineWindow {
  std::unique_ptr<platform::Window> form;
  platform::Canvas* 画板_闪烁数据 = nullptr;
};

// Opens OutlineWindow (hidden) in dialog mode over MainWindow; returns at once.
void OpenOutlineWindow();

// The flash timer 时钟_闪烁's event.
void OnFlashTimer();

// The outline while it is loaded; nullptr otherwise.
OutlineWindow* Outline();

}  // namespace framelark
