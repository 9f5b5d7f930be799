// The whole program on the fake backend, with what the recorder's tests
// need: a painted screen, the capture mode and target chosen as the mode
// buttons and the selection windows leave them, the clock moved one capture
// period at a time, and every frame handed to the writer kept.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/capture_tick.h"
#include "engine/recorder_state.h"
#include "engine/recording.h"
#include "gif/bitmap_file.h"
#include "platform/fake/fake_platform.h"
#include "tests/support/program_fixture.h"

namespace framelark::testing {

using platform::fake::DrawOp;
using platform::fake::FakeCanvas;
using platform::fake::FakeCheckBox;
using platform::fake::FakeLabel;
using platform::fake::FakePictureBox;
using platform::fake::FakePictureButton;
using platform::fake::FakeRadioButton;
using platform::fake::ThreadMode;

// The arrow drawn into the frames in these tests: a 3 x 5 block whose
// bottom-right pixel is the tip (2, 4), so the tip lands on the mouse.
inline constexpr std::uint32_t kArrowPixel = 0xFF00FF;
// Grey where nothing was drawn yet (the frame canvas's background).
inline constexpr std::uint32_t kCanvasGrey = 0x606060;

inline Bytes ArrowPicture() { return WriteBitmapFile(PixelImage(3, 5, kArrowPixel)); }

struct SunkFrame {
  int delay = 0;
  PixelImage picture;
};

enum class Mode { FullScreen, Window, Region, Follow };

class RecordingTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    fake.SetScreenSize(800, 600, 0x101010);
    fake.SetEmbeddedPicture("cursor_arrow.cur", ArrowPicture());
    SetFrameSinkForTests([this](const FrameInfo& frame, const Bytes& picture) {
      std::lock_guard<std::mutex> lock(frames_mutex_);
      frames_.push_back(SunkFrame{frame.Delay(), *ReadBitmapFile(picture)});
    });
    StartProgram();
    fake.SetCursorPos(platform::Point{5, 5});
  }

  void TearDown() override {
    ProgramTest::TearDown();
    SetFrameSinkForTests({});
  }

  // The mode as its radio button leaves it, and the target as the selection
  // windows leave it (CaptureRect, PickedWindow).
  void Choose(Mode mode, platform::Rect rect = {}, platform::NativeHandle window = 0) {
    const char* names[] = {"单选框_全屏", "单选框_窗口", "单选框_区域", "单选框_跟踪录制"};
    Control<FakeRadioButton>(names[static_cast<int>(mode)]).SetChecked(true);
    Recorder().CaptureRect.Set(rect);
    Recorder().PickedWindow.store(window);
  }

  void Start() { Control<FakePictureButton>("图形按钮_开始").Click(); }
  void Stop() { Control<FakePictureButton>("图形按钮_停止").Click(); }

  // One capture period: the timer's next event and what it hands back.
  void Tick() { fake.AdvanceClock(Recorder().TickInterval); }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) Tick();
  }

  void Paint(platform::Rect r, std::uint32_t pixel) {
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, fake.Screen().height); ++y) {
      for (int x = std::max(r.left, 0); x < std::min(r.right, fake.Screen().width); ++x) {
        fake.Screen().At(x, y) = pixel;
      }
    }
  }
  // Something on the screen changes.
  void ChangeScreen() {
    static std::uint32_t pixel = 0x000100;
    pixel += 0x000100;
    Paint(platform::Rect{0, 0, 800, 600}, pixel);
  }

  FakeCanvas& FrameCanvas() { return Control<FakeCanvas>("画板_截图中转"); }
  platform::fake::FakeTimer& CaptureTimer() { return *Form().FindTimer("时钟_截图"); }
  std::string Status() { return Control<FakeLabel>("标签_信息提示").Text(); }

  std::vector<SunkFrame> Frames() {
    std::lock_guard<std::mutex> lock(frames_mutex_);
    return frames_;
  }
  std::vector<int> Delays() {
    std::vector<int> delays;
    for (const SunkFrame& f : Frames()) delays.push_back(f.delay);
    return delays;
  }
  std::vector<DrawOp> OpsOf(DrawOp::Kind kind) {
    std::vector<DrawOp> ops;
    for (const DrawOp& op : FrameCanvas().Ops()) {
      if (op.kind == kind) ops.push_back(op);
    }
    return ops;
  }

  // Real threads: runs what the worker hands back until `done` holds.
  bool RunUntil(const std::function<bool()>& done, int timeout_ms = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      fake.WaitAndRunPending(10);
    }
    return true;
  }

 private:
  std::mutex frames_mutex_;
  std::vector<SunkFrame> frames_;
};

}  // namespace framelark::testing
