// Helpers of the backend tests: the platform of the test run, a message pump
// and small pictures.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "gif/bitmap_file.h"
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"

namespace platform::win32::testing {

Win32Platform& TestPlatform();

// Handles the messages of the GUI thread for `ms` milliseconds.
void Pump(int ms);
// Handles messages until `done` holds; false after `timeout_ms`.
bool PumpUntil(const std::function<bool()>& done, int timeout_ms = 3000);

HWND Hwnd(NativeHandle handle);

// A frameless window without task-bar button at `place` (screen pixels).
WindowSpec SpecAt(const Rect& place, Colour back = 0x000000);
// The window of `options`, shown without taking the focus when `show` is set.
std::unique_ptr<Window> OpenWindow(const WindowSpec& options, bool show);

// A bitmap file of one colour (pixel 0x00RRGGBB).
Bytes SolidBitmap(int width, int height, std::uint32_t pixel);
framelark::PixelImage Pixels(const Bytes& bitmap_file);
// The screen's pixels in `rect` (0x00RRGGBB).
framelark::PixelImage ScreenPixels(const Rect& rect);

// Clicks the left button at a screen point as the user would.
void ClickAt(int x, int y);
void MouseTo(int x, int y);
void LeftDown();
void LeftUp();

// Waits on another thread for a dialog of this process with `title` (any
// standard dialog when the title is empty), then runs `act` on it (there,
// not on the GUI thread).
class DialogAnswerer {
 public:
  DialogAnswerer(std::wstring title, std::function<void(HWND dialog)> act);
  ~DialogAnswerer();
  bool Answered() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace platform::win32::testing
