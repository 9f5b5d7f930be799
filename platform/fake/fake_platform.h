// The fake backend for native tests. It keeps every piece of state a test
// reads back (control texts, enabled and checked states, what was drawn,
// timers and their periods, dialogs shown) and lets the test drive time and
// input: the screen is a pixel buffer the test paints, timers fire when the
// test advances the clock, and mouse, keys, hot keys and dialog answers are
// injected.
//
// Everything runs on the test's thread (the "GUI thread") except threads the
// program starts, which run inline or as real threads (ThreadMode).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "gif/bitmap_file.h"
#include "platform/platform.h"

namespace platform::fake {

using framelark::PixelImage;

// A colour (0x00BBGGRR) as a pixel of a PixelImage (0x00RRGGBB).
inline std::uint32_t ColourToPixel(Colour c) {
  return (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}

class FakePlatform;
class FakeWindow;

// --- controls --------------------------------------------------------------

template <typename Base>
class FakeControl : public Base {
 public:
  FakeControl(FakeWindow& window, NativeHandle handle, const ControlSpec& options)
      : window_(window),
        handle_(handle),
        name_(options.name),
        enabled_(options.enabled),
        visible_(options.visible),
        text_(options.text),
        place_(options.place) {}
  NativeHandle Handle() const override { return handle_; }
  const std::string& Name() const override { return name_; }
  // Every call is logged (FakePlatform::EnabledChanges), so tests see the order.
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool Visible() const override { return visible_; }
  void SetText(const std::string& text) override {
    std::lock_guard<std::mutex> lock(text_mutex_);
    text_ = text;
  }
  std::string Text() const override {
    std::lock_guard<std::mutex> lock(text_mutex_);
    return text_;
  }
  void Move(const Rect& place) override { place_ = place; }
  Rect Place() const override { return place_; }
  FakeWindow& Owner() const { return window_; }
  // Input reaches a control only while it and its window take input.
  bool TakesInput() const;

 private:
  FakeWindow& window_;
  NativeHandle handle_;
  std::string name_;
  bool enabled_;
  bool visible_;
  mutable std::mutex text_mutex_;
  std::string text_;
  Rect place_;
};

class FakePictureButton : public FakeControl<PictureButton> {
 public:
  using FakeControl::FakeControl;
  void SetPictures(const ButtonPictures& pictures) override { pictures_ = pictures; }
  ButtonLook Look() const override;
  const ButtonPictures& Pictures() const { return pictures_; }
  // The bytes of the picture drawn now (normal when a slot is empty).
  const Bytes& CurrentPicture() const;

  // Input. Click is a press and a release inside.
  void SetHover(bool over) { hover_ = over; }
  void Press();
  void Release(bool inside);
  void Click();

 private:
  ButtonPictures pictures_;
  bool hover_ = false;
  bool pressed_ = false;
};

class FakeRadioButton : public FakeControl<RadioButton> {
 public:
  using FakeControl::FakeControl;
  void SetChecked(bool checked) override;
  bool Checked() const override { return checked_; }
  void Click();

 private:
  friend class FakeWindow;
  bool checked_ = false;
};

class FakeCheckBox : public FakeControl<CheckBox> {
 public:
  using FakeControl::FakeControl;
  void SetChecked(bool checked) override { checked_ = checked; }
  bool Checked() const override { return checked_; }
  void Click();

 private:
  bool checked_ = false;
};

class FakeLabel : public FakeControl<Label> {
 public:
  using FakeControl::FakeControl;
  void SetStyle(const LabelStyle& style) override { style_ = style; }
  const LabelStyle& Style() const { return style_; }

 private:
  LabelStyle style_;
};

class FakePictureBox : public FakeControl<PictureBox> {
 public:
  using FakeControl::FakeControl;
  void SetPicture(const Bytes& picture) override { picture_ = picture; }
  const Bytes& Picture() const override { return picture_; }
  void PressLeft();

 private:
  Bytes picture_;
};

class FakeColourPicker : public FakeControl<ColourPicker> {
 public:
  using FakeControl::FakeControl;
  void SetColour(Colour colour) override { colour_ = colour; }
  Colour GetColour() const override { return colour_; }
  // Opens the colour dialog (answered through FakePlatform::QueueColour).
  void Click();

 private:
  Colour colour_ = 0;
};

// One drawing call on a canvas, as the program made it.
struct DrawOp {
  enum Kind { Clear, Rectangle, Ellipse, Text, Picture } kind;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  Colour colour = 0;  // pen colour (shapes) or text colour (text)
  int penWidth = 0;
  std::string text;
};

class FakeCanvas : public FakeControl<Canvas> {
 public:
  FakeCanvas(FakeWindow& window, NativeHandle handle, const ControlSpec& options);
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

  const CanvasStyle& Style() const { return style_; }
  const Bytes& BackgroundPicture() const { return background_; }
  // The canvas's pixels (0x00RRGGBB). Shapes are drawn as outlines with the
  // pen colour; text is only logged.
  const PixelImage& Pixels() const { return pixels_; }
  std::vector<DrawOp> Ops() const;
  void ClearOps();

  // Called with the method's name ("SetPenColour", "SetTextColour",
  // "DrawEllipse", "DrawRectangle", "WriteText", "DrawPicture", "Picture")
  // at the start of each of these calls, on the calling thread and outside
  // the canvas's lock: a test can act at an exact point of a drawing sequence.
  std::function<void(const std::string& call)> onCall;

  // Mouse input in canvas coordinates.
  void LeftDown(int x, int y);
  void MouseMove(int x, int y);
  void LeftUp();

 private:
  void Plot(int x, int y, Colour colour);
  void Log(DrawOp op);

  CanvasStyle style_;
  Bytes background_;
  PixelImage pixels_;
  mutable std::mutex mutex_;
  std::vector<DrawOp> ops_;
  void Notify(const char* call) const {
    if (onCall) onCall(call);
  }
};

class FakeTimer : public Timer {
 public:
  FakeTimer(FakePlatform& platform, std::string name)
      : platform_(platform), name_(std::move(name)) {}
  const std::string& Name() const override { return name_; }
  void SetPeriod(int milliseconds) override;
  int Period() const override { return period_; }
  // Clock time of the next event (valid while the period is > 0).
  std::int64_t NextDue() const { return next_due_; }
  // How often SetPeriod (re)started the timer.
  int Starts() const { return starts_; }

 private:
  friend class FakePlatform;
  friend class FakeWindow;
  FakePlatform& platform_;
  std::string name_;
  int period_ = 0;
  std::int64_t next_due_ = 0;
  int starts_ = 0;
  bool alive_ = true;
};

// --- windows ---------------------------------------------------------------

class FakeWindow : public Window {
 public:
  FakeWindow(FakePlatform& platform, NativeHandle handle, const WindowSpec& options);
  ~FakeWindow() override;

  NativeHandle Handle() const override { return handle_; }
  bool Loaded() const override { return loaded_; }
  PictureButton& AddPictureButton(const ControlSpec& options) override;
  RadioButton& AddRadioButton(const ControlSpec& options) override;
  CheckBox& AddCheckBox(const ControlSpec& options) override;
  Label& AddLabel(const ControlSpec& options) override;
  PictureBox& AddPictureBox(const ControlSpec& options) override;
  ColourPicker& AddColourPicker(const ControlSpec& options) override;
  Canvas& AddCanvas(const ControlSpec& options) override;
  Timer& AddTimer(const std::string& name) override;

  Rect Place() const override { return place_; }
  void Move(const Rect& place) override;
  void SetWidth(int width) override;
  void SetHeight(int height) override;
  void SetState(WindowState state) override;
  WindowState State() const override { return state_; }
  void SetVisible(bool visible) override;
  bool Visible() const override { return visible_; }
  void SetBackColour(Colour colour) override { back_colour_ = colour; }
  void SetBackgroundPicture(const Bytes& picture) override { background_ = picture; }
  void BeginDrag() override { ++drags_; }
  void Destroy() override;

  // --- what a test reads
  const WindowSpec& Options() const { return spec_; }
  Colour BackColour() const { return back_colour_; }
  const Bytes& BackgroundPicture() const { return background_; }
  bool Enabled() const { return enabled_; }
  int Drags() const { return drags_; }
  bool DestroyQueued() const { return destroy_queued_; }
  FakePlatform& PlatformOf() const { return platform_; }
  // A control by its form name; nullptr if there is none.
  Control* Find(const std::string& name) const;
  template <typename T>
  T& Get(const std::string& name) const {
    return dynamic_cast<T&>(*Find(name));
  }
  FakeTimer* FindTimer(const std::string& name) const;
  const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }

  // --- input
  // Alt+F4 or the task bar's close command: raises onCloseRequested and
  // destroys the window unless the handler said no. Returns whether it closed.
  bool RequestClose();
  void PressKey(int key_code);
  // Left press on the window's background at a client point; controls that
  // cover the point take the press instead (picture buttons, boxes, canvases).
  void PressBackground(int x, int y);

 private:
  friend class FakePlatform;
  friend class FakeRadioButton;
  template <typename T>
  T& Add(const ControlSpec& options);
  void CarryOutDestroy();

  FakePlatform& platform_;
  NativeHandle handle_;
  WindowSpec spec_;
  Rect place_;
  WindowState state_ = WindowState::Normal;
  bool visible_ = false;
  bool loaded_ = true;
  bool enabled_ = true;
  bool destroy_queued_ = false;
  int drags_ = 0;
  Colour back_colour_;
  Bytes background_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::vector<std::unique_ptr<FakeTimer>> timers_;
  Window* dialog_owner_ = nullptr;
};

// --- the platform ----------------------------------------------------------

// A window of another program, for WindowFromPoint and its relatives. The
// list order is the z-order, topmost first.
struct ForeignWindow {
  NativeHandle handle = 0;
  Rect rect;
  NativeHandle parent = 0;
  bool visible = true;
  // A top-level pop-up (parent 0) owned by this window: ParentWindow reports
  // the owner, as the system does, while the pop-up stays at the top level.
  NativeHandle owner = 0;
};

struct MessageShown {
  std::string text;
  std::string caption;
  bool yesNo = false;
};

struct SaveDialogShown {
  SaveDialogSpec options;
  std::string offeredPath;
};

struct InputBoxShown {
  InputBoxSpec options;
  std::string textBefore;
};

enum class ThreadMode {
  Inline,  // StartThread runs the body before it returns
  Real,    // a real thread; Join waits for it
};

class FakePlatform : public Platform {
 public:
  FakePlatform();
  ~FakePlatform() override;

