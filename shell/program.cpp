#include "shell/program.h"

#include "engine/recorder_state.h"
#include "engine/recording.h"
#include "platform/current.h"
#include "platform/hotkeys.h"
#include "shell/hotkey_feedback.h"
#include "shell/main_window.h"

namespace framelark {

int RunProgram() {
  platform::Platform& p = platform::Current();
  // The GIF writer is part of the program, so there is no component to load
  // and nothing here can fail before the window.
  p.EnterProgramFolder();
  InitRecorderState();
  p.RegisterExitRoutine(FreeRecorderState);
  if (!LoadMainWindow()) return -1;
  p.ShowStartWindow(*Main().form);
  const int code = p.RunMessageLoop();
  UnloadMainWindow();
  return code;
}

void OnMainWindowCreated() {
  RecorderState& r = Recorder();
  MainWindow& w = Main();
  r.BorderColor = 255;
  w.颜色选择器_边框颜色->SetColour(r.BorderColor);
  r.StartHotkeyId = platform::RegisterGlobalHotkey(*w.form, *w.标签, 0, kVkF2);
  r.PauseHotkeyId = platform::RegisterGlobalHotkey(*w.form, *w.标签, 0, kVkF3);
  w.SetStatus(kWelcomeStatus);
}

void ShutdownRecorder() {
  RecorderState& r = Recorder();
  MainWindow& w = Main();
  // A tick may be running or waiting in pause on the capture worker: end it
  // before anything it uses is released.
  EndCaptureWorker();
  w.时钟_闪烁->SetPeriod(0);
  w.时钟_截图->SetPeriod(0);
  w.时钟_检测鼠标->SetPeriod(0);
  GifRelease(r.Writer);
  platform::Current().RemoveMouseHook(r.MouseHook);
  platform::UnregisterGlobalHotkey(*w.form, r.PauseHotkeyId);
  platform::UnregisterGlobalHotkey(*w.form, r.StartHotkeyId);
}

}  // namespace framelark
