#include "shell/commands.h"

#include <string>

#include "engine/recorder_state.h"
#include "engine/recording.h"
#include "gif/gif_writer.h"
#include "platform/current.h"
#include "selection/overlay.h"
#include "selection/window_picker.h"
#include "shell/about_text.h"
#include "shell/main_window.h"
#include "shell/status_texts.h"

namespace framelark {

namespace {

constexpr int kFlashPeriodMs = 300;

constexpr const char* kWatermarkCaption = "输入：";
constexpr const char* kWatermarkPrompt = "请输入水印文字信息,将在录像中随机颜色、位置出现！";
constexpr const char* kWatermarkInitialText = "请输入水印文字";

constexpr const char* kQuitUnsavedQuestion = "录制文件未保存,确定要退出吗？";

// What the last successful save wrote. The writer keeps its picture after a
// save (the save button may write it again), so "saved" means: no recording
// has started since, and the writer still holds the frames it held then (a
// capture tick that was under way at the stop may add one more).
struct SaveTracking {
  bool startedSinceSave = false;
  int savedFrames = 0;
};
SaveTracking g_tracking;

// How many of the commands wait in a modal dialog right now. A close request
// may still reach MainWindow meanwhile (the task bar); closing under a
// dialog would take the window away from the command waiting for the
// answer, so it is refused until the dialog is answered.
int g_modal_depth = 0;

class ModalStep {
 public:
  ModalStep() { ++g_modal_depth; }
  ~ModalStep() { --g_modal_depth; }
  ModalStep(const ModalStep&) = delete;
  ModalStep& operator=(const ModalStep&) = delete;
};

bool RecordingRuns() { return !Main().图形按钮_开始->Enabled(); }

// A mode radio button writes its hint when it is the checked one after the
// click; clicking the checked one again writes it again.
void ShowModeHint(const platform::RadioButton* radio, const char* hint) {
  if (radio->Checked()) Main().SetStatus(hint);
}

}  // namespace

void SaveRecording() {
  const ModalStep modal;
  MainWindow& w = Main();
  // The name field starts with the last confirmed path; a cancelled dialog
  // leaves that path as it was.
  std::string path = w.通用对话框.fileName;
  if (!platform::Current().SaveFileDialog(w.通用对话框.options, &path)) {
    w.SetStatus(kStatusNotSaved);
    return;
  }
  w.通用对话框.fileName = path;
  GifMaker& writer = Recorder().Writer;
  if (!GifSave(writer, path)) {
    // Nothing was written: the picture stays in the writer and the save
    // button, enabled after a stop, can write it elsewhere.
    w.SetStatus(kStatusSaveFailed);
    return;
  }
  g_tracking.startedSinceSave = false;
  g_tracking.savedFrames = writer.FrameCount();
  w.SetStatus(kStatusSaved);
}

void OnFullScreenModeClicked() { ShowModeHint(Main().单选框_全屏, kStatusFullScreenMode); }
void OnWindowModeClicked() { ShowModeHint(Main().单选框_窗口, kStatusPickWindow); }
void OnRegionModeClicked() { ShowModeHint(Main().单选框_区域, kStatusPickRegion); }
void OnFollowModeClicked() { ShowModeHint(Main().单选框_跟踪录制, kStatusPickRegion); }

void OnCrosshairPressed() {
  const ModalStep modal;
  MainWindow& w = Main();
  // 1. Region and follow modes: the overlay keeps this call until the user
  //    has confirmed the region.
  if (w.单选框_区域->Checked() || w.单选框_跟踪录制->Checked()) {
    OpenOverlayWindow();
    w.SetStatus(kStatusReadyToRecord);
  }
  // 2. Window mode: the outline starts hidden, so the picker returns at once
  //    and the hint shows while the user is still pointing at windows.
  if (w.单选框_窗口->Checked()) {
    w.时钟_闪烁->SetPeriod(kFlashPeriodMs);
    OpenOutlineWindow();
    w.SetStatus(kStatusReadyToRecord);
  }
  // 3. Full-screen mode needs no target: nothing to do.
}

void OnBorderColourChosen() { Recorder().BorderColor = Main().颜色选择器_边框颜色->GetColour(); }

void OnWatermarkClicked() {
  MainWindow& w = Main();
  RecorderState& r = Recorder();
  // Unchecking keeps the text; no watermark is drawn while the box is off.
  if (!w.选择框_水印->Checked()) return;
  const ModalStep modal;
  platform::InputBoxSpec options;
  options.caption = kWatermarkCaption;
  options.prompt = kWatermarkPrompt;
  options.initialText = kWatermarkInitialText;
  std::string text = r.WatermarkText.Get();
  if (platform::Current().InputBox(options, &text)) {
    r.WatermarkText.Set(text);  // as typed: the untouched initial text, or empty
  } else {
    w.选择框_水印->SetChecked(false);
    r.WatermarkText.Set("");
  }
}

void OnAboutClicked() {
  const ModalStep modal;
  platform::Current().ShowMessage(AboutText());
}

void OnStartClicked() {
  {
    const ModalStep modal;  // a refused start shows its message box
    StartRecording();
  }
  // A start without a target is refused and leaves the button enabled.
  if (RecordingRuns()) g_tracking.startedSinceSave = true;
}

bool HasUnsavedRecording() {
  if (RecordingRuns()) return true;
  const GifMaker& writer = Recorder().Writer;
  if (!writer.HasPicture() || writer.FrameCount() == 0) return false;
  return g_tracking.startedSinceSave || writer.FrameCount() != g_tracking.savedFrames;
}

bool AllowClose() {
  if (g_modal_depth > 0) return false;
  if (!HasUnsavedRecording()) return true;
  // Asked once per close; No leaves the window and the recording as they are.
  const ModalStep modal;
  return platform::Current().AskYesNo(kQuitUnsavedQuestion);
}

void ResetCommandsForTests() { g_tracking = SaveTracking{}; }

}  // namespace framelark
