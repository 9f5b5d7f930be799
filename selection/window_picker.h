// The window picker: a flashing outline marks the window under the mouse
// until the user clicks it.
#pragma once

namespace framelark {

// Opens OutlineWindow (hidden) in dialog mode over MainWindow; returns at once.
void OpenOutlineWindow();

// The flash timer 时钟_闪烁's event.
void OnFlashTimer();

}  // namespace framelark
