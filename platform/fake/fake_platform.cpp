#include "platform/fake/fake_platform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/fake/cursor_file.h"

#ifndef FRAMELARK_PICTURES_DIR
#define FRAMELARK_PICTURES_DIR "shell/pictures"
#endif

namespace platform::fake {

namespace {

std::string Hex(std::intptr_t value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%lx", static_cast<unsigned long>(value));
  return buffer;
}

bool HasPicture(const Bytes& bytes) { return !bytes.empty(); }

}  // namespace

// --- controls --------------------------------------------------------------

template <typename Base>
bool FakeControl<Base>::TakesInput() const {
  return enabled_ && visible_ && window_.Loaded() && window_.Enabled();
}

ButtonLook FakePictureButton::Look() const {
  if (!Enabled() && HasPicture(pictures_.disabled)) return ButtonLook::Disabled;
  if (hover_ && pressed_) return ButtonLook::Pressed;
  if (hover_) return ButtonLook::Hover;
  return ButtonLook::Normal;
}

const Bytes& FakePictureButton::CurrentPicture() const {
  switch (Look()) {
    case ButtonLook::Disabled:
      return pictures_.disabled;
    case ButtonLook::Hover:
      return HasPicture(pictures_.hover) ? pictures_.hover : pictures_.normal;
    case ButtonLook::Pressed:
      return HasPicture(pictures_.pressed) ? pictures_.pressed : pictures_.normal;
    case ButtonLook::Normal:
      break;
  }
  return pictures_.normal;
}

void FakePictureButton::Press() {
  if (!TakesInput()) return;
  pressed_ = true;  // the button captures the mouse
}

void FakePictureButton::Release(bool inside) {
  if (!pressed_) return;
  pressed_ = false;
  hover_ = inside;
  if (inside && onClicked) onClicked();
}

void FakePictureButton::Click() {
  hover_ = true;
  Press();
  Release(true);
  hover_ = false;
}

void FakeRadioButton::SetChecked(bool checked) {
  if (checked) {
    for (auto& control : Owner().controls_) {
      if (auto* radio = dynamic_cast<FakeRadioButton*>(control.get()); radio && radio != this) {
        radio->checked_ = false;
      }
    }
  }
  checked_ = checked;
}

void FakeRadioButton::Click() {
  if (!TakesInput()) return;
  SetChecked(true);
  if (onClicked) onClicked();
}

void FakeCheckBox::Click() {
  if (!TakesInput()) return;
  checked_ = !checked_;
  if (onClicked) onClicked();
}

void FakePictureBox::PressLeft() {
  if (!TakesInput()) return;
  if (onLeftPressed) onLeftPressed();
}

FakeCanvas::FakeCanvas(FakeWindow& window, NativeHandle handle, const ControlSpec& options)
    : FakeControl(window, handle, options),
      pixels_(std::max(0, options.place.Width()), std::max(0, options.place.Height()),
              style_.backColour) {}

void FakeCanvas::SetStyle(const CanvasStyle& style) {
  style_ = style;
  std::fill(pixels_.pixels.begin(), pixels_.pixels.end(), ColourToPixel(style.backColour));
}

void FakeCanvas::SetPenColour(Colour colour) {
  Notify("SetPenColour");
  std::lock_guard<std::mutex> lock(mutex_);
  style_.penColour = colour;
}

void FakeCanvas::SetTextColour(Colour colour) {
  Notify("SetTextColour");
  std::lock_guard<std::mutex> lock(mutex_);
  style_.textColour = colour;
}

void FakeCanvas::SetBackgroundPicture(const Bytes& picture) { background_ = picture; }

void FakeCanvas::Clear() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::fill(pixels_.pixels.begin(), pixels_.pixels.end(), ColourToPixel(style_.backColour));
    if (auto image = framelark::ReadBitmapFile(background_)) {
      for (int y = 0; y < std::min(image->height, pixels_.height); ++y) {
        for (int x = 0; x < std::min(image->width, pixels_.width); ++x) {
          pixels_.At(x, y) = image->At(x, y);
        }
      }
    }
  }
  Log(DrawOp{DrawOp::Clear, 0, 0, 0, 0, 0, 0, {}});
}

