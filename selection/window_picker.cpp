#include "selection/window_picker.h"

namespace framelark {

void OnFlashTimer() {}

}  // namespace framelark
