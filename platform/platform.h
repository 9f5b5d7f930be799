// The platform seam: everything the recorder, the selection windows and the
// shell need from the GUI and the operating system, named after what the
// program does with it. Two backends implement it: platform/win32 (the
// product) and platform/fake (native tests: a painted screen, a clock the test
// advances, injected mouse, keys, hot keys and dialog answers).
//
// Nothing here knows Win32 types: windows and hooks cross as integers.
// All calls are made on the GUI thread unless a comment says otherwise.
// Texts are UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

using Bytes = std::vector<std::uint8_t>;

// 0x00BBGGRR (255 is red). kDefaultColour stands for the button-face colour
// as a background and for "transparent" as a text background.
using Colour = std::uint32_t;
constexpr Colour kDefaultColour = 0xFF000000u;

// A window or hook as an integer: the native handle value, 0 for none. Tested
// as a signed value, so handles that the backend hands out are > 0.
using NativeHandle = std::intptr_t;

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const Point& o) const { return x == o.x && y == o.y; }
  bool operator!=(const Point& o) const { return !(*this == o); }
};

// Left, top, right, bottom; right and bottom are exclusive.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  std::int32_t Width() const { return right - left; }
  std::int32_t Height() const { return bottom - top; }
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const Rect& o) const { return !(*this == o); }
};

struct Size {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const Size& o) const { return width == o.width && height == o.height; }
};

// 0 normal, 1 centred on the primary screen, 2 minimised, 3 maximised (a
// frameless window is then moved to 0, 0 and sized to the primary screen).
enum class WindowState { Normal = 0, Centred = 1, Minimised = 2, Maximised = 3 };

// ---------------------------------------------------------------------------
// Controls. Each is a child window of its own whose window text is its text,
// so screen readers and the test driver see what the user sees.

struct ControlSpec {
  std::string name;  // the form name, e.g. "图形按钮_开始"
  Rect place;        // relative to the window's client area
  bool enabled = true;
  bool visible = true;
  bool checked = false;  // radio buttons and check boxes
  std::string text;
};

class Control {
 public:
  virtual ~Control() = default;
  virtual NativeHandle Handle() const = 0;
  virtual const std::string& Name() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
  virtual void SetText(const std::string& text) = 0;
  virtual std::string Text() const = 0;
  // Place relative to the parent window's client area.
  virtual void Move(const Rect& place) = 0;
  virtual Rect Place() const = 0;
};

// Four picture slots; an empty slot falls back to the normal picture.
struct ButtonPictures {
  Bytes normal;
  Bytes hover;
  Bytes pressed;
  Bytes disabled;
};

// Which picture a picture button shows now.
enum class ButtonLook { Normal, Hover, Pressed, Disabled };

// A plain push button drawn from pictures. A left press captures the mouse;
// a release inside raises onClicked; a release outside raises nothing.
class PictureButton : public Control {
 public:
  virtual void SetPictures(const ButtonPictures& pictures) = 0;
  virtual ButtonLook Look() const = 0;
  std::function<void()> onClicked;
};

// Radio buttons of one window form one group: checking one unchecks the
// others. A click checks the button, then raises onClicked.
class RadioButton : public Control {
 public:
  virtual void SetChecked(bool checked) = 0;
  virtual bool Checked() const = 0;
  std::function<void()> onClicked;
};

// A click toggles the box, then raises onClicked.
class CheckBox : public Control {
 public:
  virtual void SetChecked(bool checked) = 0;
  virtual bool Checked() const = 0;
  std::function<void()> onClicked;
};

struct LabelStyle {
  Colour textColour = 0;
  bool transparent = false;   // the window's background shows through
  bool rightAligned = false;  // otherwise left-aligned; always one line, cut at the edge
};

// A text label. The hidden hot-key receiver is a label too: onFeedback is
// raised with the hot-key id and 0.
class Label : public Control {
 public:
  virtual void SetStyle(const LabelStyle& style) = 0;
  std::function<void(int id, int extra)> onFeedback;
};

// Shows a picture (GIF, animated with its delays and loop count, or a bitmap
// file) at its own size. A picture that fails to decode shows nothing.
class PictureBox : public Control {
 public:
  virtual void SetPicture(const Bytes& picture) = 0;
  virtual const Bytes& Picture() const = 0;
  std::function<void()> onLeftPressed;
};

// A swatch button; a click opens the colour dialog, and every confirmed
// choice (also of the same colour) sets the colour and raises onColourChosen.
class ColourPicker : public Control {
 public:
  virtual void SetColour(Colour colour) = 0;
  virtual Colour GetColour() const = 0;
  std::function<void()> onColourChosen;
};

struct CanvasStyle {
  Colour backColour = 0xFFFFFF;
  Colour penColour = 0;
  int penWidth = 1;  // 0 draws one pixel wide too
  Colour textColour = 0;
  bool keepsDrawing = false;  // draws into an off-screen picture that persists
};

