#include "platform/win32/controls.h"

#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/win32/text.h"
#include "platform/win32/win32_platform.h"

namespace platform::win32 {
namespace {

std::unique_ptr<GdiPicture> PictureOf(const Bytes& bytes) {
  if (bytes.empty()) return nullptr;
  auto image = DecodeStill(bytes);
  if (!image) return nullptr;
  auto picture = std::make_unique<GdiPicture>(*image);
  if (!picture->Valid()) return nullptr;
  return picture;
}

bool InsideClient(HWND hwnd, LPARAM lparam) {
  RECT client;
  GetClientRect(hwnd, &client);
  POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  return PtInRect(&client, p) != FALSE;
}

// Radio buttons and check boxes sit on black.
HBRUSH BlackBackground(HDC dc) {
  SetBkColor(dc, RGB(0, 0, 0));
  SetTextColor(dc, RGB(255, 255, 255));
  return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
}

constexpr UINT_PTR kAnimationTimer = 1;

}  // namespace

// --- picture button ------------------------------------------------------------

void Win32PictureButton::Create(int id) { CreateChild(kPictureButtonClass, 0, true, id); }

void Win32PictureButton::SetPictures(const ButtonPictures& pictures) {
  normal_ = PictureOf(pictures.normal);
  hover_ = PictureOf(pictures.hover);
  pressed_picture_ = PictureOf(pictures.pressed);
  disabled_ = PictureOf(pictures.disabled);
  Redraw();
}

ButtonLook Win32PictureButton::Look() const {
  if (!Enabled() && disabled_ != nullptr) return ButtonLook::Disabled;
  if (over_ && pressed_) return ButtonLook::Pressed;
  if (over_) return ButtonLook::Hover;
  return ButtonLook::Normal;
}

const GdiPicture* Win32PictureButton::CurrentPicture() const {
  switch (Look()) {
    case ButtonLook::Disabled:
      return disabled_.get();
    case ButtonLook::Hover:
      if (hover_ != nullptr) return hover_.get();
      break;
    case ButtonLook::Pressed:
      if (pressed_picture_ != nullptr) return pressed_picture_.get();
      break;
    case ButtonLook::Normal:
      break;
  }
  return normal_.get();
}

void Win32PictureButton::TrackLeave(HWND hwnd) {
  if (tracking_) return;
  TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd, 0};
  tracking_ = TrackMouseEvent(&track) != FALSE;
}

void Win32PictureButton::SetOver(bool over) {
  if (over == over_) return;
  over_ = over;
  Redraw();
}

LRESULT Win32PictureButton::OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintBuffered(hwnd, [&](HDC dc, const RECT& client) {
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        if (const GdiPicture* picture = CurrentPicture()) picture->Draw(dc, 0, 0);
      });
      return 0;
    case WM_MOUSEMOVE:
      TrackLeave(hwnd);
      SetOver(InsideClient(hwnd, lparam));
      return 0;
    case WM_MOUSELEAVE:
      tracking_ = false;
      if (!pressed_) SetOver(false);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      pressed_ = true;
      over_ = true;
      SetCapture(hwnd);
      Redraw();
      return 0;
    case WM_LBUTTONUP: {
      if (!pressed_) return 0;
      const bool inside = InsideClient(hwnd, lparam);
      pressed_ = false;
      over_ = inside;
      ReleaseCapture();
      // A leave reported while the button held the mouse was used up then:
      // ask again, or the hover look could outlast the mouse.
      tracking_ = false;
      if (inside) TrackLeave(hwnd);
      Redraw();
      if (inside) {
        auto handler = onClicked;
        if (handler) handler();
      }
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (pressed_ && reinterpret_cast<HWND>(lparam) != hwnd) {
        pressed_ = false;
        Redraw();
      }
      return 0;
    case WM_ENABLE:
      pressed_ = false;
      over_ = false;
      Redraw();
      return 0;
    default:
      break;
  }
  return ChildWindow::OnMessage(hwnd, message, wparam, lparam);
}

// --- radio buttons and check boxes ----------------------------------------------

