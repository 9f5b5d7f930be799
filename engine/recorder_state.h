// The recorder's one process-wide set of values: what is captured, the GIF
// writer and its two records, frame timing, the pause flag, the click
// indicator, the watermark and the rectangle dragged in the region overlay.
//
// Two threads share it: the GUI thread (every handler, the mouse hook, the
// hot keys) and the capture worker. The values that cross between them are
// Paused, ClickCode, CaptureRect, PickedWindow and WatermarkText; each of
// them is an atomic or guarded here. Everything else belongs to one thread
// at a time.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "gif/gif_writer.h"
#include "platform/platform.h"

namespace framelark {

using platform::Colour;
using platform::NativeHandle;
using platform::Point;
using platform::Rect;

// A rectangle shared between threads, always read and written whole.
class SharedRect {
 public:
  Rect Get() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return rect_;
  }
  void Set(const Rect& rect) {
    std::lock_guard<std::mutex> lock(mutex_);
    rect_ = rect;
  }

 private:
  mutable std::mutex mutex_;
  Rect rect_;
};

// A text shared between threads.
class SharedText {
 public:
  std::string Get() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return text_;
  }
  void Set(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    text_ = text;
  }

 private:
  mutable std::mutex mutex_;
  std::string text_;
};

// The pause flag. The capture worker sleeps on it while it is 1 and wakes as
// soon as it changes, without polling.
class PauseFlag {
 public:
  std::int32_t Get() const { return value_.load(); }
  void Set(std::int32_t value) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      value_.store(value);
    }
    changed_.notify_all();
  }
  // Wakes every waiter so that it can look at its own stop condition.
  void Wake() {
    { std::lock_guard<std::mutex> lock(mutex_); }
    changed_.notify_all();
  }
  // Waits while the flag is 1 and `stop()` is false. Returns the flag's value.
  std::int32_t WaitWhilePaused(const std::function<bool()>& stop) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return value_.load() != 1 || stop(); });
    return value_.load();
  }

 private:
  std::atomic<std::int32_t> value_{0};
  std::mutex mutex_;
  std::condition_variable changed_;
};

struct SelectionCorners {
  std::int32_t x1 = 0;
  std::int32_t y1 = 0;
  std::int32_t x2 = 0;
  std::int32_t y2 = 0;
};

struct RecorderState {
  // --- plain values
  std::atomic<NativeHandle> PickedWindow{0};  // window picked in window mode; 0 = none
  NativeHandle MouseHook = 0;
  std::int32_t StartHotkeyId = 0;
  std::int32_t PauseHotkeyId = 0;
  PauseFlag Paused;               // 0 or 1
  std::int32_t FrameDelay = 0;    // hundredths of a second per capture period
  std::int32_t TickInterval = 0;  // capture timer period, milliseconds
  std::int32_t FrameCount = 0;
  std::int32_t PendingDelay = 0;  // hundredths, handed with the next frame
  Bytes LastFrameBytes;
  std::atomic<std::uint8_t> ClickCode{0};  // 0 to 5
  std::int32_t LeftButtonDown = 0;
  std::int32_t RightButtonDown = 0;
  Colour BorderColor = 0;
  SharedText WatermarkText;
  std::int32_t WatermarkCycle = 0;
  std::int32_t SelectionDragging = 0;

  // --- records
  SharedRect CaptureRect;
  Point LastCursorPos;
  Point WatermarkPos;
  SelectionCorners SelectionRect;
  GifMaker Writer;  // the recorder's one GifMaker
  AnimationInfo Animation;
  FrameInfo Frame;
};

// The comment every recording carries.
extern const char* const GifComment;

// Creates the recorder state: every value 0 or empty, the AnimationInfo flag
// 1 and the FrameInfo delay 60.
void InitRecorderState();
// Releases it; calls no writer operation.
void FreeRecorderState();
// The state between InitRecorderState and FreeRecorderState.
RecorderState& Recorder();
bool RecorderExists();

}  // namespace framelark
