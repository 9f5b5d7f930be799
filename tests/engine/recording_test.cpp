// Starting and stopping a recording: the target checks, the capture rate,
// the controls locked and unlocked, the hook and the timer.
#include <optional>

#include "tests/engine/recording_fixture.h"

namespace framelark::testing {
namespace {

using platform::Rect;

constexpr const char* kRecordingControls[] = {
    "图形按钮_开始", "图形按钮_保存", "单选框_全屏",     "单选框_区域",
    "单选框_窗口",   "选择框_水印",   "单选框_跟踪录制",
};

TEST_F(RecordingTest, CaptureRateFollowsTheRecordedArea) {
  // The screen is 800 x 600: 480 000 pixels, half of it 240 000.
  const struct Case {
    const char* what;
    Mode mode;
    Rect rect;
    int width, height, delay, interval;
  } cases[] = {
      {"the whole screen", Mode::FullScreen, {}, 800, 600, 50, 500},
      {"the screen's area in another shape", Mode::Region, {0, 0, 960, 500}, 960, 500, 50, 500},
      {"more than half", Mode::Region, {10, 10, 610, 510}, 600, 500, 40, 400},
      {"exactly half", Mode::Region, {0, 0, 400, 600}, 400, 600, 30, 300},
      {"less than half", Mode::Region, {100, 50, 500, 550}, 400, 500, 30, 300},
      {"larger than the screen", Mode::Region, {-100, -50, 900, 650}, 1000, 700, 40, 400},
      {"follow mode, small", Mode::Follow, {0, 0, 200, 100}, 200, 100, 30, 300},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Choose(c.mode, c.rect);
    Start();
    RecorderState& r = Recorder();
    EXPECT_EQ(r.Animation.Width(), c.width);
    EXPECT_EQ(r.Animation.Height(), c.height);
    EXPECT_EQ(r.FrameDelay, c.delay);
    EXPECT_EQ(r.TickInterval, c.interval);
    EXPECT_EQ(r.PendingDelay, c.delay);
    EXPECT_EQ(CaptureTimer().Period(), c.interval);
    EXPECT_EQ(FrameCanvas().Place(), (Rect{16, 75, 16 + c.width, 75 + c.height}));
    EXPECT_EQ(FrameCanvas().Pixels().width, c.width);
    EXPECT_TRUE(r.Writer.HasPicture());
    EXPECT_STREQ(r.Animation.comment, GifComment);
    Stop();
  }
}

TEST_F(RecordingTest, StartWithoutTargetIsRefusedAndChangesNothing) {
  const struct Case {
    const char* what;
    Mode mode;
    Rect rect;
    const char* status;
  } cases[] = {
      {"region never dragged", Mode::Region, {}, "请选择录制区域！"},
      {"follow mode, no size", Mode::Follow, {}, "请选择录制区域！"},
      {"no window picked", Mode::Window, {10, 10, 200, 200}, "请选择录制窗口！"},
      {"region without width", Mode::Region, {100, 100, 100, 300}, "请选择录制区域！"},
      {"region without height", Mode::Region, {100, 300, 400, 300}, "请选择录制区域！"},
      {"follow mode without width", Mode::Follow, {300, 100, 300, 200}, "请选择录制区域！"},
      {"region above the screen", Mode::Region, {100, -300, 400, -100}, "请选择录制区域！"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Choose(c.mode, c.rect);
    fake.ClearEnabledChanges();
    const std::size_t messages = fake.Messages().size();
    Start();
    EXPECT_EQ(Status(), c.status);
    ASSERT_EQ(fake.Messages().size(), messages + 1);
    EXPECT_EQ(fake.Messages().back().text, "请选择录制区域,点击十字图形进行选择！");
    EXPECT_EQ(fake.Messages().back().caption, "信息：");
    EXPECT_TRUE(fake.EnabledChanges().empty());
    EXPECT_EQ(CaptureTimer().Period(), 0);
    EXPECT_EQ(fake.InstalledHooks(), 0);
    EXPECT_FALSE(Recorder().Writer.HasPicture());
    EXPECT_EQ(Recorder().CaptureRect.Get(), c.rect);
  }
}

TEST_F(RecordingTest, RegionDraggedUpAndLeftIsRecordedAsTheRegion) {
  Paint(Rect{100, 50, 300, 250}, 0x2468AC);
  fake.SetCursorPos(platform::Point{700, 500});  // outside: no arrow in the frame
  Choose(Mode::Region, Rect{300, 250, 100, 50});
  Start();
  EXPECT_EQ(Recorder().CaptureRect.Get(), (Rect{100, 50, 300, 250}));
  EXPECT_EQ(Recorder().Animation.Width(), 200);
  EXPECT_EQ(Recorder().Animation.Height(), 200);
  Tick();
  const auto frames = Frames();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].picture.pixels, PixelImage(200, 200, 0x2468AC).pixels);
}

TEST_F(RecordingTest, StartLocksAndStopUnlocksTheControlsInOrder) {
  Choose(Mode::FullScreen);
  fake.ClearEnabledChanges();
  Start();
  std::vector<std::string> locked;
  for (const char* name : kRecordingControls) locked.push_back(std::string(name) + " 0");
  locked.push_back("图形按钮_停止 1");
  EXPECT_EQ(fake.EnabledChanges(), locked);
  EXPECT_EQ(Control<FakePictureBox>("图片框_准心").Picture(),
            fake.EmbeddedPicture("crosshair_recording.gif"));
  EXPECT_EQ(fake.InstalledHooks(), 1);
  EXPECT_NE(Recorder().MouseHook, 0);
  EXPECT_EQ(CaptureTimer().Period(), 500);
  Tick();
  ASSERT_EQ(Frames().size(), 1u);

  // What the user sees when the save dialog opens (or after the stop, while
  // saving shows no dialog).
  std::optional<std::string> status_when_saving;
  fake.onModalDialog = [&] {
    if (!status_when_saving) status_when_saving = Status();
  };
  fake.ClearEnabledChanges();
  const platform::NativeHandle hook = Recorder().MouseHook;
  Stop();
  std::vector<std::string> unlocked;
  for (const char* name : kRecordingControls) unlocked.push_back(std::string(name) + " 1");
  unlocked.push_back("图形按钮_停止 0");
  EXPECT_EQ(fake.EnabledChanges(), unlocked);
  EXPECT_EQ(status_when_saving.value_or(Status()), "录制完毕,请注意保存文件！");
  EXPECT_EQ(fake.SaveDialogs().size(), 1u);  // the stop hands over to saving
  EXPECT_EQ(Control<FakePictureBox>("图片框_准心").Picture(),
            fake.EmbeddedPicture("crosshair_idle.gif"));
  EXPECT_EQ(fake.InstalledHooks(), 0);
  EXPECT_EQ(Recorder().MouseHook, hook);  // the handle stays
  EXPECT_EQ(CaptureTimer().Period(), 0);
  EXPECT_EQ(Recorder().CaptureRect.Get(), (Rect{0, 0, 0, 0}));
  EXPECT_EQ(Recorder().LastCursorPos, (platform::Point{0, 0}));
  // The frames stay for the save button.
  EXPECT_EQ(Recorder().Writer.FrameCount(), 1);

  // No more ticks after the stop.
  fake.AdvanceClock(5000);
  EXPECT_EQ(Frames().size(), 1u);
}

TEST_F(RecordingTest, StopClearsTheTargetSoOnlyFullScreenStartsAgainAtOnce) {
  fake.ForeignWindows().push_back({0x5001, Rect{10, 10, 110, 110}});
  for (Mode mode : {Mode::Region, Mode::Follow, Mode::Window}) {
    Choose(mode, Rect{10, 10, 110, 110}, 0x5001);
    Start();
    ASSERT_EQ(CaptureTimer().Period(), 300);
    Stop();
    EXPECT_EQ(Recorder().PickedWindow.load(), 0);
    const std::size_t messages = fake.Messages().size();
    Start();  // the same mode again, without choosing a target
    EXPECT_EQ(fake.Messages().size(), messages + 1);
    EXPECT_EQ(CaptureTimer().Period(), 0);
  }
  Control<FakeRadioButton>("单选框_全屏").SetChecked(true);
  Start();
  EXPECT_EQ(CaptureTimer().Period(), 500);
  EXPECT_EQ(Recorder().CaptureRect.Get(), (Rect{0, 0, 800, 600}));
}

TEST_F(RecordingTest, SecondRecordingStartsAfreshWithTheWriterReset) {
  Choose(Mode::FullScreen);
  Start();
  ChangeScreen();
  Tick();
  ChangeScreen();
  Tick();
  Tick();
  Stop();
  ASSERT_EQ(Recorder().Writer.FrameCount(), 2);
  Choose(Mode::FullScreen);
  Start();
  EXPECT_EQ(Recorder().Writer.FrameCount(), 0);
  EXPECT_EQ(Recorder().FrameCount, 0);
  EXPECT_EQ(Recorder().PendingDelay, 50);
  EXPECT_TRUE(Recorder().LastFrameBytes.empty());
  Tick();  // the same screen as before: still the first frame of this recording
  EXPECT_EQ(Recorder().Writer.FrameCount(), 1);
  EXPECT_EQ(Status(), "[录制状态][F2]停止 [F3]暂停 [已录制1帧]");
}

// --- the mouse hook ---------------------------------------------------------

constexpr std::uintptr_t kLeftDown = 0x0201, kLeftUp = 0x0202, kLeftDouble = 0x0203;
constexpr std::uintptr_t kRightDown = 0x0204, kRightUp = 0x0205, kRightDouble = 0x0206;
constexpr std::uintptr_t kMove = 0x0200, kMiddleDown = 0x0207, kMiddleUp = 0x0208, kWheel = 0x020A;

TEST_F(RecordingTest, ClickCodeFollowsTheButtonsAndEveryEventIsPassedOn) {
  const struct Case {
    const char* what;
    std::vector<std::uintptr_t> messages;
    std::vector<int> codes;  // ClickCode after each message
  } cases[] = {
      {"left, right, right up, left up, right",
       {kLeftDown, kRightDown, kRightUp, kLeftUp, kRightDown, kRightUp},
       {1, 3, 3, 3, 2, 2}},
      {"right held, then left", {kRightDown, kLeftDown, kLeftUp, kRightUp}, {2, 3, 3, 3}},
      {"a double click as two presses", {kLeftDown, kLeftUp, kLeftDown, kLeftUp}, {1, 1, 1, 1}},
      {"double-click identifiers", {kLeftDouble, kRightDouble}, {4, 5}},
      {"moves, wheel and middle button", {kMove, kWheel, kMiddleDown, kMiddleUp}, {0, 0, 0, 0}},
  };
  Choose(Mode::FullScreen);
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Recorder().ClickCode = 0;
    std::vector<int> codes;
    for (std::uintptr_t message : c.messages) {
      EXPECT_EQ(fake.SendMouseMessage(message), 1);  // passed on
      codes.push_back(Recorder().ClickCode.load());
    }
    EXPECT_EQ(codes, c.codes);
    EXPECT_EQ(Recorder().LeftButtonDown, 0);
    EXPECT_EQ(Recorder().RightButtonDown, 0);
  }
  Stop();
  Recorder().ClickCode = 0;
  EXPECT_EQ(fake.SendMouseMessage(kLeftDown), 0);  // no hook once stopped
  EXPECT_EQ(Recorder().ClickCode.load(), 0);
}

TEST_F(RecordingTest, RefusedHookRecordsWithoutRings) {
  fake.RefuseMouseHook(true);
  Choose(Mode::FullScreen);
  Start();
  EXPECT_EQ(Recorder().MouseHook, 0);
  EXPECT_EQ(CaptureTimer().Period(), 500);
  fake.SendMouseMessage(kLeftDown);
  Tick();
  EXPECT_EQ(Frames().size(), 1u);
  EXPECT_TRUE(OpsOf(DrawOp::Ellipse).empty());
  Stop();
  EXPECT_EQ(CountCalls("RemoveMouseHook 0"), 1);
}

}  // namespace
}  // namespace framelark::testing