void Win32RadioButton::Create(int id) {
  if (CreateChild(L"BUTTON", BS_RADIOBUTTON, false, id)) Mark(checked_);
}

void Win32RadioButton::Mark(bool checked) {
  checked_ = checked;
  if (hwnd_ != nullptr) {
    SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

void Win32RadioButton::SetChecked(bool checked) {
  if (checked) {
    for (ChildWindow* radio : Owner().Radios()) {
      if (radio != this) static_cast<Win32RadioButton*>(radio)->Mark(false);
    }
  }
  Mark(checked);
}

bool Win32RadioButton::Checked() const {
  if (hwnd_ == nullptr) return checked_;
  return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32RadioButton::OnCommand(WORD code) {
  if (code != BN_CLICKED) return;
  SetChecked(true);
  auto handler = onClicked;
  if (handler) handler();
}

HBRUSH Win32RadioButton::OnControlColour(HDC dc) { return BlackBackground(dc); }

void Win32RadioButton::BeforeDestroy() {
  checked_ = Checked();
  ChildWindow::BeforeDestroy();
}

void Win32CheckBox::Create(int id) {
  if (CreateChild(L"BUTTON", BS_AUTOCHECKBOX, false, id)) SetChecked(checked_);
}

void Win32CheckBox::SetChecked(bool checked) {
  checked_ = checked;
  if (hwnd_ != nullptr) {
    SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

bool Win32CheckBox::Checked() const {
  if (hwnd_ == nullptr) return checked_;
  return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32CheckBox::OnCommand(WORD code) {
  if (code != BN_CLICKED) return;  // the box has toggled itself
  checked_ = Checked();
  auto handler = onClicked;
  if (handler) handler();
}

HBRUSH Win32CheckBox::OnControlColour(HDC dc) { return BlackBackground(dc); }

void Win32CheckBox::BeforeDestroy() {
  checked_ = Checked();
  ChildWindow::BeforeDestroy();
}

// --- label -----------------------------------------------------------------------

void Win32Label::Create(int id) { CreateChild(kLabelClass, 0, true, id); }

void Win32Label::SetStyle(const LabelStyle& style) {
  style_ = style;
  Redraw();
}

LRESULT Win32Label::OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcW(hwnd, message, wparam, lparam);
      InvalidateRect(hwnd, nullptr, FALSE);
      return result;
    }
    case WM_PAINT:
      PaintBuffered(hwnd, [&](HDC dc, const RECT& client) {
        if (style_.transparent) {
          RECT area = client;
          MapWindowPoints(hwnd, GetParent(hwnd), reinterpret_cast<POINT*>(&area), 2);
          Owner().PaintBackground(dc, area, 0, 0);
        } else {
          HBRUSH brush = CreateSolidBrush(Owner().BackColorRef());
          FillRect(dc, &client, brush);
          DeleteObject(brush);
        }
        const int length = GetWindowTextLengthW(hwnd);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
        HGDIOBJ old_font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ToColorRef(style_.textColour));
        RECT box = client;
        const UINT format =
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (style_.rightAligned ? DT_RIGHT : DT_LEFT);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
        SelectObject(dc, old_font);
      });
      return 0;
    default:
      break;
  }
  return ChildWindow::OnMessage(hwnd, message, wparam, lparam);
}

// --- picture box -----------------------------------------------------------------

void Win32PictureBox::Create(int id) { CreateChild(kPictureBoxClass, 0, true, id); }

void Win32PictureBox::SetPicture(const Bytes& picture) {
  bytes_ = picture;
  frames_.clear();
  delays_.clear();
  frame_ = 0;
  loops_done_ = 0;
  loops_ = 0;
  if (hwnd_ != nullptr) KillTimer(hwnd_, kAnimationTimer);
  if (auto decoded = DecodePicture(picture)) {
    for (const PictureFrame& frame : decoded->frames) {
      frames_.push_back(std::make_unique<GdiPicture>(frame.image));
      // Like the browsers: a GIF that asks for (almost) no delay gets 100 ms.
      delays_.push_back(frame.delayMs < 20 ? 100 : frame.delayMs);
    }
    loops_ = decoded->loops;
  }
  ScheduleNextFrame();
  Redraw();
}

void Win32PictureBox::ScheduleNextFrame() {
  if (hwnd_ == nullptr || frames_.size() < 2) return;
  SetTimer(hwnd_, kAnimationTimer, static_cast<UINT>(delays_[frame_]), nullptr);
}

void Win32PictureBox::NextFrame() {
  if (frames_.size() < 2) return;
  if (frame_ + 1 < static_cast<int>(frames_.size())) {
    ++frame_;
  } else {
    ++loops_done_;
    if (loops_ > 0 && loops_done_ >= loops_) {
      KillTimer(hwnd_, kAnimationTimer);  // stays on the last frame
      return;
    }
    frame_ = 0;
  }
  ScheduleNextFrame();
  Redraw();
}

LRESULT Win32PictureBox::OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintBuffered(hwnd, [&](HDC dc, const RECT& client) {
        RECT area = client;
        MapWindowPoints(hwnd, GetParent(hwnd), reinterpret_cast<POINT*>(&area), 2);
        Owner().PaintBackground(dc, area, 0, 0);
        if (frame_ < static_cast<int>(frames_.size())) frames_[frame_]->Draw(dc, 0, 0);
      });
      return 0;
    case WM_TIMER:
      if (wparam == kAnimationTimer) {
        NextFrame();
        return 0;
      }
      break;
    case WM_LBUTTONDOWN: {
      auto handler = onLeftPressed;
      if (handler) handler();
      return 0;
    }
    default:
      break;
  }
  return ChildWindow::OnMessage(hwnd, message, wparam, lparam);
}

