// Every text the status line 标签_信息提示 shows. Each write replaces the
// whole line; the texts are the program's own words, kept here in one place
// for the parts that write them and for the tests that read them.
#pragma once

#include <string>

namespace framelark {

// The first text, written when MainWindow has been created, is
// kWelcomeStatus in shell/program.h.

// The mode radio buttons.
inline constexpr const char* kStatusFullScreenMode = "全屏录制模式！";
inline constexpr const char* kStatusPickWindow = "请点击十字图形选择录制窗口！";
inline constexpr const char* kStatusPickRegion = "请点击十字图形选择录制区域！";

// The crosshair: a region was chosen, or the window picker is open.
inline constexpr const char* kStatusReadyToRecord = "[F2]进行录制！";

// A start without a target (followed by kMessageNoTarget in a message box).
inline constexpr const char* kStatusNoRegion = "请选择录制区域！";
inline constexpr const char* kStatusNoWindow = "请选择录制窗口！";
inline constexpr const char* kMessageNoTarget = "请选择录制区域,点击十字图形进行选择！";

// A frame was added, or a tick found the recording paused.
inline std::string RecordingStatus(int frames) {
  return "[录制状态][F2]停止 [F3]暂停 [已录制" + std::to_string(frames) + "帧]";
}
inline std::string PausedStatus(int frames) {
  return "[暂停状态][F2]停止 [F3]继续 [已录制" + std::to_string(frames) + "帧]";
}

// The end of a recording and the save dialog's outcome.
inline constexpr const char* kStatusRecordingFinished = "录制完毕,请注意保存文件！";
inline constexpr const char* kStatusSaved = "文件已保存！";
inline constexpr const char* kStatusNotSaved = "录制文件未保存,请注意保存！";
inline constexpr const char* kStatusSaveFailed = "文件保存失败,请重新保存！";

}  // namespace framelark
