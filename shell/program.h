// The program as a whole: start-up, the main window, the message loop and
// shutdown. The backend's entry point sets the current platform, calls
// RunProgram and then runs the registered exit routine.
#pragma once

namespace framelark {

// The start-up routine. Returns the exit code once the message loop has
// ended: 0, or -1 when the main window could not be created.
int RunProgram();

// MainWindow's created event: border colour, hot keys, first status text.
void OnMainWindowCreated();

// Releases what a recording and the hot keys hold when MainWindow closes.
// Safe to run twice: the second run finds everything released.
void ShutdownRecorder();

inline constexpr const char* kWelcomeStatus = "[F2]开始/停止  [F3]暂停/继续";

}  // namespace framelark