void FakeCanvas::Plot(int x, int y, Colour colour) {
  if (x < 0 || y < 0 || x >= pixels_.width || y >= pixels_.height) return;
  pixels_.At(x, y) = ColourToPixel(colour);
}

void FakeCanvas::DrawRectangle(int x1, int y1, int x2, int y2) {
  Notify("DrawRectangle");
  Colour pen;
  int width;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pen = style_.penColour;
    width = style_.penWidth;
    // An outline along the corner rectangle, right and bottom exclusive.
    const int left = std::min(x1, x2), right = std::max(x1, x2) - 1;
    const int top = std::min(y1, y2), bottom = std::max(y1, y2) - 1;
    for (int x = left; x <= right; ++x) {
      Plot(x, top, pen);
      Plot(x, bottom, pen);
    }
    for (int y = top; y <= bottom; ++y) {
      Plot(left, y, pen);
      Plot(right, y, pen);
    }
  }
  Log(DrawOp{DrawOp::Rectangle, x1, y1, x2, y2, pen, width, {}});
}

void FakeCanvas::DrawEllipse(int x1, int y1, int x2, int y2) {
  Notify("DrawEllipse");
  Colour pen;
  int width;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pen = style_.penColour;
    width = style_.penWidth;
  }
  Log(DrawOp{DrawOp::Ellipse, x1, y1, x2, y2, pen, width, {}});
}

void FakeCanvas::WriteText(int x, int y, const std::string& text) {
  Notify("WriteText");
  Colour colour;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    colour = style_.textColour;
  }
  Log(DrawOp{DrawOp::Text, x, y, x, y, colour, 0, text});
}

void FakeCanvas::DrawPicture(int x, int y, const Bytes& picture) {
  Notify("DrawPicture");
  std::optional<PixelImage> image;
  std::vector<bool> mask;
  if (auto cursor = ReadCursorFile(picture)) {
    image = std::move(cursor->image);
    mask = std::move(cursor->opaque);
  } else {
    image = framelark::ReadBitmapFile(picture);
  }
  if (!image) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (int row = 0; row < image->height; ++row) {
      for (int col = 0; col < image->width; ++col) {
        const std::size_t i = static_cast<std::size_t>(row) * image->width + col;
        if (!mask.empty() && !mask[i]) continue;
        const int px = x + col, py = y + row;
        if (px < 0 || py < 0 || px >= pixels_.width || py >= pixels_.height) continue;
        pixels_.At(px, py) = image->pixels[i];
      }
    }
  }
  Log(DrawOp{DrawOp::Picture, x, y, x + image->width, y + image->height, 0, 0, {}});
}

Bytes FakeCanvas::Picture() const {
  Notify("Picture");
  std::lock_guard<std::mutex> lock(mutex_);
  return framelark::WriteBitmapFile(pixels_);
}

void FakeCanvas::Move(const Rect& place) {
  FakeControl::Move(place);
  std::lock_guard<std::mutex> lock(mutex_);
  PixelImage resized(std::max(0, place.Width()), std::max(0, place.Height()),
                     ColourToPixel(style_.backColour));
  for (int y = 0; y < std::min(resized.height, pixels_.height); ++y) {
    for (int x = 0; x < std::min(resized.width, pixels_.width); ++x) {
      resized.At(x, y) = pixels_.At(x, y);
    }
  }
  pixels_ = std::move(resized);
}

std::vector<DrawOp> FakeCanvas::Ops() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ops_;
}

void FakeCanvas::ClearOps() {
  std::lock_guard<std::mutex> lock(mutex_);
  ops_.clear();
}

void FakeCanvas::Log(DrawOp op) {
  std::lock_guard<std::mutex> lock(mutex_);
  ops_.push_back(std::move(op));
}

void FakeCanvas::LeftDown(int x, int y) {
  if (TakesInput() && onLeftDown) onLeftDown(x, y);
}
void FakeCanvas::MouseMove(int x, int y) {
  if (TakesInput() && onMouseMove) onMouseMove(x, y);
}
void FakeCanvas::LeftUp() {
  if (TakesInput() && onLeftUp) onLeftUp();
}

