#include <gtest/gtest.h>

#include "engine/recorder_state.h"
#include "shell/main_window.h"
#include "shell/program.h"
#include "tests/support/program_fixture.h"

namespace framelark::testing {
namespace {

using platform::fake::FakeColourPicker;
using platform::fake::FakeLabel;
using platform::fake::FakePictureButton;

class StartupTest : public ProgramTest {};

TEST_F(StartupTest, StartsInOrderAndEndsWithExitCodeZero) {
  std::vector<std::string> seen_in_loop;
  fake.onMessageLoop = [&] {
    // Inside the loop the recorder exists, the window is shown and the
    // created event has run.
    ASSERT_TRUE(RecorderExists());
    EXPECT_TRUE(Form().Visible());
    seen_in_loop = fake.Calls();
    Control<FakePictureButton>("图形按钮_关闭").Click();
  };

  EXPECT_EQ(RunProgram(), 0);

  const std::vector<std::string> expected = {
      "EnterProgramFolder",
      "RegisterExitRoutine",
      "NewWindow [Quellor] Framelark",
      "RegisterSystemHotKey 33001 113",
      "RegisterSystemHotKey 33002 114",
      "ShowStartWindow",
      "RunMessageLoop",
  };
  EXPECT_EQ(seen_in_loop, expected);

  // The backend runs the exit routine after RunProgram: it frees the state.
  ASSERT_EQ(fake.ExitRoutine(), &FreeRecorderState);
  fake.ExitRoutine()();
  EXPECT_FALSE(RecorderExists());
}

TEST_F(StartupTest, CreatedEventSetsBorderColourHotKeysAndWelcomeText) {
  StartProgram();
  EXPECT_EQ(Recorder().BorderColor, 255u);
  EXPECT_EQ(Control<FakeColourPicker>("颜色选择器_边框颜色").GetColour(), 255u);
  EXPECT_EQ(Recorder().StartHotkeyId, 33001);
  EXPECT_EQ(Recorder().PauseHotkeyId, 33002);
  EXPECT_EQ(Control<FakeLabel>("标签_信息提示").Text(), "[F2]开始/停止  [F3]暂停/继续");
}

TEST_F(StartupTest, RefusedF2GetsIdZeroAndF3StillGetsTheNextId) {
  fake.HoldKeyElsewhere(113);
  StartProgram();
  EXPECT_EQ(Recorder().StartHotkeyId, 0);
  EXPECT_EQ(Recorder().PauseHotkeyId, 33002);
  EXPECT_EQ(Control<FakeLabel>("标签_信息提示").Text(), kWelcomeStatus);
  EXPECT_TRUE(fake.HotKeyRegistered(114));
}

TEST_F(StartupTest, WindowIsFramelessAndCentredByIntegerDivision) {
  struct Case {
    int screen_width, screen_height, left, top;
  };
  const Case cases[] = {
      {1280, 800, 474, 316},
      {1920, 1080, 794, 456},
      {1366, 768, 517, 300},
      {300, 100, -16, -33},  // narrower than the window: negative, truncated toward zero
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.screen_width);
    fake.SetScreenSize(c.screen_width, c.screen_height);
    StartProgram();
    const platform::Rect place = Form().Place();
    EXPECT_EQ(place, (platform::Rect{c.left, c.top, c.left + 332, c.top + 167}));
    EXPECT_TRUE(Form().Options().frameless);
    EXPECT_TRUE(Form().Options().taskbar);
    EXPECT_FALSE(Form().Options().topmost);
    EXPECT_EQ(Form().Options().title, "[Quellor] Framelark");
    TearDown();
    SetUp();
  }
}

class ShutdownTest : public ProgramTest {
 protected:
  int ShutdownSteps() {
    return CountCalls("UnregisterSystemHotKey 33002") + CountCalls("UnregisterSystemHotKey 33001");
  }
};

TEST_F(ShutdownTest, CloseButtonRunsShutdownOnceInOrder) {
  StartProgram();
  Main().时钟_截图->SetPeriod(300);
  Main().时钟_闪烁->SetPeriod(300);
  fake.ClearCalls();

  Control<FakePictureButton>("图形按钮_关闭").Click();
  EXPECT_TRUE(Form().Loaded()) << "destruction waits for the message loop";
  fake.RunPending();
  EXPECT_FALSE(Form().Loaded());

  const std::vector<std::string> expected = {
      "SetPeriod 时钟_闪烁 0",        "SetPeriod 时钟_截图 0",        "RemoveMouseHook 0",
      "UnregisterSystemHotKey 33002", "UnregisterSystemHotKey 33001",
  };
  EXPECT_EQ(fake.Calls(), expected);
  EXPECT_FALSE(fake.HotKeyRegistered(113));
  EXPECT_FALSE(fake.HotKeyRegistered(114));
  EXPECT_FALSE(Recorder().Writer.HasPicture());
}

TEST_F(ShutdownTest, CloseRequestFromOutsideRunsShutdownTwiceHarmlessly) {
  StartProgram();
  fake.ClearCalls();
  EXPECT_TRUE(Form().RequestClose());
  EXPECT_FALSE(Form().Loaded());
  // Shutdown ran twice (the hook removal is tried twice); the second run's
  // key releases are refused by the hot-key service before the system.
  EXPECT_EQ(CountCalls("RemoveMouseHook 0"), 2);
  EXPECT_EQ(CountCalls("UnregisterSystemHotKey 33002"), 1);
  EXPECT_EQ(CountCalls("UnregisterSystemHotKey 33001"), 1);
  EXPECT_FALSE(fake.HotKeyRegistered(113));
  EXPECT_EQ(fake.LoadedWindows(), 0);
}

TEST_F(ShutdownTest, ShutdownDropsTheWritersPictureAndStopsEveryTimer) {
  StartProgram();
  AnimationInfo info;
  info.SetWidth(10);
  info.SetHeight(10);
  GifBegin(Recorder().Writer, info);
  Main().时钟_截图->SetPeriod(500);
  Main().时钟_检测鼠标->SetPeriod(100);

  ShutdownRecorder();
  ShutdownRecorder();  // the second run changes nothing

  EXPECT_FALSE(Recorder().Writer.HasPicture());
  EXPECT_EQ(Main().时钟_截图->Period(), 0);
  EXPECT_EQ(Main().时钟_闪烁->Period(), 0);
  EXPECT_EQ(Main().时钟_检测鼠标->Period(), 0);
}

TEST_F(ShutdownTest, ProgramEndsWithZeroAfterAltF4) {
  fake.onMessageLoop = [&] { Form().RequestClose(); };
  EXPECT_EQ(RunProgram(), 0);
}

}  // namespace
}  // namespace framelark::testing
