#include "shell/hotkey_feedback.h"

#include "engine/recorder_state.h"
#include "engine/recording.h"
#include "shell/commands.h"
#include "shell/main_window.h"

namespace framelark {

void OnHotkeyFeedback(int id, int /*extra: always 0*/) {
  RecorderState& r = Recorder();
  // A key another program holds was stored as id 0: it never reaches here
  // with a real id, and a stray 0 must not look like it.
  if (id == 0) return;
  if (id == r.StartHotkeyId) {
    // F2 follows the start button, not a flag of its own.
    if (!Main().图形按钮_开始->Enabled()) {
      StopRecording();
    } else {
      OnStartClicked();
    }
  } else if (id == r.PauseHotkeyId) {
    r.Paused.Set(r.Paused.Get() == 1 ? 0 : 1);
  }
}

}  // namespace framelark
