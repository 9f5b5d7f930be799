// The Win32 backend: the program's windows, message loop, screen, hooks, hot
// keys and dialogs on Windows.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform::win32 {

class Win32Platform : public Platform {
 public:
  explicit Win32Platform(HINSTANCE instance);
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  // The platform of the process (there is one at a time).
  static Win32Platform* Get();

  void EnterProgramFolder() override;
  void RegisterExitRoutine(void (*routine)()) override;
  Bytes EmbeddedPicture(const std::string& name) override;

  std::unique_ptr<Window> NewWindow(const WindowSpec& options) override;
  void ShowStartWindow(Window& window) override;
  int RunMessageLoop() override;
  void RunDialog(Window& dialog, Window& owner) override;
  void PostToGuiThread(std::function<void()> task) override;
  std::unique_ptr<Thread> StartThread(std::function<void()> body) override;

  Size ScreenSize() override;
  Bytes GrabScreen(const Rect& rect) override;
  Point CursorPos() override;
  bool WindowRect(NativeHandle window, Rect* rect) override;
  NativeHandle WindowFromPoint(Point p) override;
  NativeHandle ParentWindow(NativeHandle window) override;
  NativeHandle NextSibling(NativeHandle window) override;
  bool WindowVisible(NativeHandle window) override;

  NativeHandle InstallMouseHook(MouseHookProcFn proc) override;
  bool RemoveMouseHook(NativeHandle hook) override;
  std::intptr_t CallNextHook(NativeHandle hook, int code, std::uintptr_t message,
                             std::intptr_t details) override;

  bool RegisterSystemHotKey(Window& window, int id, unsigned modifiers, unsigned key) override;
  bool UnregisterSystemHotKey(Window& window, int id) override;

  void ShowMessage(const std::string& text, const std::string& caption) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  bool InputBox(const InputBoxSpec& options, std::string* text) override;
  bool SaveFileDialog(const SaveDialogSpec& options, std::string* path) override;
  bool ChooseColour(Colour* colour) override;

  // --- for the entry point
  // Runs the routine given to RegisterExitRoutine, once.
  void RunExitRoutine();

  // --- for the windows
  HINSTANCE Instance() const { return instance_; }
  bool OnGuiThread() const { return GetCurrentThreadId() == gui_thread_; }
  void WindowCreated(HWND hwnd);
  // A top-level window of the program is gone; the loop ends with the last.
  void WindowGone(HWND hwnd);
  bool IsProgramWindow(HWND hwnd) const;
  // The program window the user works in now (for owning dialogs).
  HWND ActiveProgramWindow() const;
  // One message of any of the program's loops.
  void Dispatch(MSG& msg);
  void RunPostedTasks();
  // The low-level mouse hook procedure.
  LRESULT OnMouseHook(int code, WPARAM wparam, LPARAM lparam);

 private:
  void RegisterClasses();
  UINT MessageBoxBand() const;

  HINSTANCE instance_;
  DWORD gui_thread_;
  HWND task_window_ = nullptr;
  void (*exit_routine_)() = nullptr;
  std::vector<HWND> windows_;

  std::mutex tasks_mutex_;
  std::deque<std::function<void()>> tasks_;

  struct Hook {
    HHOOK handle;
    std::shared_ptr<MouseHookProcFn> proc;
  };
  std::vector<Hook> hooks_;  // newest last
  int hook_depth_ = 0;       // which hook of the chain Windows is calling
};

}  // namespace platform::win32
