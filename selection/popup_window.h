// The selection windows are frameless, always-on-top pop-ups owned by
// MainWindow (so without a task-bar button), first placed centred on the
// primary screen.
#pragma once

#include "platform/current.h"
#include "platform/platform.h"

namespace framelark {

inline platform::WindowSpec CentredPopupOptions(int width, int height, bool visible,
                                                platform::Colour back_colour) {
  const platform::Size screen = platform::Current().ScreenSize();
  platform::WindowSpec options;
  options.title = "";
  options.size = platform::Size{width, height};
  options.position = platform::Point{(screen.width - width) / 2, (screen.height - height) / 2};
  options.frameless = true;
  options.topmost = true;
  options.taskbar = false;
  options.visible = visible;
  options.backColour = back_colour;
  return options;
}

}  // namespace framelark