  // --- Platform
  void EnterProgramFolder() override;
  void RegisterExitRoutine(void (*routine)()) override;
  Bytes EmbeddedPicture(const std::string& name) override;
  std::unique_ptr<Window> NewWindow(const WindowSpec& options) override;
  void ShowStartWindow(Window& window) override;
  int RunMessageLoop() override;
  void RunDialog(Window& dialog, Window& owner) override;
  void PostToGuiThread(std::function<void()> task) override;
  std::unique_ptr<Thread> StartThread(std::function<void()> body) override;
  Size ScreenSize() override;
  Bytes GrabScreen(const Rect& rect) override;
  Point CursorPos() override;
  bool WindowRect(NativeHandle window, Rect* rect) override;
  NativeHandle WindowFromPoint(Point p) override;
  NativeHandle ParentWindow(NativeHandle window) override;
  NativeHandle NextSibling(NativeHandle window) override;
  bool WindowVisible(NativeHandle window) override;
  NativeHandle InstallMouseHook(MouseHookProcFn proc) override;
  bool RemoveMouseHook(NativeHandle hook) override;
  std::intptr_t CallNextHook(NativeHandle hook, int code, std::uintptr_t message,
                             std::intptr_t details) override;
  bool RegisterSystemHotKey(Window& window, int id, unsigned modifiers, unsigned key) override;
  bool UnregisterSystemHotKey(Window& window, int id) override;
  void ShowMessage(const std::string& text, const std::string& caption) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  bool InputBox(const InputBoxSpec& options, std::string* text) override;
  bool SaveFileDialog(const SaveDialogSpec& options, std::string* path) override;
  bool ChooseColour(Colour* colour) override;

