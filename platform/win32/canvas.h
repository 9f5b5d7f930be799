// The drawing surface: an off-screen 32-bit picture (a DIB section selected
// into a memory DC) that the child window shows. Drawing and reading the
// picture may happen on the capture worker; a mutex guards the DC, and the
// worker never touches the window.
#pragma once

#include <windows.h>

#include <mutex>
#include <optional>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/pictures.h"
#include "platform/win32/window.h"

namespace platform::win32 {

class Win32Canvas : public ControlImpl<Canvas> {
 public:
  Win32Canvas(Win32Window& owner, const ControlSpec& options);
  ~Win32Canvas() override;
  void Create(int id);

  void SetStyle(const CanvasStyle& style) override;
  void SetPenColour(Colour colour) override;
  void SetTextColour(Colour colour) override;
  void SetBackgroundPicture(const Bytes& picture) override;
  void Clear() override;
  void DrawRectangle(int x1, int y1, int x2, int y2) override;
  void DrawEllipse(int x1, int y1, int x2, int y2) override;
  void WriteText(int x, int y, const std::string& text) override;
  void DrawPicture(int x, int y, const Bytes& picture) override;
  Bytes Picture() const override;
  void Move(const Rect& place) override;
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  // All of these expect the mutex held.
  void Resize(int width, int height);
  void FillBack();
  void UsePen();
  // Something was drawn in `area`.
  void Changed(RECT area);
  // The whole picture changed other than by a Clear.
  void ChangedAll();
  // Repaints `area` of a shown canvas (GUI thread only).
  void Show(const RECT& area);

  mutable std::mutex mutex_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ first_bitmap_ = nullptr;
  std::uint32_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  HPEN pen_ = nullptr;
  HGDIOBJ first_pen_ = nullptr;
  CanvasStyle style_;
  std::optional<PixelImage> background_;
  // Whether the picture was what Clear makes of it, apart from the areas
  // drawn on since.
  bool clean_ = false;
  static constexpr std::size_t kMaxRemembered = 64;
  std::vector<RECT> since_clear_;
  bool since_clear_overflow_ = false;
};

}  // namespace platform::win32
