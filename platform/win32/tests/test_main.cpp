// The test run: one Win32 platform for all tests, as in the program.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/current.h"
#include "platform/win32/tests/test_support.h"

namespace platform::win32::testing {
namespace {
Win32Platform* g_platform = nullptr;
}

Win32Platform& TestPlatform() { return *g_platform; }

void Pump(int ms) {
  PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& done, int timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;  // left by windows destroyed in a test
      g_platform->Dispatch(msg);
    }
    if (done()) return true;
    if (GetTickCount() - start >= static_cast<DWORD>(timeout_ms)) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

HWND Hwnd(NativeHandle handle) { return reinterpret_cast<HWND>(handle); }

WindowSpec SpecAt(const Rect& place, Colour back) {
  WindowSpec options;
  options.title = "Framelark backend test";
  options.position = Point{place.left, place.top};
  options.size = Size{place.Width(), place.Height()};
  options.frameless = true;
  options.topmost = true;
  options.taskbar = false;
  options.backColour = back;
  return options;
}

std::unique_ptr<Window> OpenWindow(const WindowSpec& options, bool show) {
  auto window = TestPlatform().NewWindow(options);
  if (window && show) {
    window->SetVisible(true);
    UpdateWindow(Hwnd(window->Handle()));
    Pump(30);
  }
  return window;
}

Bytes SolidBitmap(int width, int height, std::uint32_t pixel) {
  return framelark::WriteBitmapFile(framelark::PixelImage(width, height, pixel));
}

framelark::PixelImage Pixels(const Bytes& bitmap_file) {
  auto image = framelark::ReadBitmapFile(bitmap_file);
  return image ? *image : framelark::PixelImage();
}

framelark::PixelImage ScreenPixels(const Rect& rect) {
  return Pixels(TestPlatform().GrabScreen(rect));
}

namespace {
void SendMouse(DWORD flags, int x = 0, int y = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  if (flags & MOUSEEVENTF_ABSOLUTE) {
    input.mi.dx = static_cast<LONG>((x * 65535.0) / (GetSystemMetrics(SM_CXSCREEN) - 1) + 0.5);
    input.mi.dy = static_cast<LONG>((y * 65535.0) / (GetSystemMetrics(SM_CYSCREEN) - 1) + 0.5);
  }
  SendInput(1, &input, sizeof(INPUT));
}
}  // namespace

void MouseTo(int x, int y) {
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
  Pump(30);
  SetCursorPos(x, y);
  Pump(30);
}
void LeftDown() {
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  Pump(30);
}
void LeftUp() {
  SendMouse(MOUSEEVENTF_LEFTUP);
  Pump(30);
}
void ClickAt(int x, int y) {
  MouseTo(x, y);
  LeftDown();
  LeftUp();
}

struct DialogAnswerer::State {
  std::wstring title;
  std::function<void(HWND)> act;
  std::atomic<bool> answered{false};
  std::atomic<bool> stop{false};
  std::thread thread;
};

namespace {
struct Search {
  const std::wstring* title;
  HWND found;
};
BOOL CALLBACK FindDialog(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t text[256] = {};
  if (search->title->empty()) {
    GetClassNameW(hwnd, text, 256);
    if (std::wstring(text) != L"#32770") return TRUE;
  } else {
    GetWindowTextW(hwnd, text, 256);
    if (*search->title != text) return TRUE;
  }
  search->found = hwnd;
  return FALSE;
}
}  // namespace

DialogAnswerer::DialogAnswerer(std::wstring title, std::function<void(HWND)> act)
    : state_(std::make_shared<State>()) {
  state_->title = std::move(title);
  state_->act = std::move(act);
  state_->thread = std::thread([state = state_] {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!state->stop && std::chrono::steady_clock::now() < end) {
      Search search{&state->title, nullptr};
      EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
      if (search.found != nullptr) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // let it settle
        state->act(search.found);
        state->answered = true;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
}

DialogAnswerer::~DialogAnswerer() {
  state_->stop = true;
  if (state_->thread.joinable()) state_->thread.join();
}

// Asked once the dialog has closed: the answering thread may still be between
// its answer and noting it, so wait for it to end (it stops by itself).
bool DialogAnswerer::Answered() const {
  if (state_->thread.joinable()) state_->thread.join();
  return state_->answered;
}

}  // namespace platform::win32::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  platform::win32::Win32Platform platform(GetModuleHandleW(nullptr));
  platform::SetCurrent(&platform);
  platform::win32::testing::g_platform = &platform;
  return RUN_ALL_TESTS();
}