  // --- the program's calls, in order ("EnterProgramFolder", "NewWindow <title>",
  // "ShowStartWindow", "RunMessageLoop", "RegisterSystemHotKey <id> <key>",
  // "UnregisterSystemHotKey <id>", "RemoveMouseHook <handle>", "ShowMessage ...")
  const std::vector<std::string>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

  // --- time
  std::int64_t Now() const { return now_; }
  // Moves the clock on, firing every timer event that falls due, in order,
  // and running posted tasks and queued destructions after each.
  void AdvanceClock(int milliseconds);
  // Runs posted tasks and queued destructions until none is left.
  void RunPending();
  // Waits up to `timeout_ms` of real time for a posted task, then runs all
  // that are queued. For tests with real threads. Returns whether any ran.
  bool WaitAndRunPending(int timeout_ms);

  // --- the message loop: RunMessageLoop runs this script (the test's
  // interaction), then carries out what is queued; it returns 0 when no
  // window is left, -1 if the script left windows open.
  std::function<void()> onMessageLoop;
  // Dialog mode: RunDialog runs this with the dialog for visible dialogs.
  std::function<void(FakeWindow& dialog)> onDialog;
  void (*ExitRoutine() const)() { return exit_routine_; }

  // --- threads
  void SetThreadMode(ThreadMode mode) { thread_mode_ = mode; }
  int ThreadsStarted() const { return threads_started_; }
  // Threads whose body has returned (real threads count it as their last act).
  int ThreadsFinished() const { return threads_finished_.load(); }

