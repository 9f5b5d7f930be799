#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>

#include "shell/main_window.h"
#include "tests/shell/shell_fixture.h"

namespace framelark::testing {
namespace {

// The user's ways of closing MainWindow.
enum class Path { CloseButton, CloseRequest };

class CloseTest : public ShellTest {
 protected:
  // Closes MainWindow the user's way; true when it is gone.
  bool Close(Path path) {
    if (path == Path::CloseButton) {
      Button("图形按钮_关闭").Click();
      fake.RunPending();
    } else {
      Form().RequestClose();  // Alt+F4, the task bar
    }
    return !Form().Loaded();
  }

  int Questions() const {
    int n = 0;
    for (const auto& m : fake.Messages()) {
      if (m.yesNo) {
        EXPECT_EQ(m.text, "录制文件未保存,确定要退出吗？");
        EXPECT_EQ(m.caption, "信息：");
        ++n;
      }
    }
    return n;
  }

  // A recording in progress, as StartRecording leaves the buttons.
  void RecordingRuns() {
    LeaveStoppedRecording(1);
    Button("图形按钮_开始").SetEnabled(false);
    Button("图形按钮_保存").SetEnabled(false);
    Button("图形按钮_停止").SetEnabled(true);
  }
  void SaveTo(const std::string& path) {
    fake.QueueSaveAnswer(path);
    Button("图形按钮_保存").Click();
  }
};

// What is left when the user closes the window.
enum class Left {
  Nothing,
  RecordingRuns,
  StoppedUnsaved,
  StoppedSaved,
  SavedThenCancelled,
  SaveFailed,
  SavedThenLateFrame,
  StoppedWithoutFrames,
};

struct CloseCase {
  const char* name;
  Left left;
  bool asks;
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }
void PrintTo(Path path, std::ostream* os) {
  *os << (path == Path::CloseButton ? "close button" : "close request");
}

class CloseQuestionTest : public CloseTest,
                          public ::testing::WithParamInterface<std::tuple<CloseCase, Path>> {
 protected:
  void Arrange(Left left) {
    switch (left) {
      case Left::Nothing:
        break;
      case Left::RecordingRuns:
        RecordingRuns();
        break;
      case Left::StoppedUnsaved:
        LeaveStoppedRecording(2);
        break;
      case Left::StoppedSaved:
        LeaveStoppedRecording(2);
        SaveTo(PathIn("saved.gif"));
        break;
      case Left::SavedThenCancelled:
        LeaveStoppedRecording(2);
        SaveTo(PathIn("saved.gif"));
        Button("图形按钮_保存").Click();  // no answer: cancelled
        break;
      case Left::SaveFailed:
        LeaveStoppedRecording(2);
        SaveTo(PathIn("missing/x.gif"));
        break;
      case Left::SavedThenLateFrame:
        // A capture tick that was under way at the stop added one more.
        LeaveStoppedRecording(2);
        SaveTo(PathIn("saved.gif"));
        AddFrame(0xABCDEF);
        break;
      case Left::StoppedWithoutFrames:
        LeaveStoppedRecording(0);
        break;
    }
  }
};

TEST_P(CloseQuestionTest, AsksOnlyWhenARecordingWouldBeLost) {
  const auto& [c, path] = GetParam();
  StartProgram();
  Arrange(c.left);
  fake.QueueYesNo(true);
  EXPECT_TRUE(Close(path));
  EXPECT_EQ(Questions(), c.asks ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Situations, CloseQuestionTest,
    ::testing::Combine(
        ::testing::Values(CloseCase{"Nothing", Left::Nothing, false},
                          CloseCase{"RecordingRuns", Left::RecordingRuns, true},
                          CloseCase{"StoppedUnsaved", Left::StoppedUnsaved, true},
                          CloseCase{"StoppedSaved", Left::StoppedSaved, false},
                          CloseCase{"SavedThenCancelled", Left::SavedThenCancelled, false},
                          CloseCase{"SaveFailed", Left::SaveFailed, true},
                          CloseCase{"SavedThenLateFrame", Left::SavedThenLateFrame, true},
                          CloseCase{"StoppedWithoutFrames", Left::StoppedWithoutFrames, false}),
        ::testing::Values(Path::CloseButton, Path::CloseRequest)),
    [](const ::testing::TestParamInfo<std::tuple<CloseCase, Path>>& info) {
      return std::string(std::get<0>(info.param).name) +
             (std::get<1>(info.param) == Path::CloseButton ? "_CloseButton" : "_CloseRequest");
    });

class CloseAnswerTest : public CloseTest, public ::testing::WithParamInterface<Path> {};

TEST_P(CloseAnswerTest, NoKeepsTheWindowAndTheRecordingAsTheyWere) {
  const Path path = GetParam();
  StartProgram();
  RecordingRuns();
  Form().FindTimer("时钟_截图")->SetPeriod(500);
  Main().SetStatus("[录制状态][F2]停止 [F3]暂停 [已录制1帧]");
  fake.ClearCalls();
  fake.QueueYesNo(false);

  EXPECT_FALSE(Close(path));

  EXPECT_EQ(Questions(), 1);
  EXPECT_TRUE(Form().Loaded());
  EXPECT_FALSE(Form().DestroyQueued());
  // Nothing of the shutdown ran: timer, writer, hot keys all as before.
  EXPECT_EQ(Form().FindTimer("时钟_截图")->Period(), 500);
  EXPECT_EQ(Recorder().Writer.FrameCount(), 1);
  EXPECT_TRUE(fake.HotKeyRegistered(113));
  EXPECT_TRUE(fake.HotKeyRegistered(114));
  EXPECT_EQ(CountCalls("UnregisterSystemHotKey 33001"), 0);
  EXPECT_FALSE(Button("图形按钮_开始").Enabled());
  EXPECT_EQ(Status(), "[录制状态][F2]停止 [F3]暂停 [已录制1帧]");

  // Asked again at the next attempt; Yes closes and shuts down.
  fake.QueueYesNo(true);
  EXPECT_TRUE(Close(path));
  EXPECT_EQ(Questions(), 2);
  EXPECT_FALSE(fake.HotKeyRegistered(113));
}

INSTANTIATE_TEST_SUITE_P(Paths, CloseAnswerTest,
                         ::testing::Values(Path::CloseButton, Path::CloseRequest),
                         [](const ::testing::TestParamInfo<Path>& info) {
                           return info.param == Path::CloseButton ? "CloseButton" : "CloseRequest";
                         });

// The task bar can still send a close request while one of the program's
// dialogs is open. It is refused without a question: the command waiting for
// the dialog's answer still needs the window.
TEST_F(CloseTest, CloseRequestUnderAnOpenDialogIsRefused) {
  struct Case {
    const char* dialog;
    std::function<void()> open;
  };
  StartProgram();
  LeaveStoppedRecording(2);
  const Case cases[] = {
      {"save dialog", [this] { Button("图形按钮_保存").Click(); }},
      {"watermark box", [this] { Control<FakeCheckBox>("选择框_水印").Click(); }},
      {"about box", [this] { Button("图形按钮_关于").Click(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dialog);
    int requests = 0;
    bool allowed = true;
    fake.onModalDialog = [&] {
      if (requests++ > 0) return;  // a question asked in answer is not asked again
      allowed = Form().onCloseRequested();
    };
    c.open();
    fake.onModalDialog = nullptr;
    EXPECT_FALSE(allowed);
    EXPECT_TRUE(Form().Loaded());
  }
  EXPECT_EQ(Questions(), 0);
  // Once the dialogs are answered, closing asks as usual.
  fake.QueueYesNo(true);
  EXPECT_TRUE(Close(Path::CloseRequest));
  EXPECT_EQ(Questions(), 1);
}

// Real recordings, started and stopped as the user does it.
class RecordingCloseTest : public CloseTest {
 protected:
  void SetUp() override {
    CloseTest::SetUp();
    UseSmallScreen();
    StartProgram();
  }
  // Start (button or F2), `frames` changed periods, stop; the dialog that
  // the stop opens gets `answer`.
  void Record(bool by_hot_key, int frames, std::optional<std::string> answer) {
    if (by_hot_key) {
      fake.PressHotKey(113);
    } else {
      Button("图形按钮_开始").Click();
    }
    for (int i = 0; i < frames; ++i) ChangedTick();
    fake.QueueSaveAnswer(answer);
    Button("图形按钮_停止").Click();
  }
};

TEST_F(RecordingCloseTest, ANewRecordingIsUnsavedEvenWithAsManyFramesAsTheSavedOne) {
  for (bool by_hot_key : {false, true}) {
    SCOPED_TRACE(by_hot_key ? "started by F2" : "started by the button");
    Record(by_hot_key, 2, PathIn("first.gif"));
    ASSERT_EQ(Status(), "文件已保存！");
    const int saved = Recorder().Writer.FrameCount();
    Record(by_hot_key, 2, std::nullopt);
    ASSERT_EQ(Recorder().Writer.FrameCount(), saved);
    EXPECT_TRUE(HasUnsavedRecording());
  }
  fake.QueueYesNo(false);
  EXPECT_FALSE(Close(Path::CloseRequest));
  EXPECT_EQ(Questions(), 1);
}

TEST_F(RecordingCloseTest, ARefusedStartLeavesTheSavedRecordingSaved) {
  Record(false, 2, PathIn("saved.gif"));
  Radio("单选框_区域").Click();
  fake.PressHotKey(113);  // no region chosen: refused
  Button("图形按钮_开始").Click();
  ASSERT_EQ(Status(), "请选择录制区域！");
  EXPECT_TRUE(Close(Path::CloseButton));
  EXPECT_EQ(Questions(), 0);
}

TEST_F(RecordingCloseTest, NoKeepsARunningRecordingGoing) {
  Button("图形按钮_开始").Click();
  ChangedTick();
  const int frames = Recorder().Writer.FrameCount();
  fake.QueueYesNo(false);
  EXPECT_FALSE(Close(Path::CloseRequest));
  EXPECT_EQ(Questions(), 1);
  ChangedTick();
  EXPECT_EQ(Recorder().Writer.FrameCount(), frames + 1);
  // Stopped and saved: nothing is lost, and nothing is asked.
  fake.QueueSaveAnswer(PathIn("kept.gif"));
  Button("图形按钮_停止").Click();
  EXPECT_EQ(ReadGif(PathIn("kept.gif")).frames.size(), static_cast<std::size_t>(frames + 1));
  EXPECT_TRUE(Close(Path::CloseButton));
  EXPECT_EQ(Questions(), 1);
}

}  // namespace
}  // namespace framelark::testing
