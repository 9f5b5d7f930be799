// Top-level windows and the plumbing every control window shares.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/pictures.h"

namespace platform::win32 {

class Win32Platform;
class Win32Window;

// Window class names of the backend.
inline constexpr const wchar_t* kWindowClass = L"FramelarkWindow";
inline constexpr const wchar_t* kPictureButtonClass = L"FramelarkPictureButton";
inline constexpr const wchar_t* kLabelClass = L"FramelarkLabel";
inline constexpr const wchar_t* kPictureBoxClass = L"FramelarkPictureBox";
inline constexpr const wchar_t* kColourPickerClass = L"FramelarkColourPicker";
inline constexpr const wchar_t* kCanvasClass = L"FramelarkCanvas";
// The window property that carries a control's form name as a global atom.
inline constexpr const wchar_t* kNameProperty = L"Framelark.Name";

// An object behind a window of one of the backend's own classes. The class's
// window procedure passes every message to it (see ObjectWindowProc).
class WindowObject {
 public:
  virtual ~WindowObject() = default;
  virtual LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) = 0;
  // Called while the window is created, before any other message arrives.
  virtual void Attach(HWND hwnd) = 0;
};

LRESULT CALLBACK ObjectWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK TopLevelWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// A COLORREF for a colour of the interface (kDefaultColour is the button face).
COLORREF ToColorRef(Colour colour);

// What every control has: a child window with the form name as a property,
// and a copy of its state for when the window is gone.
class ChildWindow : public WindowObject {
 public:
  ChildWindow(Win32Window& owner, const ControlSpec& options);
  ~ChildWindow() override;
  ChildWindow(const ChildWindow&) = delete;
  ChildWindow& operator=(const ChildWindow&) = delete;

  // Creates the child window; `object_class` says whether the class hands
  // its messages to this object.
  bool CreateChild(const wchar_t* class_name, DWORD style, bool object_class, int id);
  HWND hwnd() const { return hwnd_; }
  Win32Window& Owner() const { return owner_; }

  // The owning window is being destroyed: keep the state, drop the name.
  virtual void BeforeDestroy();
  // The child window is gone.
  void Gone() { hwnd_ = nullptr; }
  // Notifications of BUTTON controls (WM_COMMAND) and their colours.
  virtual void OnCommand(WORD /*code*/) {}
  virtual bool IsRadio() const { return false; }
  virtual HBRUSH OnControlColour(HDC /*dc*/) { return nullptr; }

  void Attach(HWND hwnd) override { hwnd_ = hwnd; }
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override;

 protected:
  NativeHandle ChildHandle() const { return handle_; }
  const std::string& ChildName() const { return name_; }
  void ChildSetEnabled(bool enabled);
  bool ChildEnabled() const;
  void ChildSetVisible(bool visible);
  bool ChildVisible() const;
  void ChildSetText(const std::string& text);
  std::string ChildText() const;
  void ChildMove(const Rect& place);
  Rect ChildPlace() const;
  // Redraws the whole control (GUI thread).
  void Redraw() const;
  // Runs `paint` into a memory picture of the client area, then shows it.
  template <typename Paint>
  void PaintBuffered(HWND hwnd, Paint paint);

  Win32Window& owner_;
  // Set and cleared on the GUI thread; a worker drawing on a canvas or
  // writing a text may look at it.
  std::atomic<HWND> hwnd_{nullptr};
  NativeHandle handle_ = 0;
  std::string name_;
  ATOM name_atom_ = 0;
  bool enabled_;
  bool visible_;
  Rect place_;
  mutable std::mutex text_mutex_;
  std::string text_;
};

template <typename Paint>
void ChildWindow::PaintBuffered(HWND hwnd, Paint paint) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  if (client.right > 0 && client.bottom > 0) {
    HDC memory = CreateCompatibleDC(dc);
    std::uint32_t* bits = nullptr;
    HBITMAP bitmap = CreateTopDownDib(client.right, client.bottom, &bits);
    HGDIOBJ old = SelectObject(memory, bitmap);
    paint(memory, client);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
  }
  EndPaint(hwnd, &ps);
}