  // --- screen and windows
  PixelImage& Screen() { return screen_; }
  void SetScreenSize(int width, int height, std::uint32_t fill = 0);
  // The cursor may be moved while a capture worker reads it.
  void SetCursorPos(Point p) {
    std::lock_guard<std::mutex> lock(cursor_mutex_);
    cursor_ = p;
  }
  // Foreign windows, topmost first. Handles must be unique and > 0.
  std::vector<ForeignWindow>& ForeignWindows() { return foreign_; }
  int Grabs() const { return grabs_.load(); }
  // Replaces a picture EmbeddedPicture gives (an empty one gives none).
  void SetEmbeddedPicture(const std::string& name, Bytes picture) {
    embedded_[name] = std::move(picture);
  }

  // --- enabled states: "name 1" or "name 0" for every SetEnabled, in order
  const std::vector<std::string>& EnabledChanges() const { return enabled_changes_; }
  void ClearEnabledChanges() { enabled_changes_.clear(); }
  void RecordEnabled(const std::string& name, bool enabled) {
    enabled_changes_.push_back(name + (enabled ? " 1" : " 0"));
  }
  // Runs at every GrabScreen before the grab, with the rectangle asked for
  // (on the thread that grabs).
  std::function<void(const Rect&)> onGrabScreen;

  // --- mouse hook
  void RefuseMouseHook(bool refuse) { refuse_hook_ = refuse; }
  // Sends a mouse message (0x0201 WM_LBUTTONDOWN ...) through the installed
  // hooks. Returns how many hooks passed it on.
  int SendMouseMessage(std::uintptr_t message);
  int InstalledHooks() const { return static_cast<int>(hooks_.size()); }
  int PassedOn() const { return passed_on_; }

