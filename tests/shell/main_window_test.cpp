#include "shell/main_window.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/support/program_fixture.h"

namespace framelark::testing {
namespace {

using platform::ButtonLook;
using platform::Rect;
using platform::fake::FakeCanvas;
using platform::fake::FakeCheckBox;
using platform::fake::FakeColourPicker;
using platform::fake::FakeLabel;
using platform::fake::FakePictureBox;
using platform::fake::FakePictureButton;
using platform::fake::FakeRadioButton;

class MainWindowTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    StartProgram();
  }
};

// The window as the user first sees it: every control at its place with its
// initial state.
TEST_F(MainWindowTest, ControlsStartAtTheirPlacesAndStates) {
  struct Expected {
    Rect place;
    bool enabled, visible, checked;
  };
  const std::map<std::string, Expected> expected = {
      {"图形按钮_开始", {{74, 75, 135, 102}, true, true, false}},
      {"图形按钮_停止", {{138, 75, 199, 102}, false, true, false}},
      {"图形按钮_保存", {{201, 75, 262, 102}, false, true, false}},
      {"图形按钮_关于", {{265, 75, 326, 102}, true, true, false}},
      {"图形按钮_最小化", {{286, 8, 301, 23}, true, true, false}},
      {"图形按钮_关闭", {{306, 8, 321, 23}, true, true, false}},
      {"图片框_准心", {{16, 75, 68, 127}, true, true, false}},
      {"标签_信息提示", {{75, 114, 324, 126}, true, true, false}},
      {"单选框_全屏", {{8, 139, 20, 151}, true, true, true}},
      {"单选框_窗口", {{75, 139, 87, 151}, true, true, false}},
      {"单选框_区域", {{143, 139, 155, 151}, true, true, false}},
      {"单选框_跟踪录制", {{212, 140, 224, 152}, true, true, false}},
      {"选择框_水印", {{282, 139, 294, 151}, true, true, false}},
      {"颜色选择器_边框颜色", {{236, 7, 271, 23}, true, true, false}},
      {"画板_截图中转", {{16, 75, 66, 125}, true, false, false}},
      {"标签", {{30, 92, 54, 116}, true, false, false}},
  };
  ASSERT_EQ(Form().Controls().size(), expected.size());
  for (const auto& control : Form().Controls()) {
    SCOPED_TRACE(control->Name());
    auto it = expected.find(control->Name());
    ASSERT_NE(it, expected.end());
    EXPECT_EQ(control->Place(), it->second.place);
    EXPECT_EQ(control->Enabled(), it->second.enabled);
    EXPECT_EQ(control->Visible(), it->second.visible);
    if (auto* radio = dynamic_cast<FakeRadioButton*>(control.get())) {
      EXPECT_EQ(radio->Checked(), it->second.checked);
    }
    if (auto* box = dynamic_cast<FakeCheckBox*>(control.get())) {
      EXPECT_EQ(box->Checked(), it->second.checked);
    }
  }
  EXPECT_EQ(Control<FakeLabel>("标签").Text(), "");
  for (const char* timer : MainWindowTimers()) {
    ASSERT_NE(Form().FindTimer(timer), nullptr) << timer;
    EXPECT_EQ(Form().FindTimer(timer)->Period(), 0) << timer;
  }
}

TEST_F(MainWindowTest, StatusLineAndFrameCanvasHaveTheirSettings) {
  const platform::LabelStyle& status = Control<FakeLabel>("标签_信息提示").Style();
  EXPECT_EQ(status.textColour, 0xC6D8Du);
  EXPECT_TRUE(status.transparent);
  EXPECT_TRUE(status.rightAligned);

  const platform::CanvasStyle& canvas = Control<FakeCanvas>("画板_截图中转").Style();
  EXPECT_EQ(canvas.backColour, 0x606060u);
  EXPECT_EQ(canvas.penColour, 0x0000FFu);
  EXPECT_EQ(canvas.penWidth, 2);
  EXPECT_EQ(canvas.textColour, 0xFFFF00u);
  EXPECT_TRUE(canvas.keepsDrawing);
  // Nothing drawn yet: the whole picture is the grey background.
  auto picture = framelark::ReadBitmapFile(Control<FakeCanvas>("画板_截图中转").Picture());
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 50);
  EXPECT_EQ(picture->At(25, 25), 0x606060u);

  EXPECT_EQ(Main().通用对话框.options.title, "保存录象图片");
  EXPECT_EQ(Main().通用对话框.options.filterName, "GIF图片(*.gif)");
  EXPECT_EQ(Main().通用对话框.options.filterPattern, "*.gif");
  EXPECT_EQ(Main().通用对话框.options.defaultExtension, "gif");
  EXPECT_EQ(Main().通用对话框.fileName, "");
}