void FakeTimer::SetPeriod(int milliseconds) {
  const int period = milliseconds > 0 ? milliseconds : 0;
  if (period == period_) return;  // a running timer is not restarted
  period_ = period;
  if (period_ > 0) {
    next_due_ = platform_.Now() + period_;
    ++starts_;
  }
  platform_.Record("SetPeriod " + name_ + " " + std::to_string(period_));
}

// --- windows ---------------------------------------------------------------

FakeWindow::FakeWindow(FakePlatform& platform, NativeHandle handle, const WindowSpec& options)
    : platform_(platform),
      handle_(handle),
      spec_(options),
      place_{options.position.x, options.position.y, options.position.x + options.size.width,
             options.position.y + options.size.height},
      back_colour_(options.backColour) {}

FakeWindow::~FakeWindow() {
  for (auto& timer : timers_) platform_.RemoveTimer(timer.get());
  platform_.Forget(this);
}

template <typename T>
T& FakeWindow::Add(const ControlSpec& options) {
  auto control = std::make_unique<T>(*this, platform_.NextHandle(), options);
  T& ref = *control;
  controls_.push_back(std::move(control));
  return ref;
}

PictureButton& FakeWindow::AddPictureButton(const ControlSpec& options) {
  return Add<FakePictureButton>(options);
}
RadioButton& FakeWindow::AddRadioButton(const ControlSpec& options) {
  auto& radio = Add<FakeRadioButton>(options);
  radio.checked_ = options.checked;
  return radio;
}
CheckBox& FakeWindow::AddCheckBox(const ControlSpec& options) {
  auto& box = Add<FakeCheckBox>(options);
  box.SetChecked(options.checked);
  return box;
}
Label& FakeWindow::AddLabel(const ControlSpec& options) { return Add<FakeLabel>(options); }
PictureBox& FakeWindow::AddPictureBox(const ControlSpec& options) {
  return Add<FakePictureBox>(options);
}
ColourPicker& FakeWindow::AddColourPicker(const ControlSpec& options) {
  return Add<FakeColourPicker>(options);
}
Canvas& FakeWindow::AddCanvas(const ControlSpec& options) { return Add<FakeCanvas>(options); }

Timer& FakeWindow::AddTimer(const std::string& name) {
  timers_.push_back(std::make_unique<FakeTimer>(platform_, name));
  platform_.AddTimer(timers_.back().get());
  return *timers_.back();
}

void FakeWindow::Move(const Rect& place) {
  const bool resized = place.Width() != place_.Width() || place.Height() != place_.Height();
  place_ = place;
  if (resized && onSizeChanged) onSizeChanged();
}

void FakeWindow::SetWidth(int width) {
  Move(Rect{place_.left, place_.top, place_.left + width, place_.bottom});
}

void FakeWindow::SetHeight(int height) {
  Move(Rect{place_.left, place_.top, place_.right, place_.top + height});
}

void FakeWindow::SetState(WindowState state) {
  state_ = state;
  const Size screen = platform_.ScreenSize();
  if (state == WindowState::Maximised && spec_.frameless) {
    Move(Rect{0, 0, screen.width, screen.height});
  } else if (state == WindowState::Centred) {
    const int left = (screen.width - place_.Width()) / 2;
    const int top = (screen.height - place_.Height()) / 2;
    Move(Rect{left, top, left + place_.Width(), top + place_.Height()});
    state_ = WindowState::Normal;
  }
}

void FakeWindow::SetVisible(bool visible) { visible_ = visible; }

void FakeWindow::Destroy() {
  if (!loaded_ || destroy_queued_) return;
  destroy_queued_ = true;
  platform_.QueueDestroy(this);
}

void FakeWindow::CarryOutDestroy() {
  if (!loaded_) return;
  // As on the system, the windows this one owns (its dialogs) go first.
  for (FakeWindow* other : platform_.Windows()) {
    if (other->dialog_owner_ == this) other->CarryOutDestroy();
  }
  if (onDestroying) onDestroying();
  loaded_ = false;
  visible_ = false;
  destroy_queued_ = false;
  for (auto& timer : timers_) timer->alive_ = false;
  if (dialog_owner_ != nullptr) {
    static_cast<FakeWindow*>(dialog_owner_)->enabled_ = true;
    dialog_owner_ = nullptr;
  }
}

