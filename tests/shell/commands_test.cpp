#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "shell/main_window.h"
#include "tests/shell/shell_fixture.h"

namespace framelark::testing {
namespace {

// --- saving ----------------------------------------------------------------

class SaveTest : public ShellTest {};

TEST_F(SaveTest, DialogOffersGifFilesUnderItsTitle) {
  StartProgram();
  LeaveStoppedRecording(1);
  Button("图形按钮_保存").Click();
  ASSERT_EQ(fake.SaveDialogs().size(), 1u);
  const platform::SaveDialogSpec& options = fake.SaveDialogs()[0].options;
  EXPECT_EQ(options.title, "保存录象图片");
  EXPECT_EQ(options.filterName, "GIF图片(*.gif)");
  EXPECT_EQ(options.filterPattern, "*.gif");
  EXPECT_EQ(options.defaultExtension, "gif");
  EXPECT_EQ(fake.SaveDialogs()[0].offeredPath, "");  // nothing chosen yet
}

struct SaveCase {
  const char* what;
  std::optional<std::string> answer;  // in the test folder; nullopt cancels
  const char* status;
  bool written;
};

void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.what; }

class SaveOutcomeTest : public ShellTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(SaveOutcomeTest, StatusFileAndOfferedName) {
  const SaveCase& c = GetParam();
  StartProgram();
  LeaveStoppedRecording(3);
  const std::optional<std::string> path =
      c.answer ? std::optional<std::string>(PathIn(*c.answer)) : std::nullopt;
  fake.QueueSaveAnswer(path);

  Button("图形按钮_保存").Click();

  EXPECT_EQ(Status(), c.status);
  EXPECT_EQ(std::filesystem::exists(PathIn("录像 一.gif")), c.written);
  // A confirmed name is offered again next time, even when it could not be
  // written; a cancelled dialog leaves the name as it was.
  EXPECT_EQ(Main().通用对话框.fileName, path.value_or(""));
  // Whatever happened, the recording is still there to be saved.
  EXPECT_EQ(Recorder().Writer.FrameCount(), 3);
  EXPECT_TRUE(Button("图形按钮_保存").Enabled());
  if (c.written) {
    const DecodedGif gif = ReadGif(*path);
    ASSERT_EQ(gif.frames.size(), 3u);
    EXPECT_EQ(gif.width, kWidth);
    EXPECT_EQ(gif.height, kHeight);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(gif.frames[i].image.At(0, 0) & 0xFFFFFF, FrameColour(i)) << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Dialog, SaveOutcomeTest,
    ::testing::Values(SaveCase{"confirmed", "录像 一.gif", "文件已保存！", true},
                      SaveCase{"cancelled", std::nullopt, "录制文件未保存,请注意保存！", false},
                      SaveCase{"folder missing", "没有的文件夹/录像 一.gif",
                               "文件保存失败,请重新保存！", false}),
    [](const ::testing::TestParamInfo<SaveCase>& info) {
      std::string name = info.param.what;
      for (char& ch : name) {
        if (ch == ' ') ch = '_';
      }
      return name;
    });

TEST_F(SaveTest, FailedSaveCanBeRepeatedFromTheSaveButton) {
  StartProgram();
  LeaveStoppedRecording(2);
  const std::string bad = PathIn("missing/a.gif");
  const std::string good = PathIn("a.gif");
  fake.QueueSaveAnswer(bad);
  Button("图形按钮_保存").Click();
  ASSERT_EQ(Status(), "文件保存失败,请重新保存！");

  fake.QueueSaveAnswer(good);
  Button("图形按钮_保存").Click();

  EXPECT_EQ(fake.SaveDialogs().back().offeredPath, bad);
  EXPECT_EQ(Status(), "文件已保存！");
  EXPECT_EQ(ReadGif(good).frames.size(), 2u);
}

TEST_F(SaveTest, CancelledThenSavedLaterFromTheButton) {
  StartProgram();
  LeaveStoppedRecording(2);
  Button("图形按钮_保存").Click();  // no answer queued: the user cancels
  ASSERT_EQ(Status(), "录制文件未保存,请注意保存！");

  const std::string path = PathIn("later.gif");
  fake.QueueSaveAnswer(path);
  Button("图形按钮_保存").Click();

  EXPECT_EQ(Status(), "文件已保存！");
  EXPECT_EQ(ReadGif(path).frames.size(), 2u);
}

TEST_F(SaveTest, SavingAgainOffersThePreviousPathAndKeepsItWhenCancelled) {
  StartProgram();
  LeaveStoppedRecording(2);
  const std::string first = PathIn("first.gif");
  const std::string second = PathIn("第二.gif");
  fake.QueueSaveAnswer(first);
  Button("图形按钮_保存").Click();
  Button("图形按钮_保存").Click();  // cancelled
  fake.QueueSaveAnswer(second);
  Button("图形按钮_保存").Click();

  ASSERT_EQ(fake.SaveDialogs().size(), 3u);
  EXPECT_EQ(fake.SaveDialogs()[1].offeredPath, first);
  EXPECT_EQ(fake.SaveDialogs()[2].offeredPath, first);
  EXPECT_EQ(Main().通用对话框.fileName, second);
  // The same recording, written twice.
  EXPECT_EQ(ReadGif(first).frames.size(), 2u);
  EXPECT_EQ(ReadGif(second).frames.size(), 2u);
}

// --- mode radio buttons ----------------------------------------------------

class ModeTest : public ShellTest {};

TEST_F(ModeTest, EachRadioButtonWritesItsHintAlsoWhenAlreadyChecked) {
  struct Case {
    const char* radio;
    const char* hint;
  };
  const Case cases[] = {
      {"单选框_全屏", "全屏录制模式！"},
      {"单选框_窗口", "请点击十字图形选择录制窗口！"},
      {"单选框_区域", "请点击十字图形选择录制区域！"},
      {"单选框_跟踪录制", "请点击十字图形选择录制区域！"},
  };
  StartProgram();
  const platform::Rect region{10, 20, 110, 220};
  Recorder().CaptureRect.Set(region);
  Recorder().PickedWindow = 0x4242;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.radio);
    Main().SetStatus("");
    Radio(c.radio).Click();
    EXPECT_EQ(Status(), c.hint);
    EXPECT_TRUE(Radio(c.radio).Checked());
    Main().SetStatus("");
    Radio(c.radio).Click();  // already checked
    EXPECT_EQ(Status(), c.hint);
  }
  // Only the hint changes: the chosen target stays.
  EXPECT_EQ(Recorder().CaptureRect.Get(), region);
  EXPECT_EQ(Recorder().PickedWindow.load(), 0x4242);
  EXPECT_TRUE(fake.Messages().empty());
}

