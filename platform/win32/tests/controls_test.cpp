// The controls: names the test driver reads, texts and states kept by
// Windows, the radio group, the picture button's looks and clicks, labels,
// picture boxes and the colour picker.
#include "platform/win32/controls.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/win32/tests/test_support.h"

namespace platform::win32::testing {
namespace {

using framelark::PixelImage;

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;
constexpr std::uint32_t kYellow = 0xFFFF00, kBlack = 0;

ControlSpec Options(const std::string& name, const Rect& place, bool checked = false) {
  ControlSpec options;
  options.name = name;
  options.place = place;
  options.checked = checked;
  return options;
}

std::wstring NameOf(HWND hwnd) {
  HANDLE value = GetPropW(hwnd, L"Framelark.Name");
  wchar_t name[256] = {};
  if (value != nullptr) {
    GlobalGetAtomNameW(static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(value)), name, 256);
  }
  return name;
}

std::wstring WindowTextOf(HWND hwnd) {
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  return text;
}

TEST(Win32Controls, EveryControlCarriesItsFormNameUntilItsWindowIsGone) {
  auto window = OpenWindow(SpecAt(Rect{50, 50, 250, 150}), false);
  const Rect place{0, 0, 20, 20};
  std::vector<std::pair<Control*, std::wstring>> controls = {
      {&window->AddPictureButton(Options("测试_图形按钮", place)), L"测试_图形按钮"},
      {&window->AddRadioButton(Options("测试_单选框", place)), L"测试_单选框"},
      {&window->AddCheckBox(Options("测试_选择框", place)), L"测试_选择框"},
      {&window->AddLabel(Options("测试_标签", place)), L"测试_标签"},
      {&window->AddPictureBox(Options("测试_图片框", place)), L"测试_图片框"},
      {&window->AddColourPicker(Options("测试_颜色选择器", place)), L"测试_颜色选择器"},
      {&window->AddCanvas(Options("测试_画板", place)), L"测试_画板"},
  };
  for (const auto& [control, name] : controls) {
    HWND hwnd = Hwnd(control->Handle());
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(GetParent(hwnd), Hwnd(window->Handle()));
    EXPECT_EQ(NameOf(hwnd), name);
    EXPECT_NE(GlobalFindAtomW(name.c_str()), 0);
  }
  DestroyWindow(Hwnd(window->Handle()));
  for (const auto& [control, name] : controls) {
    EXPECT_EQ(GlobalFindAtomW(name.c_str()), 0) << "the atom of a gone control is released";
  }
}

TEST(Win32Controls, TextsAndStatesAreTheWindowsOwn) {
  auto window = OpenWindow(SpecAt(Rect{50, 50, 250, 150}), false);
  ControlSpec options = Options("标签_信息提示", Rect{10, 10, 110, 30});
  options.text = "开始";
  options.enabled = false;
  Label& label = window->AddLabel(options);
  HWND hwnd = Hwnd(label.Handle());
  EXPECT_EQ(WindowTextOf(hwnd), L"开始");
  EXPECT_FALSE(IsWindowEnabled(hwnd));
  EXPECT_EQ(label.Place(), (Rect{10, 10, 110, 30}));

  label.SetText("录制中… 3 帧");
  EXPECT_EQ(WindowTextOf(hwnd), L"录制中… 3 帧");
  SetWindowTextW(hwnd, L"外面写的");
  EXPECT_EQ(label.Text(), "外面写的");

  EnableWindow(hwnd, TRUE);
  EXPECT_TRUE(label.Enabled());
  label.SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(hwnd));

  label.SetVisible(false);
  EXPECT_FALSE(label.Visible());
  label.SetVisible(true);
  EXPECT_TRUE(label.Visible()) << "its own visibility, though the window is hidden";

  std::thread worker([&] { label.SetText("从工作线程"); });
  worker.join();
  EXPECT_TRUE(PumpUntil([&] { return WindowTextOf(hwnd) == L"从工作线程"; }));
  EXPECT_EQ(label.Text(), "从工作线程");
}