Control* FakeWindow::Find(const std::string& name) const {
  for (const auto& control : controls_) {
    if (control->Name() == name) return control.get();
  }
  return nullptr;
}

FakeTimer* FakeWindow::FindTimer(const std::string& name) const {
  for (const auto& timer : timers_) {
    if (timer->Name() == name) return timer.get();
  }
  return nullptr;
}

bool FakeWindow::RequestClose() {
  if (!loaded_ || !enabled_) return false;
  if (onCloseRequested && !onCloseRequested()) return false;
  CarryOutDestroy();
  platform_.RunPending();
  return true;
}

void FakeWindow::PressKey(int key_code) {
  if (loaded_ && enabled_ && onKeyDown) onKeyDown(key_code);
  platform_.RunPending();
}

void FakeWindow::PressBackground(int x, int y) {
  if (!loaded_ || !enabled_) return;
  for (const auto& control : controls_) {
    if (control->Visible() && control->Place().Contains(Point{x, y})) {
      // A covering control takes the press.
      if (auto* button = dynamic_cast<FakePictureButton*>(control.get())) {
        button->Press();
        button->Release(true);
      } else if (auto* box = dynamic_cast<FakePictureBox*>(control.get())) {
        box->PressLeft();
      } else if (auto* radio = dynamic_cast<FakeRadioButton*>(control.get())) {
        radio->Click();
      } else if (auto* check = dynamic_cast<FakeCheckBox*>(control.get())) {
        check->Click();
      } else if (auto* canvas = dynamic_cast<FakeCanvas*>(control.get())) {
        canvas->LeftDown(x - canvas->Place().left, y - canvas->Place().top);
      }
      platform_.RunPending();
      return;
    }
  }
  if (onBackgroundLeftDown) onBackgroundLeftDown();
  platform_.RunPending();
}

// --- the platform ----------------------------------------------------------

FakePlatform::FakePlatform() : screen_(1280, 800, 0) {}

FakePlatform::~FakePlatform() {
  for (FakeWindow* window : windows_) window->loaded_ = false;
}

void FakePlatform::EnterProgramFolder() { Record("EnterProgramFolder"); }

void FakePlatform::RegisterExitRoutine(void (*routine)()) {
  exit_routine_ = routine;
  Record("RegisterExitRoutine");
}

Bytes FakePlatform::EmbeddedPicture(const std::string& name) {
  if (auto it = embedded_.find(name); it != embedded_.end()) return it->second;
  std::ifstream in(std::string(FRAMELARK_PICTURES_DIR) + "/" + name, std::ios::binary);
  if (!in) return {};
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::unique_ptr<Window> FakePlatform::NewWindow(const WindowSpec& options) {
  auto window = std::make_unique<FakeWindow>(*this, NextHandle(), options);
  windows_.push_back(window.get());
  Record("NewWindow " + options.title);
  return window;
}

void FakePlatform::ShowStartWindow(Window& window) {
  Record("ShowStartWindow");
  window.SetVisible(true);
}

int FakePlatform::RunMessageLoop() {
  Record("RunMessageLoop");
  RunPending();
  if (onMessageLoop) onMessageLoop();
  RunPending();
  return LoadedWindows() == 0 ? 0 : -1;
}

void FakePlatform::RunDialog(Window& dialog, Window& owner) {
  auto& fake_dialog = static_cast<FakeWindow&>(dialog);
  auto& fake_owner = static_cast<FakeWindow&>(owner);
  Record("RunDialog " + fake_dialog.Options().title);
  fake_owner.enabled_ = false;
  fake_dialog.dialog_owner_ = &owner;
  if (!fake_dialog.Options().visible) return;  // a hidden dialog lets the call return at once
  fake_dialog.SetVisible(true);
  if (fake_dialog.State() == WindowState::Maximised && fake_dialog.Options().frameless) {
    const Size screen = ScreenSize();
    fake_dialog.Move(Rect{0, 0, screen.width, screen.height});
  }
  if (onDialog) onDialog(fake_dialog);
  RunPending();
}

void FakePlatform::PostToGuiThread(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> lock(posted_mutex_);
    posted_.push_back(std::move(task));
  }
  posted_cv_.notify_all();
}

