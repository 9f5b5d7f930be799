#include "engine/recording.h"

#include <algorithm>
#include <memory>

#include "engine/capture_rate.h"
#include "engine/capture_tick.h"
#include "engine/mouse_hook.h"
#include "engine/recorder_state.h"
#include "platform/current.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "shell/status_texts.h"

namespace framelark {

namespace {

constexpr const char* kCrosshairIdlePicture = "crosshair_idle.gif";
constexpr const char* kCrosshairRecordingPicture = "crosshair_recording.gif";
constexpr const char* kCursorArrowPicture = "cursor_arrow.cur";

// GUI thread only. At most one worker exists: the timer is switched off
// before a worker starts, and its next event waits for that worker to end.
std::unique_ptr<platform::Thread> g_worker;
bool g_recording = false;
// Read by the worker; replaced only while no worker runs.
Bytes g_cursor_arrow;

void RefuseStart(const char* status) {
  Main().SetStatus(status);
  platform::Current().ShowMessage(kMessageNoTarget);
}

// The controls a recording locks, in the order they are locked and unlocked.
void SetRecordingControlsEnabled(MainWindow& w, bool enabled) {
  w.图形按钮_开始->SetEnabled(enabled);
  w.图形按钮_保存->SetEnabled(enabled);
  w.单选框_全屏->SetEnabled(enabled);
  w.单选框_区域->SetEnabled(enabled);
  w.单选框_窗口->SetEnabled(enabled);
  w.选择框_水印->SetEnabled(enabled);
  w.单选框_跟踪录制->SetEnabled(enabled);
  w.图形按钮_停止->SetEnabled(!w.图形按钮_开始->Enabled());
}

Rect Ordered(const Rect& rect) {
  return Rect{std::min(rect.left, rect.right), std::min(rect.top, rect.bottom),
              std::max(rect.left, rect.right), std::max(rect.top, rect.bottom)};
}

void JoinWorker() {
  if (!g_worker) return;
  g_worker->Join();
  g_worker.reset();
}

}  // namespace

void StartRecording() {
  RecorderState& r = Recorder();
  MainWindow& w = Main();
  platform::Platform& p = platform::Current();

  if (w.单选框_全屏->Checked()) {
    const platform::Size screen = p.ScreenSize();
    r.CaptureRect.Set(Rect{0, 0, screen.width, screen.height});
  }
  if (w.单选框_区域->Checked() || w.单选框_跟踪录制->Checked()) {
    // A region dragged up or to the left is the same region; one without
    // width or height is no region at all.
    const Rect region = Ordered(r.CaptureRect.Get());
    if (region.bottom <= 0 || region.Width() == 0 || region.Height() == 0) {
      RefuseStart(kStatusNoRegion);
      return;
    }
    r.CaptureRect.Set(region);
  } else if (w.单选框_窗口->Checked() && r.PickedWindow.load() <= 0) {
    RefuseStart(kStatusNoWindow);
    return;
  }

  GifReset(r.Writer);
  GifRelease(r.Writer);

  const Rect rect = r.CaptureRect.Get();
  r.Animation.SetWidth(rect.Width());
  r.Animation.SetHeight(rect.Height());

  const Rect place = w.画板_截图中转->Place();
  w.画板_截图中转->Move(Rect{place.left, place.top, place.left + r.Animation.Width(),
                             place.top + r.Animation.Height()});

  ChooseCaptureRate();

  r.Animation.flag = 1;
  r.Animation.comment = GifComment;
  GifBegin(r.Writer, r.Animation);

  r.FrameCount = 0;
  r.PendingDelay = r.FrameDelay;
  r.LastFrameBytes.clear();

  SetRecordingControlsEnabled(w, false);
  w.图片框_准心->SetPicture(p.EmbeddedPicture(kCrosshairRecordingPicture));

  r.MouseHook = p.InstallMouseHook(MouseHookProc);

  g_cursor_arrow = p.EmbeddedPicture(kCursorArrowPicture);
  NextRecordingGeneration();
  g_recording = true;
  w.时钟_截图->SetPeriod(r.TickInterval);
}

void StopRecording() {
  RecorderState& r = Recorder();
  MainWindow& w = Main();
  platform::Platform& p = platform::Current();

  w.SetStatus(kStatusRecordingFinished);
  w.图片框_准心->SetPicture(p.EmbeddedPicture(kCrosshairIdlePicture));
  r.PickedWindow.store(0);
  w.时钟_截图->SetPeriod(0);
  // A tick still running or waiting in pause learns here that the recording
  // is over and adds nothing more; once it has ended the writer is left to
  // the save.
  EndCaptureWorker();
  p.RemoveMouseHook(r.MouseHook);

  r.CaptureRect.Set(Rect{0, 0, 0, 0});
  r.PickedWindow.store(0);
  r.LastCursorPos = Point{0, 0};

  SetRecordingControlsEnabled(w, true);
  SaveRecording();
}

void OnCaptureTimer() {
  RecorderState& r = Recorder();
  MainWindow& w = Main();
  platform::Platform& p = platform::Current();

  // The timer stays off until the new tick is past its pause wait.
  w.时钟_截图->SetPeriod(0);
  if (!g_recording) return;
  // The previous tick may still be composing or encoding its frame (a
  // fraction of the period); it ends before the next one starts.
  JoinWorker();

  if (r.Paused.Get() != 0) w.SetStatus(PausedStatus(r.FrameCount));

  TickSnapshot tick;
  tick.recording = RecordingGeneration();
  tick.windowMode = w.单选框_窗口->Checked();
  tick.followMode = w.单选框_跟踪录制->Checked();
  tick.watermark = w.选择框_水印->Checked();
  if (tick.watermark) tick.watermarkText = r.WatermarkText.Get();
  tick.screen = p.ScreenSize();
  tick.frameWidth = r.Animation.Width();
  tick.frameHeight = r.Animation.Height();
  tick.frameDelay = r.FrameDelay;
  tick.tickInterval = r.TickInterval;
  tick.canvas = w.画板_截图中转;
  tick.cursorArrow = &g_cursor_arrow;
  g_worker = p.StartThread([tick] { CaptureTick(tick); });
}

void EndCaptureWorker() {
  g_recording = false;
  NextRecordingGeneration();
  if (RecorderExists()) Recorder().Paused.Wake();
  JoinWorker();
}

}  // namespace framelark