class ShownWindowTest : public ::testing::Test {
 protected:
  static constexpr int kLeft = 400, kTop = 300;
  void SetUp() override {
    MouseTo(0, 0);
    window_ = OpenWindow(SpecAt(Rect{kLeft, kTop, kLeft + 160, kTop + 60}, 0), true);
  }
  // The centre of a control on the screen.
  static POINT Centre(const Control& control) {
    const Rect r = control.Place();
    return POINT{kLeft + (r.left + r.right) / 2, kTop + (r.top + r.bottom) / 2};
  }
  static std::uint32_t ScreenPixel(int x, int y) {
    return ScreenPixels(Rect{kLeft + x, kTop + y, kLeft + x + 1, kTop + y + 1}).At(0, 0);
  }
  std::unique_ptr<Window> window_;
};

TEST_F(ShownWindowTest, RadioButtonsFormOneGroup) {
  RadioButton& first = window_->AddRadioButton(Options("单选框_全屏", Rect{10, 10, 24, 24}, true));
  RadioButton& second = window_->AddRadioButton(Options("单选框_窗口", Rect{40, 10, 54, 24}));
  RadioButton& third = window_->AddRadioButton(Options("单选框_区域", Rect{70, 10, 84, 24}));
  CheckBox& box = window_->AddCheckBox(Options("选择框_水印", Rect{100, 10, 114, 24}));
  Pump(30);
  std::vector<std::string> clicks;
  for (RadioButton* radio : {&first, &second, &third}) {
    radio->onClicked = [&clicks, radio] {
      clicks.push_back(radio->Name() + (radio->Checked() ? " checked" : " unchecked"));
    };
  }
  box.onClicked = [&] { clicks.push_back(box.Checked() ? "box checked" : "box unchecked"); };
  EXPECT_TRUE(first.Checked());
  EXPECT_FALSE(second.Checked());

  const POINT at = Centre(second);
  ClickAt(at.x, at.y);
  EXPECT_FALSE(first.Checked());
  EXPECT_TRUE(second.Checked());
  EXPECT_FALSE(third.Checked());
  EXPECT_EQ(SendMessageW(Hwnd(second.Handle()), BM_GETCHECK, 0, 0), BST_CHECKED);

  third.SetChecked(true);  // no click event
  EXPECT_FALSE(second.Checked());
  EXPECT_TRUE(third.Checked());

  ClickAt(Centre(third).x, Centre(third).y);  // checked already: checked still, and an event
  EXPECT_TRUE(third.Checked());

  ClickAt(Centre(box).x, Centre(box).y);
  ClickAt(Centre(box).x, Centre(box).y);

  first.SetEnabled(false);
  ClickAt(Centre(first).x, Centre(first).y);
  EXPECT_FALSE(first.Checked());

  EXPECT_EQ(clicks, (std::vector<std::string>{"单选框_窗口 checked", "单选框_区域 checked",
                                              "box checked", "box unchecked"}));
}

TEST_F(ShownWindowTest, APictureButtonLooksAndClicksAsTheMouseGoes) {
  PictureButton& button = window_->AddPictureButton(Options("图形按钮_开始", Rect{10, 10, 50, 30}));
  ButtonPictures pictures;
  pictures.normal = SolidBitmap(20, 20, kRed);
  pictures.hover = SolidBitmap(20, 20, kBlue);
  pictures.pressed = SolidBitmap(20, 20, kGreen);
  button.SetPictures(pictures);
  int clicks = 0;
  button.onClicked = [&] { ++clicks; };
  Pump(30);
  const POINT inside = Centre(button);

  struct Step {
    const char* what;
    std::function<void()> act;
    ButtonLook look;
    std::uint32_t shown;
    int clicks;
  };
  const Step steps[] = {
      {"away", [] {}, ButtonLook::Normal, kRed, 0},
      {"over", [&] { MouseTo(inside.x, inside.y); }, ButtonLook::Hover, kBlue, 0},
      {"pressed", [] { LeftDown(); }, ButtonLook::Pressed, kGreen, 0},
      {"dragged out", [] { MouseTo(kLeft + 120, kTop + 50); }, ButtonLook::Normal, kRed, 0},
      {"released outside", [] { LeftUp(); }, ButtonLook::Normal, kRed, 0},
      {"back over", [&] { MouseTo(inside.x, inside.y); }, ButtonLook::Hover, kBlue, 0},
      {"pressed again", [] { LeftDown(); }, ButtonLook::Pressed, kGreen, 0},
      {"released inside", [] { LeftUp(); }, ButtonLook::Hover, kBlue, 1},
      {"left", [] { MouseTo(0, 0); }, ButtonLook::Normal, kRed, 1},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.act();
    // Wine notices a mouse that left by polling: give it time.
    PumpUntil([&] { return button.Look() == step.look; }, 1500);
    Pump(20);
    EXPECT_EQ(button.Look(), step.look);
    EXPECT_EQ(ScreenPixel(15, 15), step.shown);
    EXPECT_EQ(ScreenPixel(45, 15), kBlack) << "the rest of the button is black";
    EXPECT_EQ(clicks, step.clicks);
  }
  EXPECT_EQ(GetCapture(), nullptr);

  // Disabled: the disabled picture when there is one, and no clicks.
  button.SetEnabled(false);
  Pump(30);
  EXPECT_EQ(button.Look(), ButtonLook::Normal);
  pictures.disabled = SolidBitmap(20, 20, kYellow);
  button.SetPictures(pictures);
  Pump(30);
  EXPECT_EQ(button.Look(), ButtonLook::Disabled);
  EXPECT_EQ(ScreenPixel(15, 15), kYellow);
  ClickAt(inside.x, inside.y);
  EXPECT_EQ(clicks, 1);

  // An empty slot shows the normal picture.
  button.SetEnabled(true);
  button.SetPictures(ButtonPictures{SolidBitmap(20, 20, kRed), {}, {}, {}});
  MouseTo(inside.x, inside.y);
  Pump(30);
  EXPECT_EQ(button.Look(), ButtonLook::Hover);
  EXPECT_EQ(ScreenPixel(15, 15), kRed);
  MouseTo(0, 0);
}