namespace {
class InlineThread : public Thread {
 public:
  void Join() override {}
};
class RealThread : public Thread {
 public:
  explicit RealThread(std::function<void()> body) : thread_(std::move(body)) {}
  ~RealThread() override {
    if (thread_.joinable()) thread_.join();
  }
  void Join() override {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};
}  // namespace

std::unique_ptr<Thread> FakePlatform::StartThread(std::function<void()> body) {
  ++threads_started_;
  if (thread_mode_ == ThreadMode::Real) {
    return std::make_unique<RealThread>([this, body = std::move(body)] {
      body();
      threads_finished_.fetch_add(1);
    });
  }
  body();
  threads_finished_.fetch_add(1);
  return std::make_unique<InlineThread>();
}

Size FakePlatform::ScreenSize() { return Size{screen_.width, screen_.height}; }

void FakePlatform::SetScreenSize(int width, int height, std::uint32_t fill) {
  screen_ = PixelImage(width, height, fill);
}

Bytes FakePlatform::GrabScreen(const Rect& rect) {
  ++grabs_;
  if (onGrabScreen) onGrabScreen(rect);
  const int left = std::max(rect.left, 0), top = std::max(rect.top, 0);
  const int right = std::min(rect.right, screen_.width);
  const int bottom = std::min(rect.bottom, screen_.height);
  if (right <= left || bottom <= top) return {};
  PixelImage part(right - left, bottom - top);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) part.At(x - left, y - top) = screen_.At(x, y);
  }
  return framelark::WriteBitmapFile(part);
}

Point FakePlatform::CursorPos() {
  std::lock_guard<std::mutex> lock(cursor_mutex_);
  return cursor_;
}

namespace {
// The program's own windows and their controls, as WindowFromPoint sees them.
bool ProgramWindowAt(const std::vector<FakeWindow*>& windows, Point p, NativeHandle* found) {
  // Topmost windows first, then the rest, latest created on top.
  for (int pass = 0; pass < 2; ++pass) {
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
      FakeWindow* window = *it;
      if (!window->Loaded() || !window->Visible()) continue;
      if (window->Options().topmost != (pass == 0)) continue;
      const Rect place = window->Place();
      if (!place.Contains(p)) continue;
      for (auto c = window->Controls().rbegin(); c != window->Controls().rend(); ++c) {
        Rect r = (*c)->Place();
        r = Rect{r.left + place.left, r.top + place.top, r.right + place.left,
                 r.bottom + place.top};
        if ((*c)->Visible() && r.Contains(p)) {
          *found = (*c)->Handle();
          return true;
        }
      }
      *found = window->Handle();
      return true;
    }
  }
  return false;
}
}  // namespace

bool FakePlatform::WindowRect(NativeHandle window, Rect* rect) {
  for (const auto& foreign : foreign_) {
    if (foreign.handle == window) {
      *rect = foreign.rect;
      return true;
    }
  }
  for (FakeWindow* own : windows_) {
    if (!own->Loaded()) continue;
    if (own->Handle() == window) {
      *rect = own->Place();
      return true;
    }
    for (const auto& control : own->Controls()) {
      if (control->Handle() == window) {
        const Rect place = own->Place(), r = control->Place();
        *rect = Rect{r.left + place.left, r.top + place.top, r.right + place.left,
                     r.bottom + place.top};
        return true;
      }
    }
  }
  return false;
}

NativeHandle FakePlatform::WindowFromPoint(Point p) {
  NativeHandle found = 0;
  if (ProgramWindowAt(windows_, p, &found)) return found;
  // Foreign windows: the innermost visible window containing the point, the
  // first in z-order at each level.
  NativeHandle parent = 0;
  for (;;) {
    NativeHandle hit = 0;
    for (const auto& w : foreign_) {
      if (w.parent == parent && w.visible && w.rect.Contains(p)) {
        hit = w.handle;
        break;
      }
    }
    if (hit == 0) return found;
    found = hit;
    parent = hit;
  }
}

