// Screen grabs: the part of a rectangle on the primary screen, as a bitmap
// file. Runs on the capture worker, so it uses only GDI objects of its own.
#include <algorithm>

#include "platform/win32/pictures.h"
#include "platform/win32/win32_platform.h"

namespace platform::win32 {

Bytes Win32Platform::GrabScreen(const Rect& rect) {
  const int screen_width = GetSystemMetrics(SM_CXSCREEN);
  const int screen_height = GetSystemMetrics(SM_CYSCREEN);
  const int left = std::max(rect.left, 0);
  const int top = std::max(rect.top, 0);
  const int right = std::min(rect.right, screen_width);
  const int bottom = std::min(rect.bottom, screen_height);
  if (right <= left || bottom <= top) return {};
  const int width = right - left;
  const int height = bottom - top;

  Bytes result;
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return {};
  HDC memory = CreateCompatibleDC(screen);
  std::uint32_t* bits = nullptr;
  HBITMAP dib = CreateTopDownDib(width, height, &bits);
  if (memory != nullptr && dib != nullptr) {
    HGDIOBJ old = SelectObject(memory, dib);
    if (BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY | CAPTUREBLT)) {
      GdiFlush();
      result = BitmapFileFromPixels(bits, width, height);
    }
    SelectObject(memory, old);
  }
  if (dib != nullptr) DeleteObject(dib);
  if (memory != nullptr) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return result;
}

}  // namespace platform::win32
