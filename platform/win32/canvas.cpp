#include "platform/win32/canvas.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/text.h"
#include "platform/win32/win32_platform.h"

namespace platform::win32 {

Win32Canvas::Win32Canvas(Win32Window& owner, const ControlSpec& options)
    : ControlImpl(owner, options) {
  std::lock_guard<std::mutex> lock(mutex_);
  dc_ = CreateCompatibleDC(nullptr);
  SetBkMode(dc_, TRANSPARENT);
  SelectObject(dc_, GetStockObject(NULL_BRUSH));
  SelectObject(dc_, GetStockObject(DEFAULT_GUI_FONT));
  SetTextColor(dc_, ToColorRef(style_.textColour));
  UsePen();
  Resize(std::max(0, options.place.Width()), std::max(0, options.place.Height()));
  FillBack();
}

Win32Canvas::~Win32Canvas() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (first_pen_ != nullptr) SelectObject(dc_, first_pen_);
  if (pen_ != nullptr) DeleteObject(pen_);
  if (first_bitmap_ != nullptr) SelectObject(dc_, first_bitmap_);
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  DeleteDC(dc_);
}

void Win32Canvas::Create(int id) { CreateChild(kCanvasClass, 0, true, id); }

void Win32Canvas::Resize(int width, int height) {
  std::uint32_t* bits = nullptr;
  HBITMAP bitmap = width > 0 && height > 0 ? CreateTopDownDib(width, height, &bits) : nullptr;
  GdiFlush();
  if (bitmap != nullptr) {
    // The old picture stays at the top-left; new parts get the back colour.
    std::fill(bits, bits + static_cast<std::size_t>(width) * height,
              ColourToPixel(style_.backColour));
    const int rows = std::min(height, height_);
    const int columns = std::min(width, width_);
    for (int y = 0; y < rows && bits_ != nullptr; ++y) {
      std::memcpy(bits + static_cast<std::size_t>(y) * width,
                  bits_ + static_cast<std::size_t>(y) * width_, columns * sizeof(std::uint32_t));
    }
    HGDIOBJ previous = SelectObject(dc_, bitmap);
    if (first_bitmap_ == nullptr) first_bitmap_ = previous;
  } else if (first_bitmap_ != nullptr) {
    SelectObject(dc_, first_bitmap_);
    first_bitmap_ = nullptr;
  }
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  bitmap_ = bitmap;
  bits_ = bits;
  width_ = bitmap != nullptr ? width : 0;
  height_ = bitmap != nullptr ? height : 0;
}

void Win32Canvas::FillBack() {
  if (bits_ == nullptr) return;
  GdiFlush();
  std::fill(bits_, bits_ + static_cast<std::size_t>(width_) * height_,
            ColourToPixel(style_.backColour));
}

void Win32Canvas::UsePen() {
  HPEN pen = CreatePen(PS_SOLID, std::max(1, style_.penWidth), ToColorRef(style_.penColour));
  HGDIOBJ previous = SelectObject(dc_, pen);
  if (first_pen_ == nullptr) first_pen_ = previous;
  if (pen_ != nullptr) DeleteObject(pen_);
  pen_ = pen;
}

void Win32Canvas::Changed(RECT area) {
  // Remembered so that the next Clear repaints only what was drawn since.
  if (since_clear_.size() < kMaxRemembered) {
    since_clear_.push_back(area);
  } else {
    since_clear_overflow_ = true;
  }
  Show(area);
}

void Win32Canvas::ChangedAll() {
  clean_ = false;
  Show(RECT{0, 0, width_, height_});
}

void Win32Canvas::Show(const RECT& area) {
  // Only the GUI thread touches the window; what the worker draws on a
  // shown canvas appears with the next repaint.
  if (!Owner().PlatformOf().OnGuiThread()) return;
  if (HWND hwnd = hwnd_) InvalidateRect(hwnd, &area, FALSE);
}

void Win32Canvas::SetStyle(const CanvasStyle& style) {
  std::lock_guard<std::mutex> lock(mutex_);
  style_ = style;
  UsePen();
  SetTextColor(dc_, ToColorRef(style_.textColour));
  FillBack();
  ChangedAll();
}

void Win32Canvas::SetPenColour(Colour colour) {
  std::lock_guard<std::mutex> lock(mutex_);
  style_.penColour = colour;
  UsePen();
}

void Win32Canvas::SetTextColour(Colour colour) {
  std::lock_guard<std::mutex> lock(mutex_);
  style_.textColour = colour;
  SetTextColor(dc_, ToColorRef(colour));
}

void Win32Canvas::SetBackgroundPicture(const Bytes& picture) {
  std::optional<PixelImage> image;
  if (!picture.empty()) image = DecodeStill(picture);
  std::lock_guard<std::mutex> lock(mutex_);
  background_ = std::move(image);
  clean_ = false;  // the next Clear paints everything anew
}