NativeHandle FakePlatform::ParentWindow(NativeHandle window) {
  for (const auto& w : foreign_) {
    if (w.handle == window) return w.parent != 0 ? w.parent : w.owner;
  }
  for (FakeWindow* own : windows_) {
    // A dialog is owned by the window it was opened over.
    if (own->Handle() == window && own->dialog_owner_ != nullptr) {
      return own->dialog_owner_->Handle();
    }
    for (const auto& control : own->Controls()) {
      if (control->Handle() == window) return own->Handle();
    }
  }
  return 0;
}

NativeHandle FakePlatform::NextSibling(NativeHandle window) {
  for (std::size_t i = 0; i < foreign_.size(); ++i) {
    if (foreign_[i].handle != window) continue;
    for (std::size_t j = i + 1; j < foreign_.size(); ++j) {
      if (foreign_[j].parent == foreign_[i].parent) return foreign_[j].handle;
    }
    return 0;
  }
  return 0;
}

bool FakePlatform::WindowVisible(NativeHandle window) {
  for (const auto& w : foreign_) {
    if (w.handle == window) return w.visible;
  }
  for (FakeWindow* own : windows_) {
    if (own->Handle() == window) return own->Loaded() && own->Visible();
    for (const auto& control : own->Controls()) {
      if (control->Handle() == window) return own->Visible() && control->Visible();
    }
  }
  return false;
}

NativeHandle FakePlatform::InstallMouseHook(MouseHookProcFn proc) {
  if (refuse_hook_) {
    Record("InstallMouseHook refused");
    return 0;
  }
  const NativeHandle handle = next_hook_++;
  hooks_.emplace_back(handle, std::move(proc));
  Record("InstallMouseHook " + Hex(handle));
  return handle;
}

bool FakePlatform::RemoveMouseHook(NativeHandle hook) {
  Record("RemoveMouseHook " + Hex(hook));
  auto it = std::find_if(hooks_.begin(), hooks_.end(),
                         [&](const auto& entry) { return entry.first == hook; });
  if (it == hooks_.end()) return false;
  hooks_.erase(it);
  return true;
}

std::intptr_t FakePlatform::CallNextHook(NativeHandle, int, std::uintptr_t, std::intptr_t) {
  ++passed_on_;
  return 0;
}

int FakePlatform::SendMouseMessage(std::uintptr_t message) {
  const int before = passed_on_;
  auto hooks = hooks_;  // a hook may be removed while it runs
  for (auto& entry : hooks) entry.second(0, message, 0);
  RunPending();
  return passed_on_ - before;
}

bool FakePlatform::RegisterSystemHotKey(Window& window, int id, unsigned modifiers, unsigned key) {
  Record("RegisterSystemHotKey " + std::to_string(id) + " " + std::to_string(key));
  if (held_elsewhere_.count(key) != 0 || HotKeyRegistered(key) || modifiers != 0) return false;
  hot_keys_[id] = HotKey{&window, key};
  return true;
}

bool FakePlatform::UnregisterSystemHotKey(Window& window, int id) {
  Record("UnregisterSystemHotKey " + std::to_string(id));
  auto it = hot_keys_.find(id);
  if (it == hot_keys_.end() || it->second.window != &window) return false;
  hot_keys_.erase(it);
  return true;
}

bool FakePlatform::HotKeyRegistered(unsigned key) const {
  for (const auto& entry : hot_keys_) {
    if (entry.second.key == key) return true;
  }
  return false;
}

bool FakePlatform::PressHotKey(unsigned key) {
  for (const auto& entry : hot_keys_) {
    if (entry.second.key != key) continue;
    Window* window = entry.second.window;
    if (window->onHotkey) window->onHotkey(entry.first);
    RunPending();
    return true;
  }
  return false;
}

void FakePlatform::Modal() {
  if (onModalDialog) onModalDialog();
}

void FakePlatform::ShowMessage(const std::string& text, const std::string& caption) {
  Record("ShowMessage " + text);
  messages_.push_back(MessageShown{text, caption, false});
  Modal();
}

bool FakePlatform::AskYesNo(const std::string& text, const std::string& caption) {
  Record("AskYesNo " + text);
  messages_.push_back(MessageShown{text, caption, true});
  Modal();
  if (yes_no_answers_.empty()) return false;
  const bool yes = yes_no_answers_.front();
  yes_no_answers_.pop_front();
  return yes;
}

