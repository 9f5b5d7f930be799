#include "shell/main_window.h"

#include "engine/mouse_hook.h"
#include "engine/recording.h"
#include "platform/current.h"
#include "selection/window_picker.h"
#include "shell/commands.h"
#include "shell/hotkey_feedback.h"
#include "shell/program.h"

namespace framelark {

namespace {

using K = ControlKind;

std::unique_ptr<MainWindow> g_main;

platform::Bytes Picture(const std::string& name) {
  return platform::Current().EmbeddedPicture(name);
}

platform::ControlSpec SpecOf(const ControlRow& row) {
  platform::ControlSpec options;
  options.name = row.name;
  options.place = platform::Rect{row.left, row.top, row.left + row.width, row.top + row.height};
  options.enabled = row.enabled;
  options.visible = row.visible;
  options.checked = row.checked;
  return options;
}

platform::ButtonPictures ButtonPicturesOf(const std::string& stem) {
  platform::ButtonPictures pictures;
  pictures.normal = Picture(stem + "_normal.gif");
  pictures.hover = Picture(stem + "_hover.gif");
  pictures.disabled = Picture(stem + "_disabled.gif");
  return pictures;  // no button has a pressed picture: pressing shows the normal one
}

// Creates one control of the table and stores it in its member.
void AddControl(MainWindow& w, const ControlRow& row) {
  platform::Window& form = *w.form;
  const platform::ControlSpec options = SpecOf(row);
  const std::string name = row.name;
  switch (row.kind) {
    case K::PictureButton: {
      platform::PictureButton& button = form.AddPictureButton(options);
      button.SetPictures(ButtonPicturesOf(row.pictures));
      if (name == "图形按钮_开始") w.图形按钮_开始 = &button;
      if (name == "图形按钮_停止") w.图形按钮_停止 = &button;
      if (name == "图形按钮_保存") w.图形按钮_保存 = &button;
      if (name == "图形按钮_关于") w.图形按钮_关于 = &button;
      if (name == "图形按钮_最小化") w.图形按钮_最小化 = &button;
      if (name == "图形按钮_关闭") w.图形按钮_关闭 = &button;
      break;
    }
    case K::PictureBox:
      w.图片框_准心 = &form.AddPictureBox(options);
      w.图片框_准心->SetPicture(Picture("crosshair_idle.gif"));
      break;
    case K::TransparentLabel: {
      w.标签_信息提示 = &form.AddLabel(options);
      platform::LabelStyle style;
      style.textColour = kStatusTextColour;
      style.transparent = true;
      style.rightAligned = true;
      w.标签_信息提示->SetStyle(style);
      break;
    }
    case K::RadioButton: {
      platform::RadioButton& radio = form.AddRadioButton(options);
      if (name == "单选框_全屏") w.单选框_全屏 = &radio;
      if (name == "单选框_窗口") w.单选框_窗口 = &radio;
      if (name == "单选框_区域") w.单选框_区域 = &radio;
      if (name == "单选框_跟踪录制") w.单选框_跟踪录制 = &radio;
      break;
    }
    case K::CheckBox:
      w.选择框_水印 = &form.AddCheckBox(options);
      break;
    case K::ColourPicker:
      w.颜色选择器_边框颜色 = &form.AddColourPicker(options);
      break;
    case K::Canvas: {
      w.画板_截图中转 = &form.AddCanvas(options);
      platform::CanvasStyle style;
      style.backColour = kFrameCanvasBackColour;
      style.penColour = kFrameCanvasPenColour;
      style.penWidth = kFrameCanvasPenWidth;
      style.textColour = kFrameCanvasTextColour;
      style.keepsDrawing = true;
      w.画板_截图中转->SetStyle(style);
      break;
    }
    case K::Label:
      w.标签 = &form.AddLabel(options);
      break;
  }
}

void BindHandlers(MainWindow& w) {
  w.图形按钮_开始->onClicked = OnStartClicked;
  w.图形按钮_停止->onClicked = StopRecording;
  w.图形按钮_保存->onClicked = SaveRecording;
  w.图形按钮_关于->onClicked = OnAboutClicked;
  w.图形按钮_最小化->onClicked = OnMinimiseClicked;
  w.图形按钮_关闭->onClicked = OnCloseClicked;
  w.图片框_准心->onLeftPressed = OnCrosshairPressed;
  w.单选框_全屏->onClicked = OnFullScreenModeClicked;
  w.单选框_窗口->onClicked = OnWindowModeClicked;
  w.单选框_区域->onClicked = OnRegionModeClicked;
  w.单选框_跟踪录制->onClicked = OnFollowModeClicked;
  w.选择框_水印->onClicked = OnWatermarkClicked;
  w.颜色选择器_边框颜色->onColourChosen = OnBorderColourChosen;
  w.时钟_截图->onTick = OnCaptureTimer;
  w.时钟_闪烁->onTick = OnFlashTimer;
  w.时钟_检测鼠标->onTick = OnMouseCheckTimer;
  w.标签->onFeedback = OnHotkeyFeedback;

  w.form->onBackgroundLeftDown = OnMainWindowBackgroundPressed;
  w.form->onCloseRequested = [] {
    if (!AllowClose()) return false;
    ShutdownRecorder();
    return true;
  };
  w.form->onDestroying = ShutdownRecorder;
}

}  // namespace

const std::vector<ControlRow>& MainWindowControls() {
  //                  name                 kind                left top   w   h  enabled visible
  //                  checked pictures
  static const std::vector<ControlRow> rows = {
      {"图形按钮_开始", K::PictureButton, 74, 75, 61, 27, true, true, false, "start"},
      {"图形按钮_停止", K::PictureButton, 138, 75, 61, 27, false, true, false, "stop"},
      {"图形按钮_保存", K::PictureButton, 201, 75, 61, 27, false, true, false, "save"},
      {"图形按钮_关于", K::PictureButton, 265, 75, 61, 27, true, true, false, "about"},
      {"图形按钮_最小化", K::PictureButton, 286, 8, 15, 15, true, true, false, "minimise"},
      {"图形按钮_关闭", K::PictureButton, 306, 8, 15, 15, true, true, false, "close"},
      {"图片框_准心", K::PictureBox, 16, 75, 52, 52, true, true, false, nullptr},
      {"标签_信息提示", K::TransparentLabel, 75, 114, 249, 12, true, true, false, nullptr},
      {"单选框_全屏", K::RadioButton, 8, 139, 12, 12, true, true, true, nullptr},
      {"单选框_窗口", K::RadioButton, 75, 139, 12, 12, true, true, false, nullptr},
      {"单选框_区域", K::RadioButton, 143, 139, 12, 12, true, true, false, nullptr},
      {"单选框_跟踪录制", K::RadioButton, 212, 140, 12, 12, true, true, false, nullptr},
      {"选择框_水印", K::CheckBox, 282, 139, 12, 12, true, true, false, nullptr},
      {"颜色选择器_边框颜色", K::ColourPicker, 236, 7, 35, 16, true, true, false, nullptr},
      // Hidden under the crosshair box; StartRecording gives it the frame size.
      {"画板_截图中转", K::Canvas, 16, 75, 50, 50, true, false, false, nullptr},
      {"标签", K::Label, 30, 92, 24, 24, true, false, false, nullptr},
  };
  return rows;
}

const std::vector<const char*>& MainWindowTimers() {
  static const std::vector<const char*> timers = {"时钟_截图", "时钟_闪烁", "时钟_检测鼠标"};
  return timers;
}

bool LoadMainWindow() {
  platform::Platform& p = platform::Current();
  const platform::Size screen = p.ScreenSize();

  platform::WindowSpec options;
  options.title = kMainWindowTitle;
  options.size = platform::Size{kMainWindowWidth, kMainWindowHeight};
  // Centred by integer division: on a screen narrower than the window the
  // left edge is negative.
  options.position = platform::Point{(screen.width - kMainWindowWidth) / 2,
                                     (screen.height - kMainWindowHeight) / 2};
  options.frameless = true;
  options.topmost = false;
  options.taskbar = true;
  options.visible = true;
  options.backColour = 0;  // black under the skin
  options.icon = Picture("framelark.ico");

  auto w = std::make_unique<MainWindow>();
  w->form = p.NewWindow(options);
  if (!w->form) return false;
  w->form->SetBackgroundPicture(Picture("skin.gif"));
  for (const ControlRow& row : MainWindowControls()) AddControl(*w, row);
  w->时钟_截图 = &w->form->AddTimer("时钟_截图");
  w->时钟_闪烁 = &w->form->AddTimer("时钟_闪烁");
  w->时钟_检测鼠标 = &w->form->AddTimer("时钟_检测鼠标");

  w->通用对话框.options.title = "保存录象图片";
  w->通用对话框.options.filterName = "GIF图片(*.gif)";
  w->通用对话框.options.filterPattern = "*.gif";
  w->通用对话框.options.defaultExtension = "gif";

  g_main = std::move(w);
  BindHandlers(*g_main);
  OnMainWindowCreated();
  return true;
}

void UnloadMainWindow() { g_main.reset(); }

MainWindow& Main() { return *g_main; }

bool MainWindowExists() { return g_main != nullptr; }

void OnMainWindowBackgroundPressed() { Main().form->BeginDrag(); }

void OnMinimiseClicked() { Main().form->SetState(platform::WindowState::Minimised); }

void OnCloseClicked() {
  if (!AllowClose()) return;
  Main().form->Destroy();
}

}  // namespace framelark
