#include "engine/capture_tick.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <random>
#include <utility>

#include "platform/current.h"
#include "shell/main_window.h"

namespace framelark {

namespace {

std::atomic<std::uint32_t> g_recording{0};
FrameSink g_frame_sink;

// The watermark's random places and colours; only the worker draws from it.
std::mt19937 g_random;
std::uint32_t g_reseeds = 0;

// Truncation toward zero of a double-precision value.
std::int32_t Truncate(double value) { return static_cast<std::int32_t>(value); }

// Both bounds inclusive; a bound below 0 counts as 0, reversed bounds are
// swapped.
std::int32_t RandomBetween(std::int32_t low, std::int32_t high) {
  low = std::max(low, 0);
  high = std::max(high, 0);
  if (low > high) std::swap(low, high);
  return std::uniform_int_distribution<std::int32_t>(low, high)(g_random);
}

// A fresh seed from the clock at every new watermark place. The count keeps
// two places drawn within one tick of a coarse clock apart.
void ReseedFromClock() {
  const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
  std::seed_seq seed{static_cast<std::uint32_t>(now), static_cast<std::uint32_t>(now >> 32),
                     ++g_reseeds};
  g_random.seed(seed);
}

// The watermark moves and takes a new colour on the 1st, 8th, 15th, ...
// watermarked frame and stays put on the six frames between.
void AdvanceWatermarkCycle(const TickSnapshot& tick) {
  RecorderState& r = Recorder();
  if (r.WatermarkCycle >= 6) {
    r.WatermarkCycle = 0;
  } else if (r.WatermarkCycle == 0) {
    ReseedFromClock();
    r.WatermarkPos.x = RandomBetween(1, tick.frameWidth);
    r.WatermarkPos.y = RandomBetween(1, tick.frameHeight);
    const std::int32_t red = RandomBetween(0, 255);
    const std::int32_t green = RandomBetween(0, 255);
    const std::int32_t blue = RandomBetween(0, 255);
    tick.canvas->SetTextColour(static_cast<Colour>(red | green << 8 | blue << 16));
    r.WatermarkCycle = 1;
  } else {
    ++r.WatermarkCycle;
  }
}

Colour RingColour(std::uint8_t click_code) {
  switch (click_code) {
    case 1:
      return 0x0000FF;  // left press: red
    case 2:
      return 0x00FFFF;  // right press: yellow
    case 3:
      return 0xFFFFFF;  // a press while the other button is held: white
    case 4:
      return 0x00FF00;  // left double click: green
    case 5:
      return 0xFF0000;  // right double click: blue
    default:
      return kFrameCanvasPenColour;
  }
}

// Two rings around the arrow's tip at (dx, dy) in canvas coordinates, inner
// first.
void DrawClickRings(platform::Canvas& canvas, std::int32_t dx, std::int32_t dy) {
  canvas.DrawEllipse(dx - 9, dy - 8, dx + 11, dy + 12);
  canvas.DrawEllipse(dx - 19, dy - 18, dx + 21, dy + 22);
}

Rect Ordered(const Rect& rect) {
  return Rect{std::min(rect.left, rect.right), std::min(rect.top, rect.bottom),
              std::max(rect.left, rect.right), std::max(rect.top, rect.bottom)};
}

// Hands the next timer event back to the GUI thread; a recording that ended
// meanwhile keeps its timer off.
void RearmCaptureTimer(const TickSnapshot& tick) {
  const std::uint32_t recording = tick.recording;
  const std::int32_t interval = tick.tickInterval;
  platform::Current().PostToGuiThread([recording, interval] {
    if (!IsCurrentRecording(recording) || !MainWindowExists()) return;
    Main().时钟_截图->SetPeriod(interval);
  });
}

void ShowStatus(std::uint32_t recording, std::string text) {
  platform::Current().PostToGuiThread([recording, text = std::move(text)] {
    if (!IsCurrentRecording(recording) || !MainWindowExists()) return;
    Main().SetStatus(text);
  });
}

void AddFrame(const FrameInfo& frame, const Bytes& picture) {
  GifAddFrame(Recorder().Writer, frame, 0, picture);
  if (g_frame_sink) g_frame_sink(frame, picture);
}

// Steps (a) to (j) of a changed tick: compose the frame on the canvas and
// hand it to the writer, unless the recording ended meanwhile.
void ComposeAndAddFrame(const TickSnapshot& tick, const Rect& rect, Point cursor, Bytes grab) {
  RecorderState& r = Recorder();
  platform::Canvas& canvas = *tick.canvas;

  // More waiting than one frame's 16-bit delay can carry: the previous frame,
  // still on the canvas, is handed again with the longest delay until the
  // rest fits, so no recorded time is lost.
  Bytes previous_frame;
  if (r.PendingDelay > kMaxFrameDelay) previous_frame = canvas.Picture();

  // A rectangle cut at the screen's left or top edge is drawn where the cut
  // part belongs, so the arrow and the rings land on what they point at.
  const std::int32_t cut_left = std::max(0, -rect.left);
  const std::int32_t cut_top = std::max(0, -rect.top);
  canvas.DrawPicture(cut_left, cut_top, grab);
  r.LastFrameBytes = std::move(grab);
  r.LastCursorPos = cursor;

  if (tick.watermark) {
    AdvanceWatermarkCycle(tick);
    canvas.WriteText(r.WatermarkPos.x, r.WatermarkPos.y, tick.watermarkText);
  }

  const std::int32_t dx = cursor.x - rect.left;
  const std::int32_t dy = cursor.y - rect.top;
  // Read and cleared in one step: a click that lands meanwhile stays for the
  // next frame.
  const std::uint8_t click_code = r.ClickCode.exchange(0);
  if (click_code != 0) {
    canvas.SetPenColour(RingColour(click_code));
    DrawClickRings(canvas, dx, dy);
  }

  if (tick.cursorArrow != nullptr) canvas.DrawPicture(dx - 2, dy - 4, *tick.cursorArrow);

  const Bytes frame = canvas.Picture();

  if (!IsCurrentRecording(tick.recording)) return;
  std::int32_t delay = r.PendingDelay;
  while (delay > kMaxFrameDelay) {
    r.Frame.SetDelay(kMaxFrameDelay);
    AddFrame(r.Frame, previous_frame.empty() ? frame : previous_frame);
    delay -= kMaxFrameDelay;
  }
  r.Frame.SetDelay(delay);
  AddFrame(r.Frame, frame);
  r.PendingDelay = tick.frameDelay;
  ++r.FrameCount;
  ShowStatus(tick.recording, RecordingStatus(r.FrameCount));
}

}  // namespace

std::uint32_t RecordingGeneration() { return g_recording.load(); }
void NextRecordingGeneration() { g_recording.fetch_add(1); }
bool IsCurrentRecording(std::uint32_t recording) { return g_recording.load() == recording; }

void SetFrameSinkForTests(FrameSink sink) { g_frame_sink = std::move(sink); }

Rect FollowModeRect(Point cursor, std::int32_t width, std::int32_t height, platform::Size screen) {
  const double half_width = width / 2.0;
  const double half_height = height / 2.0;
  Rect rect{Truncate(cursor.x - half_width), Truncate(cursor.y - half_height),
            Truncate(cursor.x + half_width), Truncate(cursor.y + half_height)};
  if (rect.left < 0) {
    rect.left = 0;
    rect.right = width;
  }
  if (rect.left + width > screen.width) {
    rect.left = screen.width - width;
    rect.right = screen.width;
  }
  if (rect.top < 0) {
    rect.top = 0;
    rect.bottom = height;
  }
  if (rect.top + height > screen.height) {
    rect.top = screen.height - height;
    rect.bottom = screen.height;
  }
  return rect;
}

void CaptureTick(const TickSnapshot& tick) {
  RecorderState& r = Recorder();
  platform::Platform& p = platform::Current();

  // Held here while paused; a stop or the program's end releases the wait
  // too, and then the tick leaves without touching anything.
  r.Paused.WaitWhilePaused([&] { return !IsCurrentRecording(tick.recording); });
  if (!IsCurrentRecording(tick.recording)) return;

  // The next period starts now rather than after the frame is composed and
  // encoded, so that every period lasts TickInterval and the delays add up
  // to the time recorded. The next timer event waits for this worker before
  // it starts another (OnCaptureTimer), so ticks still never overlap.
  RearmCaptureTimer(tick);

  Rect rect = r.CaptureRect.Get();
  const NativeHandle window = r.PickedWindow.load();
  if (tick.windowMode && window > 0) {
    // A window that is gone leaves the rectangle where it was.
    if (p.WindowRect(window, &rect)) r.CaptureRect.Set(rect);
  }

  const Point cursor = p.CursorPos();

  if (tick.followMode) {
    rect = FollowModeRect(cursor, tick.frameWidth, tick.frameHeight, tick.screen);
    r.CaptureRect.Set(rect);
  }

  // A region the user re-drags up or to the left while recording is still
  // the region.
  rect = Ordered(rect);
  Bytes grab = p.GrabScreen(rect);
  if (grab.empty()) return;

  // Lengths first, then the bytes, then the mouse.
  const bool changed = grab != r.LastFrameBytes || cursor != r.LastCursorPos;
  if (changed) {
    ComposeAndAddFrame(tick, rect, cursor, std::move(grab));
  } else {
    r.PendingDelay += tick.frameDelay;
  }
}

}  // namespace framelark