bool FakePlatform::InputBox(const InputBoxSpec& options, std::string* text) {
  Record("InputBox " + options.caption);
  input_boxes_.push_back(InputBoxShown{options, *text});
  Modal();
  if (input_answers_.empty()) return false;
  auto answer = input_answers_.front();
  input_answers_.pop_front();
  if (!answer) return false;
  *text = *answer;
  return true;
}

bool FakePlatform::SaveFileDialog(const SaveDialogSpec& options, std::string* path) {
  Record("SaveFileDialog " + options.title);
  save_dialogs_.push_back(SaveDialogShown{options, *path});
  Modal();
  if (save_answers_.empty()) return false;
  auto answer = save_answers_.front();
  save_answers_.pop_front();
  if (!answer) return false;
  *path = *answer;
  return true;
}

bool FakePlatform::ChooseColour(Colour* colour) {
  Record("ChooseColour");
  Modal();
  if (colour_answers_.empty()) return false;
  auto answer = colour_answers_.front();
  colour_answers_.pop_front();
  if (!answer) return false;
  *colour = *answer;
  return true;
}

void FakeColourPicker::Click() {
  if (!TakesInput()) return;
  Colour chosen = GetColour();
  if (Owner().PlatformOf().ChooseColour(&chosen)) {
    SetColour(chosen);
    if (onColourChosen) onColourChosen();
  }
}

void FakePlatform::AdvanceClock(int milliseconds) {
  const std::int64_t end = now_ + milliseconds;
  for (;;) {
    FakeTimer* due = nullptr;
    for (FakeTimer* timer : timers_) {
      if (!timer->alive_ || timer->period_ <= 0 || timer->next_due_ > end) continue;
      if (due == nullptr || timer->next_due_ < due->next_due_) due = timer;
    }
    if (due == nullptr) break;
    now_ = due->next_due_;
    due->next_due_ += due->period_;
    if (due->onTick) due->onTick();
    RunPending();
  }
  now_ = end;
  RunPending();
}

bool FakePlatform::RunPosted() {
  std::function<void()> task;
  {
    std::lock_guard<std::mutex> lock(posted_mutex_);
    if (posted_.empty()) return false;
    task = std::move(posted_.front());
    posted_.pop_front();
  }
  task();
  return true;
}

void FakePlatform::RunPending() {
  for (;;) {
    bool worked = RunPosted();
    if (!destroy_queue_.empty()) {
      CarryOutDestructions();
      worked = true;
    }
    if (!worked) return;
  }
}

bool FakePlatform::WaitAndRunPending(int timeout_ms) {
  {
    std::unique_lock<std::mutex> lock(posted_mutex_);
    posted_cv_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                        [&] { return !posted_.empty(); });
    if (posted_.empty()) return false;
  }
  RunPending();
  return true;
}

void FakePlatform::QueueDestroy(FakeWindow* window) { destroy_queue_.push_back(window); }

void FakePlatform::CarryOutDestructions() {
  auto queue = std::move(destroy_queue_);
  destroy_queue_.clear();
  for (FakeWindow* window : queue) {
    if (std::find(windows_.begin(), windows_.end(), window) != windows_.end()) {
      window->CarryOutDestroy();
    }
  }
}

void FakePlatform::Forget(FakeWindow* window) {
  windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
  destroy_queue_.erase(std::remove(destroy_queue_.begin(), destroy_queue_.end(), window),
                       destroy_queue_.end());
}

void FakePlatform::RemoveTimer(FakeTimer* timer) {
  timers_.erase(std::remove(timers_.begin(), timers_.end(), timer), timers_.end());
}

std::vector<FakeWindow*> FakePlatform::Windows() const { return windows_; }

FakeWindow* FakePlatform::FindWindow(const std::string& title) const {
  for (FakeWindow* window : windows_) {
    if (window->Options().title == title && window->Loaded()) return window;
  }
  return nullptr;
}

int FakePlatform::LoadedWindows() const {
  return static_cast<int>(
      std::count_if(windows_.begin(), windows_.end(), [](FakeWindow* w) { return w->Loaded(); }));
}

}  // namespace platform::fake
