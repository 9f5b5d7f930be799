// The main window's commands besides start and stop: saving, the capture
// modes, the crosshair, the border colour, the watermark and the about box;
// and the question asked before a recording would be lost on close.
#pragma once

namespace framelark {

// The save dialog, then the writer's picture to the chosen file. Run by the
// save button and as the last step of StopRecording.
void SaveRecording();
void OnFullScreenModeClicked();
void OnWindowModeClicked();
void OnRegionModeClicked();
void OnFollowModeClicked();
void OnCrosshairPressed();
void OnBorderColourChosen();
void OnWatermarkClicked();
void OnAboutClicked();

// The start button and F2 while no recording runs: StartRecording, and if it
// did start, its frames count as unsaved from now on.
void OnStartClicked();

// A recording runs, or the writer holds frames that no successful save wrote.
bool HasUnsavedRecording();

// Asked before MainWindow closes (close button or a close request from
// outside); false keeps the window open. With a recording that would be lost
// the user is asked first.
bool AllowClose();

// Tests run the program many times in one process: forget what was saved.
void ResetCommandsForTests();

}  // namespace framelark
