// The capture tick: one screen grab of the capture rectangle and, when the
// picture or the mouse moved since the last frame, one composed frame handed
// to the GIF writer. It runs on a worker thread started for each event of the
// capture timer (OnCaptureTimer in recording.cpp).
//
// The worker touches no control but the hidden frame canvas. What belongs to
// the GUI thread is read there before the worker starts (TickSnapshot) or
// handed back with PostToGuiThread: the status line and the re-arming of the
// capture timer. The timer is re-armed as soon as the pause wait is over, so
// the capture period does not grow by the time a frame takes to compose and
// encode; the next timer event waits for the previous worker to end.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/recorder_state.h"
#include "platform/platform.h"
#include "shell/status_texts.h"

namespace framelark {

// What a tick needs from the GUI thread, read when the timer fired.
struct TickSnapshot {
  std::uint32_t recording = 0;  // RecordingGeneration() when the tick started
  bool windowMode = false;      // 单选框_窗口 checked
  bool followMode = false;      // 单选框_跟踪录制 checked
  bool watermark = false;       // 选择框_水印 checked
  std::string watermarkText;
  platform::Size screen;
  std::int32_t frameWidth = 0;  // AnimationInfo width and height
  std::int32_t frameHeight = 0;
  std::int32_t frameDelay = 0;
  std::int32_t tickInterval = 0;
  platform::Canvas* canvas = nullptr;  // 画板_截图中转
  const Bytes* cursorArrow = nullptr;  // loaded once per recording
};

// Runs one tick (after the timer was switched off on the GUI thread).
void CaptureTick(const TickSnapshot& tick);

// Every recording gets its own number, and so does the end of one: a tick
// compares the number it started with before it adds a frame or hands
// anything back to the GUI thread, so a stopped recording stays stopped.
std::uint32_t RecordingGeneration();
void NextRecordingGeneration();
bool IsCurrentRecording(std::uint32_t recording);

// Follow mode: a rectangle of the frame's size centred on the cursor and
// pushed back inside the screen.
Rect FollowModeRect(Point cursor, std::int32_t width, std::int32_t height, platform::Size screen);

// The largest delay one frame can carry (16 bits).
inline constexpr std::int32_t kMaxFrameDelay = 65535;

// Tests observe every frame handed to the writer, with its record, on the
// worker thread right after GifAddFrame. An empty function removes the sink.
using FrameSink = std::function<void(const FrameInfo& frame, const Bytes& picture)>;
void SetFrameSinkForTests(FrameSink sink);

}  // namespace framelark