// A drawing surface. Coordinates in pixels from its top-left corner.
// Rectangles and ellipses are outlines (hollow brush) with the pen; text has
// a transparent background and the default GUI font.
//
// A canvas that keeps its drawing may be drawn on, and read, from the capture
// worker while the GUI thread leaves it alone.
class Canvas : public Control {
 public:
  virtual void SetStyle(const CanvasStyle& style) = 0;
  virtual void SetPenColour(Colour colour) = 0;
  virtual void SetTextColour(Colour colour) = 0;
  // The picture that fills the canvas under everything drawn (picture bytes
  // in bitmap-file form); an empty one removes it.
  virtual void SetBackgroundPicture(const Bytes& picture) = 0;
  // Repaints the canvas with its background colour and background picture.
  virtual void Clear() = 0;
  virtual void DrawRectangle(int x1, int y1, int x2, int y2) = 0;
  virtual void DrawEllipse(int x1, int y1, int x2, int y2) = 0;
  virtual void WriteText(int x, int y, const std::string& text) = 0;
  // Draws picture bytes (a bitmap file, or a cursor file drawn through its
  // mask) with its top-left corner at x, y and its own size.
  virtual void DrawPicture(int x, int y, const Bytes& picture) = 0;
  // The whole picture as a 32-bit bitmap file.
  virtual Bytes Picture() const = 0;

  std::function<void(int x, int y)> onLeftDown;
  std::function<void(int x, int y)> onMouseMove;
  std::function<void()> onLeftUp;
};

// Runs while its period is > 0; 0 or less stops it; setting the period it
// already has changes nothing (a running timer is not restarted).
class Timer {
 public:
  virtual ~Timer() = default;
  virtual const std::string& Name() const = 0;
  virtual void SetPeriod(int milliseconds) = 0;
  virtual int Period() const = 0;
  std::function<void()> onTick;
};

// ---------------------------------------------------------------------------
// Windows.

struct WindowSpec {
  std::string title;
  Size size;
  Point position;  // screen position of the top-left corner
  bool frameless = true;
  bool topmost = false;
  bool taskbar = true;  // a button in the task bar
  bool visible = true;  // shown when loaded
  Colour backColour = kDefaultColour;
  Bytes icon;  // icon file bytes, or empty
};

class Window {
 public:
  virtual ~Window() = default;
  virtual NativeHandle Handle() const = 0;
  // False once the window was destroyed.
  virtual bool Loaded() const = 0;

  virtual PictureButton& AddPictureButton(const ControlSpec& options) = 0;
  virtual RadioButton& AddRadioButton(const ControlSpec& options) = 0;
  virtual CheckBox& AddCheckBox(const ControlSpec& options) = 0;
  virtual Label& AddLabel(const ControlSpec& options) = 0;
  virtual PictureBox& AddPictureBox(const ControlSpec& options) = 0;
  virtual ColourPicker& AddColourPicker(const ControlSpec& options) = 0;
  virtual Canvas& AddCanvas(const ControlSpec& options) = 0;
  virtual Timer& AddTimer(const std::string& name) = 0;

  // Outer rectangle in screen pixels.
  virtual Rect Place() const = 0;
  virtual void Move(const Rect& place) = 0;
  virtual void SetWidth(int width) = 0;
  virtual void SetHeight(int height) = 0;
  virtual void SetState(WindowState state) = 0;
  virtual WindowState State() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
  virtual void SetBackColour(Colour colour) = 0;
  // Fills the window exactly (a skin); picture bytes in any form PictureBox takes.
  virtual void SetBackgroundPicture(const Bytes& picture) = 0;
  // Moves the window with the mouse as if its title bar were pressed, until
  // the button is released.
  virtual void BeginDrag() = 0;
  // Queued: carried out when control returns to the message loop.
  virtual void Destroy() = 0;

  // Something outside the program asks the window to close (Alt+F4, the task
  // bar). Returning false keeps it open. Not raised by Destroy().
  std::function<bool()> onCloseRequested;
  // Raised once while the window is destroyed, whatever the cause.
  std::function<void()> onDestroying;
  // A key pressed while the window has the focus.
  std::function<void(int key_code)> onKeyDown;
  std::function<void()> onSizeChanged;
  // Left button pressed on the background, where no control covers it.
  std::function<void()> onBackgroundLeftDown;
  // A registered hot key was pressed (see HotkeyService).
  std::function<void(int id)> onHotkey;
};

// ---------------------------------------------------------------------------
// Dialogs.

// The default caption of the program's message boxes.
inline const char* const kMessageCaption = "信息：";

