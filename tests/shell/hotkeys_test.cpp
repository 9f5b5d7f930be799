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
