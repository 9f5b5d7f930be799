#include "selection/window_picker.h"

#include <algorithm>

#include "engine/recorder_state.h"
#include "gif/bitmap_file.h"
#include "platform/current.h"
#include "selection/popup_window.h"
#include "selection/window_under_mouse.h"
#include "shell/main_window.h"

namespace framelark {
namespace {

// The outline as the form gives it; every showing tick moves and sizes it.
constexpr int kFormWidth = 380;
constexpr int kFormHeight = 112;
constexpr platform::Colour kFormBackColour = 0xFF;  // BorderColor from the first show on
constexpr platform::Rect kCanvasPlace{10, 13, 10 + 360, 13 + 85};
constexpr int kBand = 2;  // width of the outline around the window

std::unique_ptr<OutlineWindow> g_outline;
bool g_held = false;  // the left button is held on the outline

bool OutlineLoaded() { return g_outline && g_outline->form->Loaded(); }

// Whether `window` is the outline or its canvas: what the mouse is over when
// a hiding tick finds the outline under it.
bool IsOutline(platform::NativeHandle window) {
  return OutlineLoaded() && window != 0 &&
         (window == g_outline->form->Handle() || window == g_outline->画板_闪烁数据->Handle());
}

// A picture of `rect` as the screen shows it, aligned to the rectangle's
// corner. Only the part on the primary screen can be grabbed; a window that
// reaches past the left or top edge (a maximised window does, by its frame)
// gets its picture shifted back into place, so that the snapshot lies on
// the window pixel for pixel.
platform::Bytes SnapshotOf(const platform::Rect& rect) {
  platform::Bytes grab = platform::Current().GrabScreen(rect);
  const int skip_x = std::max(0, -rect.left);
  const int skip_y = std::max(0, -rect.top);
  if (grab.empty() || (skip_x == 0 && skip_y == 0)) return grab;
  const auto part = ReadBitmapFile(grab);
  if (!part) return grab;
  PixelImage whole(rect.Width(), rect.Height());
  for (int y = 0; y < part->height && skip_y + y < whole.height; ++y) {
    for (int x = 0; x < part->width && skip_x + x < whole.width; ++x) {
      whole.At(skip_x + x, skip_y + y) = part->At(x, y);
    }
  }
  return WriteBitmapFile(whole);
}

// Lays the outline over CaptureRect and shows it. Called while the outline
// is hidden, so the snapshot shows the window, not the outline.
void ShowOutline() {
  RecorderState& r = Recorder();
  OutlineWindow& o = *g_outline;
  const platform::Rect target = r.CaptureRect.Get();
  o.form->SetBackColour(r.BorderColor);
  o.form->Move(platform::Rect{target.left - kBand, target.top - kBand, target.right + kBand,
                              target.bottom + kBand});
  o.画板_闪烁数据->Move(
      platform::Rect{kBand, kBand, kBand + target.Width(), kBand + target.Height()});
  o.画板_闪烁数据->SetBackgroundPicture(SnapshotOf(target));
  o.画板_闪烁数据->Clear();  // the snapshot replaces the last window's picture
  o.form->SetVisible(true);
}

// The left button pressed on the shown outline: the user has chosen the
// window it marks. Until the button comes up the flash ticks leave the
// outline shown and the choice as it is, so the release lands on the
// outline and picks that window, however long the button is held and
// wherever the mouse went meanwhile. (A hidden outline would lose the
// release, and the picking would go on after the user chose.)
void OnOutlinePressed(int /*x*/, int /*y*/) { g_held = true; }

// The left button released on the outline: the window it marks is the one.
void OnOutlineReleased() {
  g_held = false;
  Main().时钟_闪烁->SetPeriod(0);
  g_outline->form->Destroy();
}

// The window object cannot go while it runs its own destruction: it is
// handed to a task that frees it once the GUI thread is back in its loop.
// From here on the outline counts as not loaded.
void OnOutlineDestroying() {
  std::shared_ptr<OutlineWindow> gone(std::move(g_outline));
  platform::Current().PostToGuiThread([gone] {});
}

}  // namespace

OutlineWindow* Outline() { return OutlineLoaded() ? g_outline.get() : nullptr; }

void OpenOutlineWindow() {
  if (OutlineLoaded()) return;  // already picking
  platform::Platform& p = platform::Current();

  // Created hidden: the first flash tick shows it.
  const platform::WindowSpec options =
      CentredPopupOptions(kFormWidth, kFormHeight, false, kFormBackColour);

  auto o = std::make_unique<OutlineWindow>();
  o->form = p.NewWindow(options);
  if (!o->form) return;

  platform::ControlSpec canvas_spec;
  canvas_spec.name = "画板_闪烁数据";
  canvas_spec.place = kCanvasPlace;
  o->画板_闪烁数据 = &o->form->AddCanvas(canvas_spec);
  platform::CanvasStyle style;
  style.backColour = 0xFFFFFF;  // covered by the snapshot
  style.penColour = 0;
  style.penWidth = 1;
  style.textColour = 0xFF;
  style.keepsDrawing = false;
  o->画板_闪烁数据->SetStyle(style);

  g_outline = std::move(o);
  g_held = false;
  g_outline->form->onDestroying = OnOutlineDestroying;
  g_outline->画板_闪烁数据->onLeftDown = OnOutlinePressed;
  g_outline->画板_闪烁数据->onLeftUp = OnOutlineReleased;

  // Hidden: returns at once, and MainWindow stays disabled until the
  // outline is gone.
  p.RunDialog(*g_outline->form, *Main().form);
}

void OnFlashTimer() {
  RecorderState& r = Recorder();
  platform::Platform& p = platform::Current();
  if (g_held && OutlineLoaded()) return;  // the user is clicking the outline

  // A hiding tick finds the outline itself under the mouse when the user
  // points at it. The outline is not a target: the window it marks stays
  // picked, so a click that follows still gets the window the user chose.
  const platform::NativeHandle under = WindowUnderMouse();
  if (!IsOutline(under)) {
    r.PickedWindow.store(under);
    platform::Rect rect;
    // Written whole: the capture worker reads it in window mode. No window,
    // no rectangle: the last one stays.
    if (p.WindowRect(under, &rect)) r.CaptureRect.Set(rect);
  }

  if (!OutlineLoaded()) return;  // picking has ended; the timer is on its way out
  if (!g_outline->form->Visible()) {
    ShowOutline();
  } else {
    g_outline->form->SetVisible(false);
  }
}

}  // namespace framelark
