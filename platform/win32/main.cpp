// The entry point of framelark.exe.
#include <windows.h>

#include "platform/current.h"
#include "platform/win32/win32_platform.h"
#include "shell/program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  platform::win32::Win32Platform platform(instance);
  platform::SetCurrent(&platform);
  const int code = framelark::RunProgram();
  if (code == -1) {
    // The main window could not be made: nothing ran that needs ending.
    MessageBoxW(nullptr, L"程序无法创建主窗口，即将退出。", L"错误", MB_OK | MB_ICONERROR);
    return code;
  }
  platform.RunExitRoutine();
  return code;
}
