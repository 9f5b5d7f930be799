// MainWindow: the one window the user works with between recordings. A
// fixed-size, frameless, skinned window with picture buttons, the mode radio
// buttons, the watermark box, the colour picker, the crosshair box and the
// status line, plus invisible parts other subsystems use: three timers, the
// frame canvas, the hot-key receiver and the save dialog's settings.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace framelark {

inline constexpr const char* kMainWindowTitle = "[Quellor] Framelark";
inline constexpr int kMainWindowWidth = 332;
inline constexpr int kMainWindowHeight = 167;

enum class ControlKind {
  PictureButton,
  PictureBox,
  TransparentLabel,
  RadioButton,
  CheckBox,
  ColourPicker,
  Canvas,
  Label,
};

// One row of the control table: what the window builder creates and what
// the tests check.
struct ControlRow {
  const char* name;
  ControlKind kind;
  int left, top, width, height;
  bool enabled;
  bool visible;
  bool checked;
  // Picture buttons: the file-name stem of their pictures ("start" gives
  // start_normal.gif, start_hover.gif, start_disabled.gif when present).
  const char* pictures;
};

const std::vector<ControlRow>& MainWindowControls();
// The three timers, all stopped at start.
const std::vector<const char*>& MainWindowTimers();

// The status line's colour: a dark gold.
inline constexpr platform::Colour kStatusTextColour = 0xC6D8D;

// The frame canvas's settings: every frame is composed on it.
inline constexpr platform::Colour kFrameCanvasBackColour = 0x606060;
inline constexpr platform::Colour kFrameCanvasPenColour = 0x0000FF;
inline constexpr int kFrameCanvasPenWidth = 2;
inline constexpr platform::Colour kFrameCanvasTextColour = 0xFFFF00;

// The save dialog 通用对话框: its settings and the path the user chose last
// (offered again at the next opening).
struct SaveDialog {
  platform::SaveDialogSpec options;
  std::string fileName;
};

struct MainWindow {
  std::unique_ptr<platform::Window> form;

  platform::PictureButton* 图形按钮_开始 = nullptr;
  platform::PictureButton* 图形按钮_停止 = nullptr;
  platform::PictureButton* 图形按钮_保存 = nullptr;
  platform::PictureButton* 图形按钮_关于 = nullptr;
  platform::PictureButton* 图形按钮_最小化 = nullptr;
  platform::PictureButton* 图形按钮_关闭 = nullptr;
  platform::PictureBox* 图片框_准心 = nullptr;
  platform::Label* 标签_信息提示 = nullptr;
  platform::RadioButton* 单选框_全屏 = nullptr;
  platform::RadioButton* 单选框_窗口 = nullptr;
  platform::RadioButton* 单选框_区域 = nullptr;
  platform::RadioButton* 单选框_跟踪录制 = nullptr;
  platform::CheckBox* 选择框_水印 = nullptr;
  platform::ColourPicker* 颜色选择器_边框颜色 = nullptr;
  platform::Timer* 时钟_截图 = nullptr;
  platform::Timer* 时钟_闪烁 = nullptr;
  platform::Timer* 时钟_检测鼠标 = nullptr;
  platform::Canvas* 画板_截图中转 = nullptr;
  platform::Label* 标签 = nullptr;
  SaveDialog 通用对话框;

  // Writes the status line; every write replaces the whole text.
  void SetStatus(const std::string& text) const { 标签_信息提示->SetText(text); }
};

// Creates MainWindow with its controls and pictures, binds every event to its
// handler and runs the created event. The window is not shown yet.
// Returns false when the window could not be created.
bool LoadMainWindow();
// Drops the window object once the message loop has ended.
void UnloadMainWindow();
// The main window between LoadMainWindow and UnloadMainWindow.
MainWindow& Main();
bool MainWindowExists();

// The window's own handlers.
void OnMainWindowBackgroundPressed();  // drag by the background
void OnMinimiseClicked();
void OnCloseClicked();

}  // namespace framelark