// The Control interface over ChildWindow, for each kind of control.
template <typename Base>
class ControlImpl : public Base, public ChildWindow {
 public:
  ControlImpl(Win32Window& owner, const ControlSpec& options) : ChildWindow(owner, options) {}
  NativeHandle Handle() const override { return ChildHandle(); }
  const std::string& Name() const override { return ChildName(); }
  void SetEnabled(bool enabled) override { ChildSetEnabled(enabled); }
  bool Enabled() const override { return ChildEnabled(); }
  void SetVisible(bool visible) override { ChildSetVisible(visible); }
  bool Visible() const override { return ChildVisible(); }
  void SetText(const std::string& text) override { ChildSetText(text); }
  std::string Text() const override { return ChildText(); }
  void Move(const Rect& place) override { ChildMove(place); }
  Rect Place() const override { return ChildPlace(); }
};

class Win32Timer : public Timer {
 public:
  Win32Timer(Win32Window& owner, std::string name, UINT_PTR id)
      : owner_(owner), name_(std::move(name)), id_(id) {}
  const std::string& Name() const override { return name_; }
  void SetPeriod(int milliseconds) override;
  int Period() const override { return period_; }
  UINT_PTR Id() const { return id_; }

 private:
  Win32Window& owner_;
  std::string name_;
  UINT_PTR id_;
  int period_ = 0;
};

class Win32Window : public Window, public WindowObject {
 public:
  Win32Window(Win32Platform& platform, const WindowSpec& options);
  ~Win32Window() override;
  // Creates the (hidden) window; false when Windows refuses.
  bool Create();

  NativeHandle Handle() const override { return handle_; }
  bool Loaded() const override { return hwnd_ != nullptr; }
  PictureButton& AddPictureButton(const ControlSpec& options) override;
  RadioButton& AddRadioButton(const ControlSpec& options) override;
  CheckBox& AddCheckBox(const ControlSpec& options) override;
  Label& AddLabel(const ControlSpec& options) override;
  PictureBox& AddPictureBox(const ControlSpec& options) override;
  ColourPicker& AddColourPicker(const ControlSpec& options) override;
  Canvas& AddCanvas(const ControlSpec& options) override;
  Timer& AddTimer(const std::string& name) override;
  Rect Place() const override;
  void Move(const Rect& place) override;
  void SetWidth(int width) override;
  void SetHeight(int height) override;
  void SetState(WindowState state) override;
  WindowState State() const override;
  void SetVisible(bool visible) override;
  bool Visible() const override;
  void SetBackColour(Colour colour) override;
  void SetBackgroundPicture(const Bytes& picture) override;
  void BeginDrag() override;
  void Destroy() override;

  HWND hwnd() const { return hwnd_; }
  const WindowSpec& Options() const { return spec_; }
  Win32Platform& PlatformOf() const { return platform_; }
  // Shows the window with the state recorded while it was hidden.
  void Show(bool activate);
  // Dialog mode: `owner` stays disabled until this window is destroyed.
  void BecomeDialogOf(HWND owner);
  // Paints the background (colour, then picture) of `area`, in client
  // coordinates of this window, onto `dc` with the area's corner at x, y.
  void PaintBackground(HDC dc, const RECT& area, int x, int y) const;
  COLORREF BackColorRef() const { return ToColorRef(back_colour_); }
  // A key went to one of the window's controls.
  void KeyDownInControl(int key);
  // The radio buttons of the window (one group).
  std::vector<ChildWindow*> Radios() const;

  void Attach(HWND hwnd) override { hwnd_ = hwnd; }
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  template <typename T>
  T& Add(const ControlSpec& options);
  ChildWindow* ControlOf(HWND child) const;
  void RaiseSizeChangedIfResized();
  void CentreOnScreen();
  void MaximiseFrameless();

  Win32Platform& platform_;
  WindowSpec spec_;
  HWND hwnd_ = nullptr;
  NativeHandle handle_ = 0;
  bool destroying_ = false;
  bool destroy_posted_ = false;
  HWND dialog_owner_ = nullptr;
  HICON icon_big_ = nullptr;
  HICON icon_small_ = nullptr;
  Colour back_colour_;
  std::unique_ptr<GdiPicture> background_;
  WindowState state_ = WindowState::Normal;
  WindowState state_before_minimise_ = WindowState::Normal;
  bool minimise_when_shown_ = false;
  Size last_size_;
  int next_control_id_ = 1000;
  std::vector<std::unique_ptr<ChildWindow>> controls_;
  std::vector<std::unique_ptr<Win32Timer>> timers_;
};

// The private messages of the backend.
inline constexpr UINT kDestroyMessage = WM_APP + 0x101;
inline constexpr UINT kTasksMessage = WM_APP + 0x102;

}  // namespace platform::win32
