#include <gtest/gtest.h>

#include "shell/hotkey_feedback.h"
#include "shell/main_window.h"
#include "tests/shell/shell_fixture.h"

namespace framelark::testing {
namespace {

constexpr unsigned kF2 = 113;
constexpr unsigned kF3 = 114;

class HotkeyTest : public ShellTest {};

TEST_F(HotkeyTest, F3TogglesPauseWithOrWithoutARecording) {
  struct Case {
    int before;
    int after;
  };
  // 0 from 1, 1 from anything else.
  const Case cases[] = {{0, 1}, {1, 0}, {2, 1}, {-1, 1}};
  StartProgram();
  for (bool recording : {false, true}) {
    Button("图形按钮_开始").SetEnabled(!recording);
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << "recording " << recording << ", before " << c.before);
      Recorder().Paused.Set(c.before);
      EXPECT_TRUE(fake.PressHotKey(kF3));
      EXPECT_EQ(Recorder().Paused.Get(), c.after);
    }
  }
  // Twice is back where it was.
  Recorder().Paused.Set(0);
  fake.PressHotKey(kF3);
  fake.PressHotKey(kF3);
  EXPECT_EQ(Recorder().Paused.Get(), 0);
}

TEST_F(HotkeyTest, UnknownIdsDoNothing) {
  StartProgram();
  const std::string status = Status();
  fake.ClearCalls();
  for (int id : {0, 33000, 33003, -1}) OnHotkeyFeedback(id, 0);
  EXPECT_EQ(Recorder().Paused.Get(), 0);
  EXPECT_EQ(Status(), status);
  EXPECT_TRUE(fake.Calls().empty());
  EXPECT_TRUE(Button("图形按钮_开始").Enabled());
}

TEST_F(HotkeyTest, KeysHeldElsewhereAreRefusedQuietlyAndTheOtherKeyWorks) {
  // F2 refused: F3 still pauses.
  fake.HoldKeyElsewhere(kF2);
  StartProgram();
  ASSERT_EQ(Recorder().StartHotkeyId, 0);
  EXPECT_FALSE(fake.PressHotKey(kF2));  // the press goes to the other program
  // A stray feedback with id 0 must not pass for the refused key.
  OnHotkeyFeedback(0, 0);
  EXPECT_TRUE(fake.Messages().empty());
  EXPECT_TRUE(fake.SaveDialogs().empty());
  EXPECT_EQ(Status(), "[F2]开始/停止  [F3]暂停/继续");
  EXPECT_TRUE(fake.PressHotKey(kF3));
  EXPECT_EQ(Recorder().Paused.Get(), 1);
}

TEST_F(HotkeyTest, RefusedF3LeavesPauseAlone) {
  fake.HoldKeyElsewhere(kF3);
  StartProgram();
  ASSERT_EQ(Recorder().PauseHotkeyId, 0);
  EXPECT_FALSE(fake.PressHotKey(kF3));
  OnHotkeyFeedback(0, 0);
  EXPECT_EQ(Recorder().Paused.Get(), 0);
  EXPECT_TRUE(fake.HotKeyRegistered(kF2));
}

}  // namespace
}  // namespace framelark::testing

namespace framelark::testing {
namespace {

TEST_F(HotkeyTest, F2StartsAndStopsARecording) {
  UseSmallScreen();
  StartProgram();
  fake.PressHotKey(kF2);
  EXPECT_FALSE(Button("图形按钮_开始").Enabled());
  EXPECT_TRUE(Button("图形按钮_停止").Enabled());
  EXPECT_GT(CaptureTimer().Period(), 0);
  ChangedTick();
  ChangedTick();
  const int frames = Recorder().Writer.FrameCount();
  ASSERT_GE(frames, 2);

  const std::string path = PathIn("f2.gif");
  fake.QueueSaveAnswer(path);
  fake.PressHotKey(kF2);

  EXPECT_TRUE(Button("图形按钮_开始").Enabled());
  EXPECT_EQ(CaptureTimer().Period(), 0);
  ASSERT_EQ(fake.SaveDialogs().size(), 1u);  // the stop ends in the save dialog
  EXPECT_EQ(Status(), "文件已保存！");
  EXPECT_EQ(ReadGif(path).frames.size(), static_cast<std::size_t>(frames));
}

TEST_F(HotkeyTest, F2FollowsTheStartButtonNotAFlagOfItsOwn) {
  StartProgram();
  // No recording runs, but the start button says one does: F2 stops.
  Button("图形按钮_开始").SetEnabled(false);
  fake.PressHotKey(kF2);
  EXPECT_EQ(fake.SaveDialogs().size(), 1u);
  EXPECT_TRUE(Button("图形按钮_开始").Enabled());
  EXPECT_EQ(Status(), "录制文件未保存,请注意保存！");
}

TEST_F(HotkeyTest, F2WithoutATargetIsRefusedWithItsMessage) {
  struct Case {
    const char* radio;
    const char* status;
  };
  const Case cases[] = {
      {"单选框_区域", "请选择录制区域！"},
      {"单选框_跟踪录制", "请选择录制区域！"},
      {"单选框_窗口", "请选择录制窗口！"},
  };
  StartProgram();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.radio);
    Radio(c.radio).Click();
    const std::size_t before = fake.Messages().size();
    fake.PressHotKey(kF2);
    EXPECT_EQ(Status(), c.status);
    ASSERT_EQ(fake.Messages().size(), before + 1);
    EXPECT_EQ(fake.Messages().back().text, "请选择录制区域,点击十字图形进行选择！");
    EXPECT_EQ(fake.Messages().back().caption, "信息：");
    EXPECT_TRUE(Button("图形按钮_开始").Enabled());
    EXPECT_EQ(CaptureTimer().Period(), 0);
  }
  EXPECT_TRUE(fake.SaveDialogs().empty());
}

TEST_F(HotkeyTest, F3PausesARunningRecordingAndResumesIt) {
  UseSmallScreen();
  StartProgram();
  fake.PressHotKey(kF2);
  ChangedTick();
  fake.PressHotKey(kF3);
  EXPECT_EQ(Recorder().Paused.Get(), 1);
  EXPECT_FALSE(Button("图形按钮_开始").Enabled());  // still recording
  fake.PressHotKey(kF3);
  EXPECT_EQ(Recorder().Paused.Get(), 0);
  const int frames = Recorder().Writer.FrameCount();
  ChangedTick();
  EXPECT_EQ(Recorder().Writer.FrameCount(), frames + 1);
}

}  // namespace
}  // namespace framelark::testing