// --- colour picker ---------------------------------------------------------------

bool RunColourDialog(HWND owner, Colour* colour) {
  static COLORREF custom_colours[16] = {};
  CHOOSECOLORW choose{};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = owner;
  choose.rgbResult = static_cast<COLORREF>(*colour & 0xFFFFFFu);
  choose.lpCustColors = custom_colours;
  choose.Flags = CC_FULLOPEN | CC_RGBINIT;
  if (!ChooseColorW(&choose)) return false;
  *colour = static_cast<Colour>(choose.rgbResult & 0xFFFFFFu);
  return true;
}

void Win32ColourPicker::Create(int id) { CreateChild(kColourPickerClass, 0, true, id); }

void Win32ColourPicker::SetColour(Colour colour) {
  colour_ = colour;
  Redraw();
}

void Win32ColourPicker::Choose() {
  Colour chosen = colour_;
  HWND owner = hwnd_ != nullptr ? GetAncestor(hwnd_, GA_ROOT) : nullptr;
  if (!RunColourDialog(owner, &chosen)) return;
  SetColour(chosen);
  auto handler = onColourChosen;
  if (handler) handler();
}

LRESULT Win32ColourPicker::OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintBuffered(hwnd, [&](HDC dc, const RECT& client) {
        const bool enabled = IsWindowEnabled(hwnd) != FALSE;
        HBRUSH frame = CreateSolidBrush(enabled ? RGB(0, 0, 0) : RGB(128, 128, 128));
        FillRect(dc, &client, frame);
        DeleteObject(frame);
        RECT swatch = client;
        InflateRect(&swatch, -2, -2);
        HBRUSH fill = CreateSolidBrush(ToColorRef(colour_));
        FillRect(dc, &swatch, fill);
        DeleteObject(fill);
      });
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      pressed_ = true;
      SetCapture(hwnd);
      return 0;
    case WM_LBUTTONUP: {
      if (!pressed_) return 0;
      pressed_ = false;
      ReleaseCapture();
      if (InsideClient(hwnd, lparam)) Choose();
      return 0;
    }
    case WM_CAPTURECHANGED:
      pressed_ = false;
      return 0;
    default:
      break;
  }
  return ChildWindow::OnMessage(hwnd, message, wparam, lparam);
}

}  // namespace platform::win32
