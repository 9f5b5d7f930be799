#include "shell/hotkey_feedback.h"

namespace framelark {

void OnHotkeyFeedback(int, int) {}

}  // namespace framelark
