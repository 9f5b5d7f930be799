#include "platform/win32/window.h"

#include <algorithm>

#include "platform/win32/canvas.h"
#include "platform/win32/controls.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_platform.h"

namespace platform::win32 {
namespace {

WindowObject* ObjectOf(HWND hwnd) {
  return reinterpret_cast<WindowObject*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// Stores the object handed to CreateWindowExW with its window.
void AttachOnCreate(HWND hwnd, LPARAM lparam) {
  auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
  auto* object = static_cast<WindowObject*>(create->lpCreateParams);
  if (object == nullptr) return;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
  object->Attach(hwnd);
}

std::uint16_t Read16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t Read32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The image of an icon file closest to `size` pixels (the smallest larger
// one, else the largest), as an icon.
HICON IconFromFile(const Bytes& bytes, int size) {
  if (bytes.size() < 6 || Read16(bytes.data()) != 0 || Read16(bytes.data() + 2) != 1) {
    return nullptr;
  }
  const int count = Read16(bytes.data() + 4);
  if (bytes.size() < 6 + 16 * static_cast<std::size_t>(count)) return nullptr;
  int best = -1;
  int best_side = 0;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* entry = bytes.data() + 6 + 16 * i;
    const int side = entry[0] == 0 ? 256 : entry[0];
    const bool better = best < 0 || (side >= size && (best_side < size || side < best_side)) ||
                        (side < size && best_side < size && side > best_side);
    if (better) {
      best = i;
      best_side = side;
    }
  }
  if (best < 0) return nullptr;
  const std::uint8_t* entry = bytes.data() + 6 + 16 * best;
  const std::uint32_t length = Read32(entry + 8);
  const std::uint32_t offset = Read32(entry + 12);
  if (offset > bytes.size() || bytes.size() - offset < length || length == 0) return nullptr;
  return CreateIconFromResourceEx(const_cast<BYTE*>(bytes.data() + offset), length, TRUE,
                                  0x00030000, size, size, LR_DEFAULTCOLOR);
}

}  // namespace

LRESULT CALLBACK ObjectWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) AttachOnCreate(hwnd, lparam);
  WindowObject* object = ObjectOf(hwnd);
  if (object == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return object->OnMessage(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK TopLevelWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) AttachOnCreate(hwnd, lparam);
  WindowObject* object = ObjectOf(hwnd);
  LRESULT result = object != nullptr ? object->OnMessage(hwnd, message, wparam, lparam)
                                     : DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (Win32Platform* platform = Win32Platform::Get()) platform->WindowGone(hwnd);
  }
  return result;
}

COLORREF ToColorRef(Colour colour) {
  if (colour == kDefaultColour) return GetSysColor(COLOR_BTNFACE);
  return static_cast<COLORREF>(colour & 0xFFFFFFu);
}

// --- ChildWindow ---------------------------------------------------------------

ChildWindow::ChildWindow(Win32Window& owner, const ControlSpec& options)
    : owner_(owner),
      name_(options.name),
      enabled_(options.enabled),
      visible_(options.visible),
      place_(options.place),
      text_(options.text) {}

ChildWindow::~ChildWindow() {
  if (hwnd_ != nullptr) {
    // The window may outlive this object for a moment (its parent is being
    // destroyed): its messages go to the default procedure from now on.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    if (name_atom_ != 0) RemovePropW(hwnd_, kNameProperty);
  }
  if (name_atom_ != 0) GlobalDeleteAtom(name_atom_);
}

bool ChildWindow::CreateChild(const wchar_t* class_name, DWORD style, bool object_class, int id) {
  HWND parent = owner_.hwnd();
  if (parent == nullptr) return false;
  DWORD full_style = WS_CHILD | WS_CLIPSIBLINGS | style;
  if (visible_) full_style |= WS_VISIBLE;
  if (!enabled_) full_style |= WS_DISABLED;
  const std::wstring text = Widen(text_);
  void* param = object_class ? static_cast<WindowObject*>(this) : nullptr;
  HWND hwnd = CreateWindowExW(0, class_name, text.c_str(), full_style, place_.left, place_.top,
                              place_.Width(), place_.Height(), parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              owner_.PlatformOf().Instance(), param);
  if (hwnd == nullptr) return false;
  hwnd_ = hwnd;
  handle_ = reinterpret_cast<NativeHandle>(hwnd);
  if (!name_.empty()) {
    // The test driver finds controls by this name (an atom, so that other
    // processes can read it).
    name_atom_ = GlobalAddAtomW(Widen(name_).c_str());
    if (name_atom_ != 0) {
      SetPropW(hwnd, kNameProperty, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(name_atom_)));
    }
  }
  return true;
}

