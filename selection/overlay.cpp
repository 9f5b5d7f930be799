#include "selection/overlay.h"

namespace framelark {

void OpenOverlayWindow() {}

}  // namespace framelark
