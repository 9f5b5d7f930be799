#include "shell/commands.h"

namespace framelark {

void SaveRecording() {}
void OnFullScreenModeClicked() {}
void OnWindowModeClicked() {}
void OnRegionModeClicked() {}
void OnFollowModeClicked() {}
void OnCrosshairPressed() {}
void OnBorderColourChosen() {}
void OnWatermarkClicked() {}
void OnAboutClicked() {}
bool AllowClose() { return true; }

}  // namespace framelark
