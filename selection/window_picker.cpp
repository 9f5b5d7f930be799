#include "selection/window_picker.h"

namespace framelark {

void OpenOutlineWindow() {}
void OnFlashTimer() {}

}  // namespace framelark
