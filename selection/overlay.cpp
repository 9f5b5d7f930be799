#include "selection/overlay.h"

#include <memory>
#include <string>

#include "engine/recorder_state.h"
#include "platform/current.h"
#include "selection/popup_window.h"
#include "shell/main_window.h"

namespace framelark {
namespace {

constexpr int kEnterKey = 13;

// The overlay as the form gives it; the created handler then spreads it over
// the whole primary screen.
constexpr int kFormWidth = 197;
constexpr int kFormHeight = 221;
constexpr platform::Rect kCanvasPlace{5, 5, 5 + 185, 5 + 210};
constexpr platform::Colour kCanvasBackColour = 0xFFFF00;  // hidden under the snapshot
constexpr platform::Colour kInitialInk = 0xFF;

std::unique_ptr<OverlayWindow> g_overlay;

// The text written at the cursor: its coordinates, and how to confirm.
std::string SelectionText(int x, int y) {
  return "横：" + std::to_string(x) + " 纵:" + std::to_string(y) + " [回车键确定]";
}

// Created: cover the primary screen and freeze its picture. The window is
// still hidden here, so the snapshot shows the desktop as the user sees it.
void OnOverlayCreated() {
  platform::Platform& p = platform::Current();
  OverlayWindow& o = *g_overlay;
  const platform::Size screen = p.ScreenSize();
  o.form->SetWidth(screen.width);  // each change of size fits the canvas
  o.form->SetHeight(screen.height);
  {
    const platform::Bytes snapshot =
        p.GrabScreen(platform::Rect{0, 0, screen.width, screen.height});
    o.画板_画线背景->SetBackgroundPicture(snapshot);
  }
  o.画板_画线背景->Clear();  // shows the snapshot from the first paint on
  o.画板_画线背景->SetPenColour(Recorder().BorderColor);
  // Applied when the window is shown: a frameless window then lies at 0, 0
  // with the size of the primary screen, so canvas points are screen points.
  o.form->SetState(platform::WindowState::Maximised);
}

void OnOverlaySizeChanged() {
  OverlayWindow& o = *g_overlay;
  const platform::Rect place = o.form->Place();
  o.画板_画线背景->Move(platform::Rect{0, 0, place.Width(), place.Height()});
}

// Enter is the one way out: the overlay has no title bar and no close
// button, and Escape or any other key is left alone, so that only a
// deliberate Enter ends the selection.
void OnOverlayKeyDown(int key_code) {
  if (key_code != kEnterKey) return;
  g_overlay->form->Destroy();
}

void OnSelectionLeftDown(int x, int y) {
  RecorderState& r = Recorder();
  r.SelectionDragging = 1;
  r.SelectionRect.x1 = x;
  r.SelectionRect.y1 = y;
}

void OnSelectionMouseMove(int x, int y) {
  RecorderState& r = Recorder();
  if (r.SelectionDragging != 1) return;
  platform::Canvas& canvas = *g_overlay->画板_画线背景;
  SelectionCorners& s = r.SelectionRect;
  s.x2 = x;
  s.y2 = y;
  canvas.Clear();  // the snapshot again, without the last rectangle and text
  // The corners as dragged: a drag up or to the left is drawn and recorded
  // the same way, unsorted.
  canvas.DrawRectangle(s.x1, s.y1, s.x2, s.y2);
  canvas.SetTextColour(r.BorderColor);
  canvas.WriteText(s.x2, s.y2, SelectionText(s.x2, s.y2));
  // Written whole: a capture tick may be reading it on the worker thread.
  r.CaptureRect.Set(platform::Rect{s.x1, s.y1, s.x2, s.y2});
}

// The last rectangle and its text stay on the screen, CaptureRect keeps the
// last copy.
void OnSelectionLeftUp() { Recorder().SelectionDragging = 0; }

// A drag ends with its overlay, whatever ends the overlay: Enter pressed
// with the button still held must not leave a press point behind that the
// next overlay would draw from before any press.
//
// The window object cannot go while it runs its own destruction: it is
// handed to a task that frees it once the GUI thread is back in its loop.
void OnOverlayDestroying() {
  Recorder().SelectionDragging = 0;
  std::shared_ptr<OverlayWindow> gone(std::move(g_overlay));
  platform::Current().PostToGuiThread([gone] {});
}

}  // namespace

OverlayWindow* Overlay() { return g_overlay.get(); }

void OpenOverlayWindow() {
  if (g_overlay) return;  // already open: MainWindow is disabled meanwhile anyway
  platform::Platform& p = platform::Current();

  // Shown when loaded; its background is never seen: the canvas covers it.
  const platform::WindowSpec options =
      CentredPopupOptions(kFormWidth, kFormHeight, true, platform::kDefaultColour);

  auto o = std::make_unique<OverlayWindow>();
  o->form = p.NewWindow(options);
  if (!o->form) return;

  platform::ControlSpec canvas_spec;
  canvas_spec.name = "画板_画线背景";
  canvas_spec.place = kCanvasPlace;
  o->画板_画线背景 = &o->form->AddCanvas(canvas_spec);
  platform::CanvasStyle style;
  style.backColour = kCanvasBackColour;
  style.penColour = kInitialInk;
  style.penWidth = 0;  // one pixel
  style.textColour = kInitialInk;
  style.keepsDrawing = false;  // drawing goes straight to the screen
  o->画板_画线背景->SetStyle(style);

  g_overlay = std::move(o);
  g_overlay->form->onSizeChanged = OnOverlaySizeChanged;
  g_overlay->form->onKeyDown = OnOverlayKeyDown;
  g_overlay->form->onCloseRequested = [] { return false; };  // only Enter closes
  g_overlay->form->onDestroying = OnOverlayDestroying;
  g_overlay->画板_画线背景->onLeftDown = OnSelectionLeftDown;
  g_overlay->画板_画线背景->onMouseMove = OnSelectionMouseMove;
  g_overlay->画板_画线背景->onLeftUp = OnSelectionLeftUp;
  OnOverlayCreated();

  // Shows the overlay and waits until Enter has destroyed it.
  p.RunDialog(*g_overlay->form, *Main().form);
  // The wait also ends when the program quits: the overlay goes then too.
  if (g_overlay) g_overlay->form->Destroy();
}

}  // namespace framelark
