// The capture worker on a real thread beside the GUI thread: pause and
// resume, a stop or a close while a tick waits or composes, and clicks that
// land while ticks run. Run under ThreadSanitizer too.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "engine/mouse_hook.h"
#include "tests/engine/recording_fixture.h"

namespace framelark::testing {
namespace {

using namespace std::chrono_literals;
using platform::Point;
using platform::Rect;

// Holds the worker at one point until the test lets it go.
class Gate {
 public:
  // On the worker: says it is here and waits to be let through.
  void Arrive() {
    std::unique_lock<std::mutex> lock(mutex_);
    reached_ = true;
    changed_.notify_all();
    changed_.wait_for(lock, 10s, [&] { return open_; });
    passed_ = true;
  }
  bool WaitReached() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, 10s, [&] { return reached_; });
  }
  bool Reached() {
    std::lock_guard<std::mutex> lock(mutex_);
    return reached_;
  }
  bool Passed() {
    std::lock_guard<std::mutex> lock(mutex_);
    return passed_;
  }
  void Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool reached_ = false;
  bool open_ = false;
  bool passed_ = false;
};

constexpr unsigned kF2 = 0x71, kF3 = 0x72;

class CaptureWorkerTest : public RecordingTest {
 protected:
  void SetUp() override {
    RecordingTest::SetUp();
    fake.SetThreadMode(ThreadMode::Real);
  }

  // The tick has ended and the timer runs again.
  bool TickHandedBack() {
    return RunUntil([&] {
      return fake.ThreadsFinished() == fake.ThreadsStarted() &&
             CaptureTimer().Period() == Recorder().TickInterval;
    });
  }

  // The worker is held at the canvas call `call` of the next composed frame.
  void HoldWorkerAt(const std::string& call) {
    FrameCanvas().onCall = [this, call](const std::string& c) {
      if (c == call && !gate_.Reached()) gate_.Arrive();
    };
  }
  // Lets the held worker go a little later, from another thread: the GUI
  // thread is then busy stopping or closing.
  void OpenGateSoon() {
    opener_ = std::thread([this] {
      std::this_thread::sleep_for(100ms);
      gate_.Open();
    });
  }
  void TearDown() override {
    if (opener_.joinable()) opener_.join();
    RecordingTest::TearDown();
  }

  // What the program does once its message loop has ended.
  void EndProgram() {
    UnloadMainWindow();
    FreeRecorderState();
  }

  Gate gate_;
  std::thread opener_;
};

TEST_F(CaptureWorkerTest, RecordingStartedWhilePausedBeginsWhenResumed) {
  ASSERT_TRUE(fake.PressHotKey(kF3));
  ASSERT_EQ(Recorder().Paused.Get(), 1);
  Choose(Mode::Region, Rect{200, 200, 300, 300});
  Start();
  Tick();
  EXPECT_EQ(Status(), "[暂停状态][F2]停止 [F3]继续 [已录制0帧]");
  EXPECT_EQ(CaptureTimer().Period(), 0);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(fake.Grabs(), 0);

  fake.PressHotKey(kF3);
  ASSERT_TRUE(TickHandedBack());
  EXPECT_EQ(Delays(), (std::vector<int>{30}));
  EXPECT_EQ(Status(), "[录制状态][F2]停止 [F3]暂停 [已录制1帧]");

  // Paused again in the middle: the wait adds no time to the next delay.
  fake.PressHotKey(kF3);
  Tick();
  EXPECT_EQ(Status(), "[暂停状态][F2]停止 [F3]继续 [已录制1帧]");
  std::this_thread::sleep_for(50ms);
  fake.PressHotKey(kF3);
  ASSERT_TRUE(TickHandedBack());
  ChangeScreen();
  Tick();
  ASSERT_TRUE(TickHandedBack());
  EXPECT_EQ(Delays(), (std::vector<int>{30, 60}));
  EXPECT_EQ(fake.ThreadsStarted(), 3);
}