struct SaveDialogSpec {
  std::string title;
  std::string filterName;     // "GIF图片(*.gif)"
  std::string filterPattern;  // "*.gif"
  std::string defaultExtension;
  // The dialog asks before replacing a file, refuses folders that do not
  // exist and shows no read-only box.
};

struct InputBoxSpec {
  std::string caption;
  std::string prompt;
  std::string initialText;  // selected in full
  std::string okText = "确认输入(&O)";
  std::string cancelText = "取消(&C)";
};

// ---------------------------------------------------------------------------
// A thread started by the program; Join waits for it to end.
class Thread {
 public:
  virtual ~Thread() = default;
  virtual void Join() = 0;
};

// Mouse-hook callback: hook code, message identifier, event details; returns
// what the next hook in the chain returns.
using MouseHookProcFn =
    std::function<std::intptr_t(int code, std::uintptr_t message, std::intptr_t details)>;

class Platform {
 public:
  virtual ~Platform() = default;

  // --- program
  // Makes the folder that holds the program the current directory.
  virtual void EnterProgramFolder() = 0;
  // Runs `routine` once when the program ends normally, after the message loop.
  virtual void RegisterExitRoutine(void (*routine)()) = 0;
  // A picture carried inside the program ("skin.gif", "cursor_arrow.cur", ...).
  virtual Bytes EmbeddedPicture(const std::string& name) = 0;

  // --- windows and the message loop
  virtual std::unique_ptr<Window> NewWindow(const WindowSpec& options) = 0;
  // Shows a loaded window as the start window (the created handlers have run).
  virtual void ShowStartWindow(Window& window) = 0;
  // Runs until no window of the program is left; returns the quit code (0).
  virtual int RunMessageLoop() = 0;
  // Dialog mode: `owner` is disabled while `dialog` exists. A visible dialog
  // keeps this call waiting (events go on) until it is destroyed; a hidden one
  // lets it return at once.
  virtual void RunDialog(Window& dialog, Window& owner) = 0;
  // Queues `task` to run on the GUI thread; callable from any thread.
  virtual void PostToGuiThread(std::function<void()> task) = 0;
  // Starts a thread running `body`.
  virtual std::unique_ptr<Thread> StartThread(std::function<void()> body) = 0;

  // --- screen and windows of any program (physical pixels)
  virtual Size ScreenSize() = 0;
  // The part of `rect` that lies on the primary screen, as a 32-bit bitmap
  // file; empty when nothing is left or the grab failed. Callable from the
  // capture worker. Two grabs of unchanged content give equal bytes.
  virtual Bytes GrabScreen(const Rect& rect) = 0;
  virtual Point CursorPos() = 0;
  // Outer rectangle of any window; false when there is no such window.
  virtual bool WindowRect(NativeHandle window, Rect* rect) = 0;
  // Innermost visible window at `p`, children included; 0 for none.
  virtual NativeHandle WindowFromPoint(Point p) = 0;
  // Parent, or owner of an owned pop-up; 0 for a top-level window without owner.
  virtual NativeHandle ParentWindow(NativeHandle window) = 0;
  // Next window at the same level in z-order; 0 after the last.
  virtual NativeHandle NextSibling(NativeHandle window) = 0;
  virtual bool WindowVisible(NativeHandle window) = 0;

  // --- low-level mouse hook (called on the GUI thread)
  virtual NativeHandle InstallMouseHook(MouseHookProcFn proc) = 0;
  // False when the hook is not installed (already removed, or 0).
  virtual bool RemoveMouseHook(NativeHandle hook) = 0;
  virtual std::intptr_t CallNextHook(NativeHandle hook, int code, std::uintptr_t message,
                                     std::intptr_t details) = 0;

  // --- system-wide hot keys (see HotkeyService, which issues the ids)
  // False when the system refuses the key (another program holds it).
  virtual bool RegisterSystemHotKey(Window& window, int id, unsigned modifiers, unsigned key) = 0;
  virtual bool UnregisterSystemHotKey(Window& window, int id) = 0;

  // --- dialogs (task-modal; all windows of the program are disabled meanwhile)
  // One OK button, no icon.
  virtual void ShowMessage(const std::string& text,
                           const std::string& caption = kMessageCaption) = 0;
  // Yes and No buttons; true for Yes.
  virtual bool AskYesNo(const std::string& text, const std::string& caption = kMessageCaption) = 0;
  // True when the user pressed OK; `text` then holds the field as it was.
  // Cancel or closing leaves `text` untouched and returns false.
  virtual bool InputBox(const InputBoxSpec& options, std::string* text) = 0;
  // `path` comes in as the name offered in the field and, when the user
  // confirms, goes out as the full path chosen.
  virtual bool SaveFileDialog(const SaveDialogSpec& options, std::string* path) = 0;
  // The system's colour dialog starting at `colour`; true when confirmed.
  virtual bool ChooseColour(Colour* colour) = 0;
};

}  // namespace platform