// --- crosshair -------------------------------------------------------------

class CrosshairTest : public ShellTest {
 protected:
  void PressCrosshair() { Control<FakePictureBox>("图片框_准心").PressLeft(); }
  platform::fake::FakeTimer& FlashTimer() { return *Form().FindTimer("时钟_闪烁"); }
};

TEST_F(CrosshairTest, FullScreenModeDoesNothing) {
  StartProgram();
  Main().SetStatus("unchanged");
  fake.ClearCalls();
  PressCrosshair();
  EXPECT_EQ(Status(), "unchanged");
  EXPECT_EQ(FlashTimer().Period(), 0);
  EXPECT_TRUE(fake.Calls().empty());
  EXPECT_TRUE(Form().Enabled());
}

TEST_F(CrosshairTest, RegionAndFollowModesAskToPressF2OnceTheOverlayIsClosed) {
  StartProgram();
  for (const char* radio : {"单选框_区域", "单选框_跟踪录制"}) {
    SCOPED_TRACE(radio);
    Radio(radio).Click();
    int overlays = 0;
    std::string status_while_open;
    fake.onDialog = [&](platform::fake::FakeWindow& overlay) {
      ++overlays;
      status_while_open = Status();
      EXPECT_FALSE(Form().Enabled());
      overlay.PressKey(13);  // Enter confirms the region
    };
    PressCrosshair();
    fake.onDialog = nullptr;
    EXPECT_EQ(overlays, 1);
    EXPECT_EQ(status_while_open, "请点击十字图形选择录制区域！");
    EXPECT_EQ(Status(), "[F2]进行录制！");
    EXPECT_TRUE(Form().Enabled());
    EXPECT_EQ(FlashTimer().Period(), 0);  // the outline is for window mode only
  }
}

TEST_F(CrosshairTest, WindowModeOpensTheFlashingOutlineAndAsksToPressF2AtOnce) {
  StartProgram();
  Radio("单选框_窗口").Click();
  fake.onDialog = [](platform::fake::FakeWindow&) { FAIL() << "the outline starts hidden"; };
  PressCrosshair();
  fake.onDialog = nullptr;
  EXPECT_EQ(FlashTimer().Period(), 300);
  EXPECT_EQ(Status(), "[F2]进行录制！");
  // The user is still picking: the outline exists and holds MainWindow.
  EXPECT_EQ(fake.LoadedWindows(), 2);
  EXPECT_FALSE(Form().Enabled());
}

