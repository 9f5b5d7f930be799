// The main window's commands besides start and stop: saving, the capture
// modes, the crosshair, the border colour, the watermark and the about box.
#pragma once

namespace framelark {

void SaveRecording();
void OnFullScreenModeClicked();
void OnWindowModeClicked();
void OnRegionModeClicked();
void OnFollowModeClicked();
void OnCrosshairPressed();
void OnBorderColourChosen();
void OnWatermarkClicked();
void OnAboutClicked();
// Asked before MainWindow closes (close button or a close request from
// outside); false keeps the window open.
bool AllowClose();

}  // namespace framelark
