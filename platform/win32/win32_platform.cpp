#include "platform/win32/win32_platform.h"

#include <commctrl.h>

#include <algorithm>
#include <thread>

#include "platform/win32/text.h"
#include "platform/win32/window.h"

namespace platform::win32 {
namespace {

Win32Platform* g_platform = nullptr;

constexpr const wchar_t* kTaskWindowClass = L"FramelarkTasks";

LRESULT CALLBACK TaskWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kTasksMessage && g_platform != nullptr) {
    g_platform->RunPostedTasks();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK MouseHookTrampoline(int code, WPARAM wparam, LPARAM lparam) {
  if (g_platform == nullptr) return CallNextHookEx(nullptr, code, wparam, lparam);
  return g_platform->OnMouseHook(code, wparam, lparam);
}

class StdThread : public Thread {
 public:
  explicit StdThread(std::function<void()> body) : thread_(std::move(body)) {}
  ~StdThread() override { Join(); }
  void Join() override {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};

HWND Hwnd(NativeHandle handle) { return reinterpret_cast<HWND>(handle); }

}  // namespace

Win32Platform::Win32Platform(HINSTANCE instance)
    : instance_(instance), gui_thread_(GetCurrentThreadId()) {
  g_platform = this;
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  RegisterClasses();
  task_window_ = CreateWindowExW(0, kTaskWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance_, nullptr);
}

Win32Platform::~Win32Platform() {
  for (const Hook& hook : hooks_) UnhookWindowsHookEx(hook.handle);
  if (task_window_ != nullptr) DestroyWindow(task_window_);
  if (g_platform == this) g_platform = nullptr;
}

Win32Platform* Win32Platform::Get() { return g_platform; }

void Win32Platform::RegisterClasses() {
  HICON icon = static_cast<HICON>(
      LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  HICON small_icon = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), 0));

  WNDCLASSEXW window{};
  window.cbSize = sizeof(window);
  window.lpfnWndProc = TopLevelWindowProc;
  window.hInstance = instance_;
  window.hIcon = icon;
  window.hIconSm = small_icon;
  window.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window.lpszClassName = kWindowClass;
  RegisterClassExW(&window);

  WNDCLASSEXW child{};
  child.cbSize = sizeof(child);
  child.lpfnWndProc = ObjectWindowProc;
  child.hInstance = instance_;
  child.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  for (const wchar_t* name :
       {kPictureButtonClass, kLabelClass, kPictureBoxClass, kColourPickerClass, kCanvasClass}) {
    child.lpszClassName = name;
    RegisterClassExW(&child);
  }

  WNDCLASSEXW tasks{};
  tasks.cbSize = sizeof(tasks);
  tasks.lpfnWndProc = TaskWindowProc;
  tasks.hInstance = instance_;
  tasks.lpszClassName = kTaskWindowClass;
  RegisterClassExW(&tasks);
}

// --- program ---------------------------------------------------------------

void Win32Platform::EnterProgramFolder() {
  std::wstring path(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return;
  path.resize(length);
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return;
  path.resize(slash == 2 && path[1] == L':' ? slash + 1 : slash);  // keep "C:\"
  SetCurrentDirectoryW(path.c_str());
}

void Win32Platform::RegisterExitRoutine(void (*routine)()) { exit_routine_ = routine; }

void Win32Platform::RunExitRoutine() {
  auto routine = exit_routine_;
  exit_routine_ = nullptr;
  if (routine != nullptr) routine();
}

Bytes Win32Platform::EmbeddedPicture(const std::string& name) {
  const std::wstring wide = Widen(name);
  if (wide.empty()) return {};
  HRSRC resource = FindResourceW(instance_, wide.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (resource == nullptr) return {};
  HGLOBAL loaded = LoadResource(instance_, resource);
  const DWORD size = SizeofResource(instance_, resource);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr || size == 0) return {};
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  return Bytes(bytes, bytes + size);
}

// --- windows and the message loop --------------------------------------------

std::unique_ptr<Window> Win32Platform::NewWindow(const WindowSpec& options) {
  auto window = std::make_unique<Win32Window>(*this, options);
  if (!window->Create()) return nullptr;
  return window;
}

void Win32Platform::WindowCreated(HWND hwnd) { windows_.push_back(hwnd); }

void Win32Platform::WindowGone(HWND hwnd) {
  auto it = std::find(windows_.begin(), windows_.end(), hwnd);
  if (it == windows_.end()) return;
  windows_.erase(it);
  if (windows_.empty()) PostQuitMessage(0);
}

bool Win32Platform::IsProgramWindow(HWND hwnd) const {
  return hwnd != nullptr && std::find(windows_.begin(), windows_.end(), hwnd) != windows_.end();
}

HWND Win32Platform::ActiveProgramWindow() const {
  HWND active = GetActiveWindow();
  if (IsProgramWindow(active)) return active;
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if (IsWindowVisible(*it) && IsWindowEnabled(*it)) return *it;
  }
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if (IsWindowVisible(*it)) return *it;
  }
  return nullptr;
}