TEST_F(MainWindowTest, ButtonsCarryTheirPicturesAndTheDisabledOneWins) {
  auto& stop = Control<FakePictureButton>("图形按钮_停止");
  ASSERT_FALSE(stop.Pictures().normal.empty()) << "pictures missing from shell/pictures";
  EXPECT_FALSE(stop.Pictures().disabled.empty());
  EXPECT_TRUE(stop.Pictures().pressed.empty());
  stop.SetHover(true);
  EXPECT_EQ(stop.Look(), ButtonLook::Disabled) << "hovering a disabled button shows it disabled";
  EXPECT_EQ(&stop.CurrentPicture(), &stop.Pictures().disabled);

  auto& close = Control<FakePictureButton>("图形按钮_关闭");
  EXPECT_TRUE(close.Pictures().disabled.empty());
  close.SetHover(true);
  EXPECT_EQ(&close.CurrentPicture(), &close.Pictures().hover);
  close.Press();
  EXPECT_EQ(close.Look(), ButtonLook::Pressed);
  EXPECT_EQ(&close.CurrentPicture(), &close.Pictures().normal) << "no pressed picture";
  close.Release(false);  // released outside: nothing happens
  fake.RunPending();
  EXPECT_TRUE(Form().Loaded());

  EXPECT_FALSE(Control<FakePictureBox>("图片框_准心").Picture().empty());
  EXPECT_FALSE(Form().BackgroundPicture().empty());
  EXPECT_FALSE(Form().Options().icon.empty());
}

TEST_F(MainWindowTest, ModeRadioButtonsFormOneGroup) {
  const char* radios[] = {"单选框_全屏", "单选框_窗口", "单选框_区域", "单选框_跟踪录制"};
  for (const char* clicked : radios) {
    Control<FakeRadioButton>(clicked).Click();
    for (const char* other : radios) {
      EXPECT_EQ(Control<FakeRadioButton>(other).Checked(), std::string(other) == clicked)
          << clicked << " clicked, " << other;
    }
  }
  // The watermark box is no member of the group.
  Control<FakeCheckBox>("选择框_水印").SetChecked(true);
  Control<FakeRadioButton>("单选框_全屏").Click();
  EXPECT_TRUE(Control<FakeCheckBox>("选择框_水印").Checked());
}

TEST_F(MainWindowTest, DraggingWorksOnTheSkinButNotOnAControl) {
  struct Case {
    int x, y;
    bool drags;
  } cases[] = {
      {3, 3, true},      // bare skin
      {200, 50, true},   // the hazard band's reflection
      {100, 130, true},  // between the status line and the radios
      {80, 80, false},   // start button
      {20, 80, false},   // crosshair box
      {300, 12, false},  // close button's neighbour, the minimise button
      {10, 142, false},  // full-screen radio
  };
  for (const Case& c : cases) {
    const int before = Form().Drags();
    Form().PressBackground(c.x, c.y);
    EXPECT_EQ(Form().Drags() - before, c.drags ? 1 : 0) << c.x << "," << c.y;
  }
}

TEST_F(MainWindowTest, MinimiseKeepsTimersAndHotKeysGoing) {
  Main().时钟_截图->SetPeriod(300);
  Control<FakePictureButton>("图形按钮_最小化").Click();
  EXPECT_EQ(Form().State(), platform::WindowState::Minimised);
  EXPECT_EQ(Main().时钟_截图->Period(), 300);
  EXPECT_TRUE(fake.HotKeyRegistered(113));
  EXPECT_TRUE(Form().Loaded());
}

TEST_F(MainWindowTest, TimerPeriodRules) {
  auto* timer = Form().FindTimer("时钟_截图");
  timer->SetPeriod(300);
  EXPECT_EQ(timer->Starts(), 1);
  fake.AdvanceClock(200);
  timer->SetPeriod(300);  // the period it already has: not restarted
  EXPECT_EQ(timer->Starts(), 1);
  EXPECT_EQ(timer->NextDue(), 300);
  timer->SetPeriod(-5);  // 0 or less stops it
  EXPECT_EQ(timer->Period(), 0);
  timer->SetPeriod(400);
  EXPECT_EQ(timer->NextDue(), fake.Now() + 400);
}

TEST_F(MainWindowTest, WindowIsDisabledWhileADialogWindowExists) {
  platform::WindowSpec options;
  options.visible = false;
  auto dialog = fake.NewWindow(options);
  fake.RunDialog(*dialog, *Main().form);
  EXPECT_FALSE(Form().Enabled());
  Control<FakeRadioButton>("单选框_窗口").Click();
  EXPECT_FALSE(Control<FakeRadioButton>("单选框_窗口").Checked()) << "ignores the mouse";
  dialog->Destroy();
  fake.RunPending();
  EXPECT_TRUE(Form().Enabled());
}

}  // namespace
}  // namespace framelark::testing