TEST_F(ShownWindowTest, LabelsAreOneLineOnTheWindowsBackground) {
  window_->SetBackColour(0xFF0000);  // blue
  window_->SetBackgroundPicture(SolidBitmap(80, 60, kGreen));
  Label& label = window_->AddLabel(Options("标签_信息提示", Rect{10, 20, 150, 40}));
  label.SetText("ab");
  struct Case {
    bool transparent, right;
    std::uint32_t behind_left, behind_right;  // what shows where no text is
  };
  const Case cases[] = {
      {true, true, kGreen, kBlue},  // the picture ends at x = 80
      {false, true, kBlue, kBlue},
      {true, false, kGreen, kBlue},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "transparent " << c.transparent << " right " << c.right);
    label.SetStyle(LabelStyle{0x0000FF, c.transparent, c.right});
    Pump(50);
    const PixelImage shown = ScreenPixels(Rect{kLeft + 10, kTop + 20, kLeft + 150, kTop + 40});
    int red_left = 0, red_right = 0;
    for (int y = 0; y < shown.height; ++y) {
      for (int x = 0; x < shown.width; ++x) {
        if (shown.At(x, y) == kRed) ++(x < 70 ? red_left : red_right);
      }
    }
    EXPECT_EQ(red_left > 0, !c.right);
    EXPECT_EQ(red_right > 0, c.right);
    EXPECT_EQ(shown.At(c.right ? 2 : 65, 1), c.behind_left);
    EXPECT_EQ(shown.At(c.right ? 75 : 135, 1), c.behind_right);
  }
}

// A GIF of 2 x 2 frames, each of one colour of a red-and-blue palette.
Bytes TinyGif(const std::vector<int>& frame_colours, int delay_hundredths, int loop_count) {
  Bytes gif = {'G',  'I', 'F', '8',  '9', 'a', 2, 0, 2,   0,
               0x80, 0,   0,   0xFF, 0,   0,   0, 0, 0xFF};  // screen 2 x 2, palette of two
  if (loop_count >= 0) {
    const std::uint8_t loop[] = {0x21,
                                 0xFF,
                                 11,
                                 'N',
                                 'E',
                                 'T',
                                 'S',
                                 'C',
                                 'A',
                                 'P',
                                 'E',
                                 '2',
                                 '.',
                                 '0',
                                 3,
                                 1,
                                 static_cast<std::uint8_t>(loop_count),
                                 static_cast<std::uint8_t>(loop_count >> 8),
                                 0};
    gif.insert(gif.end(), std::begin(loop), std::end(loop));
  }
  for (int colour : frame_colours) {
    const std::uint8_t control[] = {
        0x21, 0xF9, 4, 0x04, static_cast<std::uint8_t>(delay_hundredths), 0, 0, 0};
    gif.insert(gif.end(), std::begin(control), std::end(control));
    const std::uint8_t descriptor[] = {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0};
    gif.insert(gif.end(), std::begin(descriptor), std::end(descriptor));
    // Three-bit codes: a clear code before each pixel keeps the width.
    const int codes[] = {4, colour, 4, colour, 4, colour, 4, colour, 5};
    std::uint32_t bits = 0;
    int count = 0;
    Bytes data;
    for (int code : codes) {
      bits |= static_cast<std::uint32_t>(code) << count;
      count += 3;
      while (count >= 8) {
        data.push_back(static_cast<std::uint8_t>(bits));
        bits >>= 8;
        count -= 8;
      }
    }
    if (count > 0) data.push_back(static_cast<std::uint8_t>(bits));
    gif.push_back(2);  // minimum code size
    gif.push_back(static_cast<std::uint8_t>(data.size()));
    gif.insert(gif.end(), data.begin(), data.end());
    gif.push_back(0);
  }
  gif.push_back(0x3B);
  return gif;
}