// --- border colour ---------------------------------------------------------

TEST_F(ShellTest, ChosenColourBecomesTheBorderColourEvenWhenTheSame) {
  StartProgram();
  auto& picker = Control<FakeColourPicker>("颜色选择器_边框颜色");
  fake.QueueColour(0xFF0000u);
  picker.Click();
  EXPECT_EQ(Recorder().BorderColor, 0xFF0000u);

  Recorder().BorderColor = 0;  // shows that the same choice writes it again
  fake.QueueColour(0xFF0000u);
  picker.Click();
  EXPECT_EQ(Recorder().BorderColor, 0xFF0000u);

  fake.QueueColour(std::nullopt);  // the colour dialog cancelled
  picker.Click();
  EXPECT_EQ(Recorder().BorderColor, 0xFF0000u);
}

// --- watermark -------------------------------------------------------------

class WatermarkTest : public ShellTest {
 protected:
  FakeCheckBox& Box() { return Control<FakeCheckBox>("选择框_水印"); }
};

TEST_F(WatermarkTest, InputBoxAsksWithItsOwnTexts) {
  StartProgram();
  fake.QueueInputAnswer("x");
  Box().Click();
  ASSERT_EQ(fake.InputBoxes().size(), 1u);
  const platform::InputBoxSpec& options = fake.InputBoxes()[0].options;
  EXPECT_EQ(options.caption, "输入：");
  EXPECT_EQ(options.prompt, "请输入水印文字信息,将在录像中随机颜色、位置出现！");
  EXPECT_EQ(options.initialText, "请输入水印文字");
  EXPECT_EQ(options.okText, "确认输入(&O)");
  EXPECT_EQ(options.cancelText, "取消(&C)");
}

TEST_F(WatermarkTest, AnswerDecidesTextAndBox) {
  struct Case {
    const char* what;
    std::optional<std::string> answer;  // nullopt: Cancel or the box closed
    const char* text;
    bool checked;
  };
  const Case cases[] = {
      {"OK untouched", "请输入水印文字", "请输入水印文字", true},
      {"OK edited", "Framelark 演示", "Framelark 演示", true},
      {"OK emptied", "", "", true},
      {"cancelled", std::nullopt, "", false},
  };
  StartProgram();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Box().SetChecked(false);
    Recorder().WatermarkText.Set("earlier text");
    fake.QueueInputAnswer(c.answer);
    Box().Click();
    EXPECT_EQ(Recorder().WatermarkText.Get(), c.text);
    EXPECT_EQ(Box().Checked(), c.checked);
  }
}

TEST_F(WatermarkTest, UncheckingKeepsTheTextAndCheckingAgainOffersTheInitialText) {
  StartProgram();
  fake.QueueInputAnswer("我的水印");
  Box().Click();
  Box().Click();  // unchecked: no box, the text stays
  EXPECT_FALSE(Box().Checked());
  EXPECT_EQ(fake.InputBoxes().size(), 1u);
  EXPECT_EQ(Recorder().WatermarkText.Get(), "我的水印");

  fake.QueueInputAnswer(std::nullopt);
  Box().Click();
  ASSERT_EQ(fake.InputBoxes().size(), 2u);
  EXPECT_EQ(fake.InputBoxes()[1].options.initialText, "请输入水印文字");
}

// --- about -----------------------------------------------------------------

TEST_F(ShellTest, AboutBoxShowsTheNineLines) {
  StartProgram();
  Button("图形按钮_关于").Click();
  const std::string rule = "-----------------------------------------------";
  ASSERT_EQ(rule.size(), 47u);
  const char* const lines[] = {
      "[Quellor] Framelark",
      "本工具集众多网友的思路整理而成,在此感谢论坛各位会员的热心帮助!",
      "希望多发好贴,坚信共同进步、相互学习才是真的进步!",
      "本软件免费使用,仅供学习交流,请勿用于商业或非法用途!",
      "联系作者 QQ:40721385",
  };
  const std::string crlf = "\r\n";
  const std::string expected = rule + crlf + lines[0] + crlf + rule + crlf + lines[1] + crlf +
                               lines[2] + crlf + lines[3] + crlf + rule + crlf + lines[4] + crlf +
                               rule;  // no line break after the last line
  ASSERT_EQ(fake.Messages().size(), 1u);
  EXPECT_EQ(fake.Messages()[0].text, expected);
  EXPECT_EQ(fake.Messages()[0].caption, "信息：");
  EXPECT_FALSE(fake.Messages()[0].yesNo);
}

}  // namespace
}  // namespace framelark::testing