  // --- hot keys
  // Another program holds this key: registering it is refused.
  void HoldKeyElsewhere(unsigned key) { held_elsewhere_.insert(key); }
  // A press of `key` (a virtual-key code); true if a registration took it.
  bool PressHotKey(unsigned key);
  bool HotKeyRegistered(unsigned key) const;

  // --- dialogs: answers are taken in order; with no answer queued a dialog is
  // cancelled (and a yes/no box answered No).
  void QueueSaveAnswer(std::optional<std::string> path) { save_answers_.push_back(path); }
  void QueueInputAnswer(std::optional<std::string> text) { input_answers_.push_back(text); }
  void QueueYesNo(bool yes) { yes_no_answers_.push_back(yes); }
  void QueueColour(std::optional<Colour> colour) { colour_answers_.push_back(colour); }
  const std::vector<MessageShown>& Messages() const { return messages_; }
  const std::vector<SaveDialogShown>& SaveDialogs() const { return save_dialogs_; }
  const std::vector<InputBoxShown>& InputBoxes() const { return input_boxes_; }
  // Runs while a modal dialog is open (between its opening and the answer).
  std::function<void()> onModalDialog;

  // --- the program's windows
  std::vector<FakeWindow*> Windows() const;
  FakeWindow* FindWindow(const std::string& title) const;
  int LoadedWindows() const;

  // Used by the fake's windows and timers.
  NativeHandle NextHandle() { return next_handle_++; }
  void Record(const std::string& call) { calls_.push_back(call); }
  void QueueDestroy(FakeWindow* window);
  void Forget(FakeWindow* window);
  void AddTimer(FakeTimer* timer) { timers_.push_back(timer); }
  void RemoveTimer(FakeTimer* timer);

 private:
  void CarryOutDestructions();
  bool RunPosted();
  void Modal();

  std::vector<std::string> calls_;
  void (*exit_routine_)() = nullptr;
  std::int64_t now_ = 0;
  NativeHandle next_handle_ = 0x1000;
  std::vector<FakeWindow*> windows_;
  std::vector<FakeWindow*> destroy_queue_;
  std::vector<FakeTimer*> timers_;

  std::mutex posted_mutex_;
  std::condition_variable posted_cv_;
  std::deque<std::function<void()>> posted_;

  ThreadMode thread_mode_ = ThreadMode::Inline;
  int threads_started_ = 0;
  std::atomic<int> threads_finished_{0};

  PixelImage screen_;
  std::mutex cursor_mutex_;
  Point cursor_;
  std::vector<ForeignWindow> foreign_;
  std::atomic<int> grabs_{0};
  std::map<std::string, Bytes> embedded_;
  std::vector<std::string> enabled_changes_;

  bool refuse_hook_ = false;
  NativeHandle next_hook_ = 0x7001;
  std::vector<std::pair<NativeHandle, MouseHookProcFn>> hooks_;
  int passed_on_ = 0;

  std::set<unsigned> held_elsewhere_;
  struct HotKey {
    Window* window;
    unsigned key;
  };
  std::map<int, HotKey> hot_keys_;

  std::deque<std::optional<std::string>> save_answers_;
  std::deque<std::optional<std::string>> input_answers_;
  std::deque<bool> yes_no_answers_;
  std::deque<std::optional<Colour>> colour_answers_;
  std::vector<MessageShown> messages_;
  std::vector<SaveDialogShown> save_dialogs_;
  std::vector<InputBoxShown> input_boxes_;
};

template <typename Base>
void FakeControl<Base>::SetEnabled(bool enabled) {
  enabled_ = enabled;
  window_.PlatformOf().RecordEnabled(name_, enabled);
}

}  // namespace platform::fake