void Win32Canvas::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  FillBack();
  if (background_ && bits_ != nullptr) {
    const int rows = std::min(background_->height, height_);
    const int columns = std::min(background_->width, width_);
    for (int y = 0; y < rows; ++y) {
      const std::uint32_t* source =
          background_->pixels.data() + static_cast<std::size_t>(y) * background_->width;
      std::uint32_t* target = bits_ + static_cast<std::size_t>(y) * width_;
      for (int x = 0; x < columns; ++x) {
        if (IsOpaque(source[x])) target[x] = source[x];
      }
    }
  }
  // After a Clear only what was drawn since the last one differs on the
  // screen: an overlay that redraws its selection on every mouse move then
  // repaints a few strips, not the whole screen.
  if (clean_ && !since_clear_overflow_) {
    for (const RECT& area : since_clear_) Show(area);
  } else {
    Show(RECT{0, 0, width_, height_});
  }
  since_clear_.clear();
  since_clear_overflow_ = false;
  clean_ = true;
}

void Win32Canvas::DrawRectangle(int x1, int y1, int x2, int y2) {
  std::lock_guard<std::mutex> lock(mutex_);
  const RECT box{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
  Rectangle(dc_, box.left, box.top, box.right, box.bottom);
  // The four sides, as wide as the pen reaches.
  const int reach = std::max(1, style_.penWidth) + 1;
  Changed(RECT{box.left - reach, box.top - reach, box.right + reach, box.top + reach});
  Changed(RECT{box.left - reach, box.bottom - reach, box.right + reach, box.bottom + reach});
  Changed(RECT{box.left - reach, box.top - reach, box.left + reach, box.bottom + reach});
  Changed(RECT{box.right - reach, box.top - reach, box.right + reach, box.bottom + reach});
}

void Win32Canvas::DrawEllipse(int x1, int y1, int x2, int y2) {
  std::lock_guard<std::mutex> lock(mutex_);
  const RECT box{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
  Ellipse(dc_, box.left, box.top, box.right, box.bottom);
  RECT changed = box;
  const int reach = std::max(1, style_.penWidth) + 1;
  InflateRect(&changed, reach, reach);
  Changed(changed);
}

void Win32Canvas::WriteText(int x, int y, const std::string& text) {
  const std::wstring wide = Widen(text);
  std::lock_guard<std::mutex> lock(mutex_);
  TextOutW(dc_, x, y, wide.c_str(), static_cast<int>(wide.size()));
  SIZE extent{};
  GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &extent);
  // Some glyphs reach a little beyond their advance.
  Changed(RECT{x - 2, y, x + extent.cx + 4, y + extent.cy + 1});
}

void Win32Canvas::DrawPicture(int x, int y, const Bytes& picture) {
  std::optional<PixelImage> image;
  std::vector<std::uint8_t> opaque;
  if (LooksLikeCursorFile(picture)) {
    if (auto cursor = ReadCursorFile(picture)) {
      image = std::move(cursor->image);
      opaque = std::move(cursor->opaque);
    }
  } else {
    image = DecodeStill(picture);
    if (image && HasTransparency(*image)) {
      opaque.resize(image->pixels.size());
      for (std::size_t i = 0; i < opaque.size(); ++i) opaque[i] = IsOpaque(image->pixels[i]);
    }
  }
  if (!image) return;
  std::lock_guard<std::mutex> lock(mutex_);
  if (bits_ == nullptr) return;
  GdiFlush();
  const int first_row = std::max(0, -y);
  const int last_row = std::min(image->height, height_ - y);
  const int first_column = std::max(0, -x);
  const int last_column = std::min(image->width, width_ - x);
  for (int row = first_row; row < last_row; ++row) {
    const std::uint32_t* source =
        image->pixels.data() + static_cast<std::size_t>(row) * image->width;
    std::uint32_t* target = bits_ + static_cast<std::size_t>(y + row) * width_ + x;
    if (opaque.empty()) {
      std::memcpy(target + first_column, source + first_column,
                  (last_column - first_column) * sizeof(std::uint32_t));
      continue;
    }
    const std::uint8_t* mask = opaque.data() + static_cast<std::size_t>(row) * image->width;
    for (int column = first_column; column < last_column; ++column) {
      if (mask[column]) target[column] = source[column];
    }
  }
  Changed(RECT{x, y, x + image->width, y + image->height});
}

Bytes Win32Canvas::Picture() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (bits_ == nullptr) return framelark::WriteBitmapFile(PixelImage(0, 0));
  GdiFlush();
  return BitmapFileFromPixels(bits_, width_, height_);
}

void Win32Canvas::Move(const Rect& place) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const int width = std::max(0, place.Width());
    const int height = std::max(0, place.Height());
    if (width != width_ || height != height_) {
      Resize(width, height);
      clean_ = false;
    }
  }
  ChildMove(place);
  Redraw();
}

LRESULT Win32Canvas::OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        const RECT& area = ps.rcPaint;
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, dc_,
               area.left, area.top, SRCCOPY);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      SetCapture(hwnd);
      auto handler = onLeftDown;
      if (handler) handler(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return 0;
    }
    case WM_MOUSEMOVE: {
      auto handler = onMouseMove;
      if (handler) handler(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return 0;
    }
    case WM_LBUTTONUP: {
      if (GetCapture() == hwnd) ReleaseCapture();
      auto handler = onLeftUp;
      if (handler) handler();
      return 0;
    }
    default:
      break;
  }
  return ChildWindow::OnMessage(hwnd, message, wparam, lparam);
}

}  // namespace platform::win32
