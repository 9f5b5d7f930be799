// flanimate: a window whose content changes every period (100 ms unless told),
// for recordings to capture. Frame n shows:
//   - the whole client area in kPalette[n % 8],
//   - a black bar, a tenth of the width wide, at x = (n % 20) * width / 20,
//   - "frame n" in black on white at the top left.
// So a single pixel away from the bar and the label tells n % 8.
//
// flanimate [--title TITLE] [--pos X Y W H] [--period MS] [--lifetime MS] [--caption]
//   --title     window title (default "Framelark Animate")
//   --pos       window rect on the screen (default 40 40 320 240)
//   --period    ms per frame; 0 keeps frame 0 for good (default 100)
//   --lifetime  closes itself after this many ms (default 600000), so that a
//               forgotten window never outlives a test run for long
//   --caption   a normal captioned, sizeable window instead of a bare popup
// Exit code 0 when closed.

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

constexpr COLORREF kPalette[8] = {
    RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(0, 0, 255),   RGB(255, 255, 0),
    RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 128, 0), RGB(128, 0, 255),
};
constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT_PTR kLifetimeTimer = 2;

struct Options {
  std::wstring title = L"Framelark Animate";
  int x = 40;
  int y = 40;
  int width = 320;
  int height = 240;
  UINT period_ms = 100;
  UINT lifetime_ms = 600000;
  bool caption = false;
};

unsigned long long g_frame = 0;

void Paint(HWND hwnd, HDC target) {
  RECT client{};
  GetClientRect(hwnd, &client);
  int w = client.right;
  int h = client.bottom;
  if (w <= 0 || h <= 0) return;
  // Drawn off screen and copied in one go, so no grab sees half a frame.
  HDC dc = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, w, h);
  HGDIOBJ old_bitmap = SelectObject(dc, bitmap);

  HBRUSH background = CreateSolidBrush(kPalette[g_frame % 8]);
  FillRect(dc, &client, background);
  DeleteObject(background);

  int bar_width = w / 10 > 4 ? w / 10 : 4;
  int bar_x = static_cast<int>(g_frame % 20) * w / 20;
  RECT bar{bar_x, 0, bar_x + bar_width, h};
  FillRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

  wchar_t label[64];
  swprintf(label, 64, L"frame %llu", g_frame);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, OPAQUE);
  HGDIOBJ old_font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  TextOutW(dc, 4, 4, label, static_cast<int>(wcslen(label)));
  SelectObject(dc, old_font);

  BitBlt(target, 0, 0, w, h, dc, 0, 0, SRCCOPY);
  SelectObject(dc, old_bitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_TIMER:
      if (wparam == kFrameTimer) {
        ++g_frame;
        InvalidateRect(hwnd, nullptr, FALSE);
      } else if (wparam == kLifetimeTimer) {
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
      }
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      Paint(hwnd, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

bool ParseInt(const wchar_t* text, int* value) {
  wchar_t* end = nullptr;
  long parsed = std::wcstol(text, &end, 10);
  if (end == text || *end != L'\0') return false;
  *value = static_cast<int>(parsed);
  return true;
}

bool ParseOptions(Options* o) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) return false;
  bool ok = true;
  for (int i = 1; ok && i < argc; ++i) {
    std::wstring arg = argv[i];
    int left = argc - i - 1;
    int number = 0;
    if (arg == L"--title" && left >= 1) {
      o->title = argv[++i];
    } else if (arg == L"--pos" && left >= 4) {
      ok = ParseInt(argv[i + 1], &o->x) && ParseInt(argv[i + 2], &o->y) &&
           ParseInt(argv[i + 3], &o->width) && ParseInt(argv[i + 4], &o->height);
      i += 4;
    } else if (arg == L"--period" && left >= 1 && ParseInt(argv[i + 1], &number) && number >= 0) {
      o->period_ms = static_cast<UINT>(number);
      ++i;
    } else if (arg == L"--lifetime" && left >= 1 && ParseInt(argv[i + 1], &number) && number > 0) {
      o->lifetime_ms = static_cast<UINT>(number);
      ++i;
    } else if (arg == L"--caption") {
      o->caption = true;
    } else {
      ok = false;
    }
  }
  LocalFree(argv);
  return ok;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  Options options;
  if (!ParseOptions(&options)) {
    MessageBoxW(nullptr,
                L"flanimate [--title T] [--pos X Y W H] [--period MS] [--lifetime MS] [--caption]",
                L"flanimate", MB_OK);
    return 2;
  }
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.lpszClassName = L"FramelarkAnimate";
  if (!RegisterClassExW(&wc)) return 1;

  DWORD style = options.caption ? WS_OVERLAPPEDWINDOW : WS_POPUP;
  HWND hwnd =
      CreateWindowExW(0, wc.lpszClassName, options.title.c_str(), style, options.x, options.y,
                      options.width, options.height, nullptr, nullptr, instance, nullptr);
  if (hwnd == nullptr) return 1;
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  UpdateWindow(hwnd);
  if (options.period_ms > 0) SetTimer(hwnd, kFrameTimer, options.period_ms, nullptr);
  SetTimer(hwnd, kLifetimeTimer, options.lifetime_ms, nullptr);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