void ChildWindow::BeforeDestroy() {
  if (hwnd_ == nullptr) return;
  enabled_ = IsWindowEnabled(hwnd_) != FALSE;
  visible_ = (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
  place_ = ChildPlace();
  {
    const int length = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd_, text.data(), length + 1)));
    std::lock_guard<std::mutex> lock(text_mutex_);
    text_ = Narrow(text);
  }
  if (name_atom_ != 0) {
    RemovePropW(hwnd_, kNameProperty);
    GlobalDeleteAtom(name_atom_);
    name_atom_ = 0;
  }
}

LRESULT ChildWindow::OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCDESTROY) hwnd_ = nullptr;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void ChildWindow::ChildSetEnabled(bool enabled) {
  enabled_ = enabled;
  if (hwnd_ != nullptr) EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

bool ChildWindow::ChildEnabled() const {
  return hwnd_ != nullptr ? IsWindowEnabled(hwnd_) != FALSE : enabled_;
}

void ChildWindow::ChildSetVisible(bool visible) {
  visible_ = visible;
  if (hwnd_ != nullptr) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

bool ChildWindow::ChildVisible() const {
  return hwnd_ != nullptr ? (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0 : visible_;
}

void ChildWindow::ChildSetText(const std::string& text) {
  {
    std::lock_guard<std::mutex> lock(text_mutex_);
    text_ = text;
  }
  HWND hwnd = hwnd_;
  if (hwnd == nullptr) return;
  if (owner_.PlatformOf().OnGuiThread()) {
    SetWindowTextW(hwnd, Widen(text).c_str());
  } else {
    // Another thread never waits for the GUI thread: the text follows.
    std::wstring wide = Widen(text);
    owner_.PlatformOf().PostToGuiThread([hwnd, wide] {
      if (IsWindow(hwnd)) SetWindowTextW(hwnd, wide.c_str());
    });
  }
}

std::string ChildWindow::ChildText() const {
  HWND hwnd = owner_.PlatformOf().OnGuiThread() ? hwnd_.load() : nullptr;
  if (hwnd != nullptr) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return Narrow(text);
  }
  std::lock_guard<std::mutex> lock(text_mutex_);
  return text_;
}

void ChildWindow::ChildMove(const Rect& place) {
  place_ = place;
  if (hwnd_ != nullptr) {
    MoveWindow(hwnd_, place.left, place.top, place.Width(), place.Height(), TRUE);
  }
}

Rect ChildWindow::ChildPlace() const {
  if (hwnd_ == nullptr) return place_;
  RECT r;
  GetWindowRect(hwnd_, &r);
  MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
  return Rect{r.left, r.top, r.right, r.bottom};
}

void ChildWindow::Redraw() const {
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

// --- timers --------------------------------------------------------------------

void Win32Timer::SetPeriod(int milliseconds) {
  const int period = milliseconds > 0 ? milliseconds : 0;
  if (period == period_) return;  // a running timer is not restarted
  period_ = period;
  HWND hwnd = owner_.hwnd();
  if (hwnd == nullptr) return;
  if (period_ > 0) {
    SetTimer(hwnd, id_, static_cast<UINT>(period_), nullptr);
  } else {
    KillTimer(hwnd, id_);
  }
}

// --- windows ---------------------------------------------------------------------

Win32Window::Win32Window(Win32Platform& platform, const WindowSpec& options)
    : platform_(platform), spec_(options), back_colour_(options.backColour) {}

Win32Window::~Win32Window() {
  if (hwnd_ != nullptr) {
    HWND hwnd = hwnd_;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (dialog_owner_ != nullptr) EnableWindow(dialog_owner_, TRUE);
    if (!destroying_) {
      for (auto& control : controls_) control->BeforeDestroy();
      DestroyWindow(hwnd);
    }
  }
  controls_.clear();
  if (icon_big_ != nullptr) DestroyIcon(icon_big_);
  if (icon_small_ != nullptr) DestroyIcon(icon_small_);
}

bool Win32Window::Create() {
  DWORD style = WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_SYSMENU;
  style |= spec_.frameless ? WS_POPUP : WS_OVERLAPPED | WS_CAPTION;
  DWORD ex_style = spec_.taskbar ? WS_EX_APPWINDOW : WS_EX_TOOLWINDOW;
  if (spec_.topmost) ex_style |= WS_EX_TOPMOST;
  last_size_ = spec_.size;
  HWND hwnd =
      CreateWindowExW(ex_style, kWindowClass, Widen(spec_.title).c_str(), style, spec_.position.x,
                      spec_.position.y, spec_.size.width, spec_.size.height, nullptr, nullptr,
                      platform_.Instance(), static_cast<WindowObject*>(this));
  if (hwnd == nullptr) return false;
  handle_ = reinterpret_cast<NativeHandle>(hwnd);
  platform_.WindowCreated(hwnd);
  if (!spec_.icon.empty()) {
    icon_big_ = IconFromFile(spec_.icon, GetSystemMetrics(SM_CXICON));
    icon_small_ = IconFromFile(spec_.icon, GetSystemMetrics(SM_CXSMICON));
    if (icon_big_ != nullptr) SendMessageW(hwnd, WM_SETICON, ICON_BIG, (LPARAM)icon_big_);
    if (icon_small_ != nullptr) SendMessageW(hwnd, WM_SETICON, ICON_SMALL, (LPARAM)icon_small_);
  }
  return true;
}

template <typename T>
T& Win32Window::Add(const ControlSpec& options) {
  auto control = std::make_unique<T>(*this, options);
  T& ref = *control;
  controls_.push_back(std::move(control));
  ref.Create(next_control_id_++);
  return ref;
}

PictureButton& Win32Window::AddPictureButton(const ControlSpec& options) {
  return Add<Win32PictureButton>(options);
}
RadioButton& Win32Window::AddRadioButton(const ControlSpec& options) {
  return Add<Win32RadioButton>(options);
}
CheckBox& Win32Window::AddCheckBox(const ControlSpec& options) {
  return Add<Win32CheckBox>(options);
}
Label& Win32Window::AddLabel(const ControlSpec& options) { return Add<Win32Label>(options); }
PictureBox& Win32Window::AddPictureBox(const ControlSpec& options) {
  return Add<Win32PictureBox>(options);
}
ColourPicker& Win32Window::AddColourPicker(const ControlSpec& options) {
  return Add<Win32ColourPicker>(options);
}
Canvas& Win32Window::AddCanvas(const ControlSpec& options) { return Add<Win32Canvas>(options); }

Timer& Win32Window::AddTimer(const std::string& name) {
  timers_.push_back(std::make_unique<Win32Timer>(*this, name, timers_.size() + 1));
  return *timers_.back();
}

std::vector<ChildWindow*> Win32Window::Radios() const {
  std::vector<ChildWindow*> radios;
  for (const auto& control : controls_) {
    if (control->IsRadio()) radios.push_back(control.get());
  }
  return radios;
}

ChildWindow* Win32Window::ControlOf(HWND child) const {
  if (child == nullptr) return nullptr;
  for (const auto& control : controls_) {
    if (control->hwnd() == child) return control.get();
  }
  return nullptr;
}

Rect Win32Window::Place() const {
  RECT r{};
  if (hwnd_ == nullptr || !GetWindowRect(hwnd_, &r)) return Rect{};
  return Rect{r.left, r.top, r.right, r.bottom};
}

void Win32Window::Move(const Rect& place) {
  if (hwnd_ == nullptr) return;
  SetWindowPos(hwnd_, nullptr, place.left, place.top, place.Width(), place.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::SetWidth(int width) {
  Rect place = Place();
  place.right = place.left + width;
  Move(place);
}

void Win32Window::SetHeight(int height) {
  Rect place = Place();
  place.bottom = place.top + height;
  Move(place);
}

void Win32Window::RaiseSizeChangedIfResized() {
  const Rect place = Place();
  const Size size{place.Width(), place.Height()};
  if (size == last_size_) return;
  last_size_ = size;
  auto handler = onSizeChanged;
  if (handler) handler();
}

void Win32Window::CentreOnScreen() {
  const Size screen = platform_.ScreenSize();
  const Rect place = Place();
  const int left = (screen.width - place.Width()) / 2;
  const int top = (screen.height - place.Height()) / 2;
  Move(Rect{left, top, left + place.Width(), top + place.Height()});
}

void Win32Window::MaximiseFrameless() {
  const Size screen = platform_.ScreenSize();
  Move(Rect{0, 0, screen.width, screen.height});
}

void Win32Window::SetState(WindowState state) {
  if (hwnd_ == nullptr) return;
  const bool shown = IsWindowVisible(hwnd_) != FALSE;
  if (state != WindowState::Minimised) {
    minimise_when_shown_ = false;
    if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
  }
  switch (state) {
    case WindowState::Normal:
      if (!spec_.frameless && IsZoomed(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
      state_ = WindowState::Normal;
      break;
    case WindowState::Centred:
      if (!spec_.frameless && IsZoomed(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
      CentreOnScreen();
      state_ = WindowState::Normal;
      break;
    case WindowState::Minimised:
      if (shown) {
        ShowWindow(hwnd_, SW_MINIMIZE);  // WM_SIZE records the state
      } else {
        minimise_when_shown_ = true;
        if (state_ != WindowState::Minimised) state_before_minimise_ = state_;
        state_ = WindowState::Minimised;
      }
      break;
    case WindowState::Maximised:
      state_ = WindowState::Maximised;
      if (spec_.frameless) {
        MaximiseFrameless();
      } else if (shown) {
        ShowWindow(hwnd_, SW_MAXIMIZE);
      }
      break;
  }
}

WindowState Win32Window::State() const {
  if (hwnd_ != nullptr && IsIconic(hwnd_)) return WindowState::Minimised;
  return state_;
}

void Win32Window::Show(bool activate) {
  if (hwnd_ == nullptr) return;
  int command = activate ? SW_SHOW : SW_SHOWNA;
  if (minimise_when_shown_) {
    minimise_when_shown_ = false;
    command = activate ? SW_SHOWMINIMIZED : SW_SHOWMINNOACTIVE;
  } else if (!spec_.frameless && state_ == WindowState::Maximised) {
    command = SW_SHOWMAXIMIZED;
  }
  ShowWindow(hwnd_, command);
}

void Win32Window::SetVisible(bool visible) {
  if (hwnd_ == nullptr) return;
  if (visible) {
    // Windows with a task-bar button take the focus; helper windows (frames
    // around the recorded area) leave it where the user works.
    Show(spec_.taskbar);
  } else {
    ShowWindow(hwnd_, SW_HIDE);
  }
}

bool Win32Window::Visible() const { return hwnd_ != nullptr && IsWindowVisible(hwnd_) != FALSE; }

void Win32Window::SetBackColour(Colour colour) {
  back_colour_ = colour;
  if (hwnd_ != nullptr) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void Win32Window::SetBackgroundPicture(const Bytes& picture) {
  background_.reset();
  if (auto image = DecodeStill(picture)) background_ = std::make_unique<GdiPicture>(*image);
  if (hwnd_ != nullptr) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void Win32Window::PaintBackground(HDC dc, const RECT& area, int x, int y) const {
  RECT target{x, y, x + (area.right - area.left), y + (area.bottom - area.top)};
  HBRUSH brush = CreateSolidBrush(BackColorRef());
  FillRect(dc, &target, brush);
  DeleteObject(brush);
  if (background_ == nullptr) return;
  const int left = std::max<int>(area.left, 0);
  const int top = std::max<int>(area.top, 0);
  const int right = std::min<int>(area.right, background_->Width());
  const int bottom = std::min<int>(area.bottom, background_->Height());
  if (right <= left || bottom <= top) return;
  background_->Draw(dc, x + (left - area.left), y + (top - area.top), left, top, right - left,
                    bottom - top);
}

void Win32Window::BeginDrag() {
  if (hwnd_ == nullptr) return;
  ReleaseCapture();
  SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void Win32Window::Destroy() {
  if (hwnd_ == nullptr || destroying_ || destroy_posted_) return;
  destroy_posted_ = PostMessageW(hwnd_, kDestroyMessage, 0, 0) != FALSE;
}

void Win32Window::BecomeDialogOf(HWND owner) {
  if (hwnd_ == nullptr || owner == nullptr || owner == hwnd_) return;
  if (dialog_owner_ != nullptr && dialog_owner_ != owner) EnableWindow(dialog_owner_, TRUE);
  dialog_owner_ = owner;
  SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  EnableWindow(owner, FALSE);
}

void Win32Window::KeyDownInControl(int key) {
  auto handler = onKeyDown;
  if (handler) handler(key);
}

LRESULT Win32Window::OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      const RECT& area = ps.rcPaint;
      const int width = area.right - area.left;
      const int height = area.bottom - area.top;
      if (width > 0 && height > 0) {
        HDC memory = CreateCompatibleDC(dc);
        std::uint32_t* bits = nullptr;
        HBITMAP bitmap = CreateTopDownDib(width, height, &bits);
        HGDIOBJ old = SelectObject(memory, bitmap);
        PaintBackground(memory, area, 0, 0);
        BitBlt(dc, area.left, area.top, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_CLOSE: {
      // A window that a dialog has disabled is not closed from outside (the
      // task bar still offers it): the command waiting in the dialog needs it.
      if (!IsWindowEnabled(hwnd)) return 0;
      auto handler = onCloseRequested;
      if (handler && !handler()) return 0;
      DestroyWindow(hwnd);
      return 0;
    }
    case kDestroyMessage:
      destroy_posted_ = false;
      if (!destroying_) DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY: {
      destroying_ = true;
      if (dialog_owner_ != nullptr) {
        // Enabled before this window disappears, so that the owner gets the
        // activation back.
        EnableWindow(dialog_owner_, TRUE);
        dialog_owner_ = nullptr;
      }
      for (auto& timer : timers_) KillTimer(hwnd, timer->Id());
      for (auto& control : controls_) control->BeforeDestroy();
      auto handler = onDestroying;
      if (handler) handler();  // may delete this object
      return 0;
    }
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      for (auto& control : controls_) control->Gone();
      return DefWindowProcW(hwnd, message, wparam, lparam);
    case WM_KEYDOWN: {
      auto handler = onKeyDown;
      if (handler) handler(static_cast<int>(wparam));
      return 0;
    }
    case WM_LBUTTONDOWN: {
      auto handler = onBackgroundLeftDown;
      if (handler) handler();
      return 0;
    }
    case WM_HOTKEY: {
      auto handler = onHotkey;
      if (handler) handler(static_cast<int>(wparam));
      return 0;
    }
    case WM_TIMER: {
      if (wparam == 0 || wparam > timers_.size()) break;
      Win32Timer& timer = *timers_[wparam - 1];
      if (timer.Period() <= 0) return 0;  // stopped after this tick was queued
      auto handler = timer.onTick;
      if (handler) handler();
      return 0;
    }
    case WM_SIZE:
      if (wparam == SIZE_MINIMIZED) {
        if (state_ != WindowState::Minimised) {
          state_before_minimise_ = state_;
          state_ = WindowState::Minimised;
        }
        return 0;
      }
      if (state_ == WindowState::Minimised) state_ = state_before_minimise_;
      if (wparam == SIZE_MAXIMIZED) state_ = WindowState::Maximised;
      RaiseSizeChangedIfResized();
      return 0;
    case WM_COMMAND:
      if (ChildWindow* control = ControlOf(reinterpret_cast<HWND>(lparam))) {
        control->OnCommand(HIWORD(wparam));
        return 0;
      }
      break;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      if (ChildWindow* control = ControlOf(reinterpret_cast<HWND>(lparam))) {
        if (HBRUSH brush = control->OnControlColour(reinterpret_cast<HDC>(wparam))) {
          return reinterpret_cast<LRESULT>(brush);
        }
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace platform::win32