TEST_F(CaptureWorkerTest, StopWhileATickWaitsInPauseEndsIt) {
  Recorder().Paused.Set(1);
  Choose(Mode::FullScreen);
  Start();
  Tick();
  std::this_thread::sleep_for(20ms);
  fake.PressHotKey(kF2);  // returns: the waiting tick is woken and ended
  EXPECT_TRUE(Control<FakePictureButton>("图形按钮_开始").Enabled());
  fake.RunPending();
  fake.AdvanceClock(3000);
  EXPECT_EQ(fake.Grabs(), 0);
  EXPECT_TRUE(Frames().empty());
  EXPECT_EQ(CaptureTimer().Period(), 0);
  EXPECT_EQ(fake.ThreadsStarted(), 1);
  EXPECT_EQ(Recorder().Paused.Get(), 1);  // the next recording starts paused too
}

TEST_F(CaptureWorkerTest, CloseWhileATickWaitsInPauseEndsItBeforeAnythingIsReleased) {
  Recorder().Paused.Set(1);
  Choose(Mode::FullScreen);
  Start();
  Tick();
  std::this_thread::sleep_for(20ms);
  Form().Destroy();
  fake.RunPending();
  EXPECT_FALSE(Recorder().Writer.HasPicture());
  EXPECT_EQ(fake.InstalledHooks(), 0);
  EndProgram();
  fake.RunPending();
  EXPECT_EQ(fake.Grabs(), 0);
  EXPECT_TRUE(Frames().empty());
}

TEST_F(CaptureWorkerTest, StopWhileATickComposesAddsNoFrameAfterIt) {
  Choose(Mode::Region, Rect{200, 200, 300, 300});
  Start();
  Tick();
  ASSERT_TRUE(TickHandedBack());
  std::optional<std::string> status_when_saving;
  fake.onModalDialog = [&] {
    if (!status_when_saving) status_when_saving = Status();
  };

  HoldWorkerAt("Picture");
  ChangeScreen();
  Tick();
  ASSERT_TRUE(gate_.WaitReached());
  OpenGateSoon();
  Stop();
  EXPECT_TRUE(gate_.Passed());  // the stop waited for the tick
  FrameCanvas().onCall = nullptr;
  fake.RunPending();
  fake.AdvanceClock(3000);

  EXPECT_EQ(Frames().size(), 1u);
  EXPECT_EQ(Recorder().Writer.FrameCount(), 1);
  EXPECT_EQ(CaptureTimer().Period(), 0);
  EXPECT_EQ(status_when_saving.value_or(Status()), "录制完毕,请注意保存文件！");
}

TEST_F(CaptureWorkerTest, CloseWhileATickComposesWaitsForItBeforeReleasing) {
  Choose(Mode::Region, Rect{200, 200, 300, 300});
  Start();
  Tick();
  ASSERT_TRUE(TickHandedBack());
  HoldWorkerAt("Picture");
  ChangeScreen();
  Tick();
  ASSERT_TRUE(gate_.WaitReached());
  OpenGateSoon();
  Form().Destroy();
  fake.RunPending();
  EXPECT_TRUE(gate_.Passed());
  EXPECT_FALSE(Recorder().Writer.HasPicture());
  EXPECT_EQ(Frames().size(), 1u);
  EndProgram();
  fake.RunPending();  // what the tick handed back finds the program gone
}

TEST_F(CaptureWorkerTest, ClicksWhileTicksRunAllShowInAFrame) {
  constexpr std::uintptr_t kDown[] = {0x0201, 0x0204}, kUp[] = {0x0202, 0x0205};
  Choose(Mode::Region, Rect{0, 0, 160, 120});
  fake.SetCursorPos(Point{100, 80});
  Start();
  Tick();
  ASSERT_TRUE(TickHandedBack());

  constexpr int kTicks = 40;
  std::vector<bool> rings;
  for (int i = 0; i <= kTicks; ++i) {
    FrameCanvas().ClearOps();
    fake.SetCursorPos(Point{100 + (i % 2 == 0 ? 1 : -1), 80});
    Tick();
    if (i < kTicks) {  // a click while the worker composes
      fake.SendMouseMessage(kDown[i % 2]);
      fake.SendMouseMessage(kUp[i % 2]);
    }
    ASSERT_TRUE(TickHandedBack());
    rings.push_back(!OpsOf(DrawOp::Ellipse).empty());
  }
  // Each click shows in the frame it landed in or in the next one.
  for (int i = 0; i < kTicks; ++i) EXPECT_TRUE(rings[i] || rings[i + 1]) << i;
  EXPECT_EQ(Recorder().ClickCode.load(), 0);
  EXPECT_EQ(static_cast<int>(Frames().size()), kTicks + 2);
}

}  // namespace
}  // namespace framelark::testing