void Win32Platform::ShowStartWindow(Window& window) {
  auto& own = static_cast<Win32Window&>(window);
  own.Show(true);
  if (own.hwnd() != nullptr) {
    UpdateWindow(own.hwnd());
    SetForegroundWindow(own.hwnd());
  }
}

void Win32Platform::Dispatch(MSG& msg) {
  // Keys pressed in a control count as keys pressed in its window.
  if (msg.message == WM_KEYDOWN && msg.hwnd != nullptr) {
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (root != msg.hwnd && IsProgramWindow(root)) {
      auto* object = reinterpret_cast<WindowObject*>(GetWindowLongPtrW(root, GWLP_USERDATA));
      if (object != nullptr) {
        static_cast<Win32Window*>(object)->KeyDownInControl(static_cast<int>(msg.wParam));
      }
    }
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

int Win32Platform::RunMessageLoop() {
  if (windows_.empty()) return 0;
  MSG msg;
  for (;;) {
    const BOOL result = GetMessageW(&msg, nullptr, 0, 0);
    if (result == 0) return static_cast<int>(msg.wParam);
    if (result == -1) return -1;
    Dispatch(msg);
  }
}

void Win32Platform::RunDialog(Window& dialog, Window& owner) {
  auto& own_dialog = static_cast<Win32Window&>(dialog);
  auto& own_owner = static_cast<Win32Window&>(owner);
  HWND dialog_hwnd = own_dialog.hwnd();
  if (dialog_hwnd == nullptr) return;
  own_dialog.BecomeDialogOf(own_owner.hwnd());
  if (!own_dialog.Options().visible) return;  // the owner is enabled again when it is destroyed
  own_dialog.Show(true);
  SetForegroundWindow(dialog_hwnd);
  MSG msg;
  while (IsProgramWindow(dialog_hwnd)) {
    const BOOL result = GetMessageW(&msg, nullptr, 0, 0);
    if (result == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
      return;
    }
    if (result == -1) return;
    Dispatch(msg);
  }
}

void Win32Platform::PostToGuiThread(std::function<void()> task) {
  bool was_empty;
  {
    std::lock_guard<std::mutex> lock(tasks_mutex_);
    was_empty = tasks_.empty();
    tasks_.push_back(std::move(task));
  }
  // One message wakes the GUI thread for everything queued until it runs.
  if (was_empty) PostMessageW(task_window_, kTasksMessage, 0, 0);
}

void Win32Platform::RunPostedTasks() {
  std::deque<std::function<void()>> tasks;
  {
    std::lock_guard<std::mutex> lock(tasks_mutex_);
    tasks.swap(tasks_);
  }
  for (auto& task : tasks) {
    if (task) task();
  }
}

std::unique_ptr<Thread> Win32Platform::StartThread(std::function<void()> body) {
  return std::make_unique<StdThread>(std::move(body));
}

// --- mouse hook --------------------------------------------------------------

NativeHandle Win32Platform::InstallMouseHook(MouseHookProcFn proc) {
  HHOOK hook = SetWindowsHookExW(WH_MOUSE_LL, MouseHookTrampoline, GetModuleHandleW(nullptr), 0);
  if (hook == nullptr) return 0;
  hooks_.push_back(Hook{hook, std::make_shared<MouseHookProcFn>(std::move(proc))});
  return reinterpret_cast<NativeHandle>(hook);
}

bool Win32Platform::RemoveMouseHook(NativeHandle hook) {
  if (hook == 0) return false;
  auto it = std::find_if(hooks_.begin(), hooks_.end(), [&](const Hook& entry) {
    return reinterpret_cast<NativeHandle>(entry.handle) == hook;
  });
  if (it == hooks_.end()) return false;
  hooks_.erase(it);
  return UnhookWindowsHookEx(reinterpret_cast<HHOOK>(hook)) != FALSE;
}

std::intptr_t Win32Platform::CallNextHook(NativeHandle hook, int code, std::uintptr_t message,
                                          std::intptr_t details) {
  return CallNextHookEx(reinterpret_cast<HHOOK>(hook), code, static_cast<WPARAM>(message),
                        static_cast<LPARAM>(details));
}

LRESULT Win32Platform::OnMouseHook(int code, WPARAM wparam, LPARAM lparam) {
  // Windows calls the newest hook first; each hook that passes the event on
  // (CallNextHook) leads to the next older one, one level deeper.
  const int index = static_cast<int>(hooks_.size()) - 1 - hook_depth_;
  if (index < 0) return CallNextHookEx(nullptr, code, wparam, lparam);
  std::shared_ptr<MouseHookProcFn> proc = hooks_[index].proc;
  ++hook_depth_;
  LRESULT result = 0;
  if (*proc) {
    result = static_cast<LRESULT>(
        (*proc)(code, static_cast<std::uintptr_t>(wparam), static_cast<std::intptr_t>(lparam)));
  } else {
    result = CallNextHookEx(nullptr, code, wparam, lparam);
  }
  --hook_depth_;
  return result;
}

// --- hot keys ----------------------------------------------------------------

bool Win32Platform::RegisterSystemHotKey(Window& window, int id, unsigned modifiers, unsigned key) {
  HWND hwnd = static_cast<Win32Window&>(window).hwnd();
  if (hwnd == nullptr) return false;
  return RegisterHotKey(hwnd, id, modifiers, key) != FALSE;
}

bool Win32Platform::UnregisterSystemHotKey(Window& window, int id) {
  HWND hwnd = static_cast<Win32Window&>(window).hwnd();
  if (hwnd == nullptr) return false;
  return UnregisterHotKey(hwnd, id) != FALSE;
}

// --- windows of any program ----------------------------------------------------

Size Win32Platform::ScreenSize() {
  return Size{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

Point Win32Platform::CursorPos() {
  POINT p{};
  if (!GetCursorPos(&p)) return Point{};
  return Point{p.x, p.y};
}

bool Win32Platform::WindowRect(NativeHandle window, Rect* rect) {
  HWND hwnd = Hwnd(window);
  RECT r;
  if (hwnd == nullptr || !IsWindow(hwnd) || !GetWindowRect(hwnd, &r)) return false;
  *rect = Rect{r.left, r.top, r.right, r.bottom};
  return true;
}

NativeHandle Win32Platform::WindowFromPoint(Point p) {
  return reinterpret_cast<NativeHandle>(::WindowFromPoint(POINT{p.x, p.y}));
}

NativeHandle Win32Platform::ParentWindow(NativeHandle window) {
  HWND hwnd = Hwnd(window);
  if (hwnd == nullptr) return 0;
  return reinterpret_cast<NativeHandle>(GetParent(hwnd));
}

NativeHandle Win32Platform::NextSibling(NativeHandle window) {
  HWND hwnd = Hwnd(window);
  if (hwnd == nullptr) return 0;
  return reinterpret_cast<NativeHandle>(GetWindow(hwnd, GW_HWNDNEXT));
}

bool Win32Platform::WindowVisible(NativeHandle window) {
  HWND hwnd = Hwnd(window);
  return hwnd != nullptr && IsWindowVisible(hwnd) != FALSE;
}

}  // namespace platform::win32