TEST_F(ShownWindowTest, PictureBoxesShowPicturesAndPlayGifs) {
  PictureBox& box = window_->AddPictureBox(Options("图片框_准心", Rect{10, 10, 30, 30}));
  auto& frames = static_cast<Win32PictureBox&>(box);
  int pressed = 0;
  box.onLeftPressed = [&] { ++pressed; };

  box.SetPicture(SolidBitmap(4, 4, kYellow));
  Pump(30);
  EXPECT_EQ(ScreenPixel(11, 11), kYellow);
  EXPECT_EQ(ScreenPixel(20, 20), kBlack) << "the window shows beside a smaller picture";
  ClickAt(kLeft + 12, kTop + 12);
  EXPECT_EQ(pressed, 1);

  const Bytes broken = {'G', 'I', 'F', '8', '9', 'a', 1};
  box.SetPicture(broken);
  Pump(30);
  EXPECT_EQ(box.Picture(), broken);
  EXPECT_EQ(frames.FrameCount(), 0);
  EXPECT_EQ(ScreenPixel(11, 11), kBlack);

  // How many times the shown frame changes while the animation plays.
  auto changes_within = [&](const Bytes& gif, int ms) {
    box.SetPicture(gif);
    int changes = 0, last = frames.CurrentFrame();
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < static_cast<DWORD>(ms)) {
      Pump(5);
      if (frames.CurrentFrame() != last) {
        ++changes;
        last = frames.CurrentFrame();
      }
    }
    return changes;
  };
  EXPECT_EQ(ScreenPixel(11, 11), kBlack);
  EXPECT_EQ(changes_within(TinyGif({0, 1}, 3, -1), 400), 1) << "no loop count: plays once";
  EXPECT_EQ(frames.CurrentFrame(), 1) << "and stays on its last frame";
  EXPECT_EQ(ScreenPixel(11, 11), kBlue);
  EXPECT_EQ(changes_within(TinyGif({0, 1}, 3, 1), 500), 3) << "loop count 1: plays twice";
  EXPECT_GE(changes_within(TinyGif({0, 1}, 3, 0), 400), 5) << "loop count 0: plays on";
  box.SetPicture(TinyGif({0, 1}, 3, 0));
  Pump(10);
  EXPECT_EQ(frames.CurrentFrame(), 0) << "a new picture starts at its first frame";
  EXPECT_EQ(ScreenPixel(11, 11), kRed);
}

TEST_F(ShownWindowTest, TheColourPickerOpensTheColourDialog) {
  ColourPicker& picker =
      window_->AddColourPicker(Options("颜色选择器_边框颜色", Rect{100, 10, 140, 30}));
  picker.SetColour(0x00FF00);
  Pump(30);
  EXPECT_EQ(ScreenPixel(120, 20), kGreen);
  int chosen = 0;
  picker.onColourChosen = [&] { ++chosen; };
  {
    DialogAnswerer ok(L"", [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
    ClickAt(Centre(picker).x, Centre(picker).y);
    EXPECT_TRUE(PumpUntil([&] { return ok.Answered() && chosen > 0; }, 8000));
  }
  EXPECT_EQ(chosen, 1) << "the same colour confirmed counts";
  EXPECT_EQ(picker.GetColour(), 0x00FF00u);
  {
    DialogAnswerer cancel(L"", [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
    ClickAt(Centre(picker).x, Centre(picker).y);
    EXPECT_TRUE(PumpUntil([&] { return cancel.Answered(); }, 8000));
  }
  Pump(50);
  EXPECT_EQ(chosen, 1);
}

}  // namespace
}  // namespace platform::win32::testing
