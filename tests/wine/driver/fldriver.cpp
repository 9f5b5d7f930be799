// fldriver: looks into and pokes at the windows of a running program, for the
// Wine tests. One command per run; results are plain UTF-8 lines on stdout,
// errors on stderr. Exit code 0 on success, 1 on failure or timeout, 2 on a
// usage error. Run without arguments for the list of commands.
//
// A window is named by its exact title, or by "hwnd=0x1234". When several
// top-level windows carry the title, a visible one wins.
// A control is named by its form name (the global atom in its
// "Framelark.Name" property), by "#ID" (its control id) or by "=TEXT" (its
// exact window text), and is searched among all descendants of the window.

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr DWORD kPollMs = 50;
constexpr UINT kSendTimeoutMs = 2000;

using Args = std::vector<std::wstring>;

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

void WriteTo(DWORD which, const std::string& line) {
  std::string data = line + "\n";
  HANDLE handle = GetStdHandle(which);
  DWORD written = 0;
  WriteFile(handle, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
}

void Out(const std::wstring& line) { WriteTo(STD_OUTPUT_HANDLE, Utf8(line)); }

int Fail(const std::wstring& message) {
  WriteTo(STD_ERROR_HANDLE, "fldriver: " + Utf8(message));
  return kFailed;
}

// Texts are printed on one line: backslash, tab, CR and LF are escaped.
std::wstring Escape(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    switch (c) {
      case L'\\':
        out += L"\\\\";
        break;
      case L'\t':
        out += L"\\t";
        break;
      case L'\r':
        out += L"\\r";
        break;
      case L'\n':
        out += L"\\n";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::wstring Hex(UINT_PTR value) {
  wchar_t buffer[32];
  swprintf(buffer, 32, L"0x%08lx", static_cast<unsigned long>(value));
  return buffer;
}

std::wstring Num(long long value) { return std::to_wstring(value); }

bool ParseNumber(const std::wstring& text, long long* value) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  long long parsed = std::wcstoll(text.c_str(), &end, 0);
  if (end == nullptr || *end != L'\0') return false;
  *value = parsed;
  return true;
}

std::wstring WindowText(HWND hwnd) {
  // GetWindowTextW reads another process's window text without sending it a
  // message, so a hung program cannot hang the driver.
  int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

std::wstring ClassName(HWND hwnd) {
  wchar_t buffer[256] = {};
  GetClassNameW(hwnd, buffer, 256);
  return buffer;
}

std::wstring FormName(HWND hwnd) {
  HANDLE value = GetPropW(hwnd, L"Framelark.Name");
  if (value == nullptr) return {};
  wchar_t buffer[256] = {};
  UINT length =
      GlobalGetAtomNameW(static_cast<ATOM>(reinterpret_cast<UINT_PTR>(value)), buffer, 256);
  return std::wstring(buffer, length);
}

// ---------------------------------------------------------------------------
// Finding windows.

struct TitleSearch {
  std::wstring title;
  HWND visible = nullptr;
  HWND hidden = nullptr;
};

BOOL CALLBACK CollectByTitle(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<TitleSearch*>(param);
  if (WindowText(hwnd) != search->title) return TRUE;
  if (IsWindowVisible(hwnd)) {
    search->visible = hwnd;
    return FALSE;
  }
  if (search->hidden == nullptr) search->hidden = hwnd;
  return TRUE;
}

// The visible top-level window with the title, or a hidden one, or null.
HWND FindTopLevel(const std::wstring& title, bool visible_only) {
  if (title.rfind(L"hwnd=", 0) == 0) {
    long long value = 0;
    if (!ParseNumber(title.substr(5), &value)) return nullptr;
    HWND hwnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
    if (!IsWindow(hwnd) || (visible_only && !IsWindowVisible(hwnd))) return nullptr;
    return hwnd;
  }
  TitleSearch search{title};
  EnumWindows(CollectByTitle, reinterpret_cast<LPARAM>(&search));
  if (search.visible != nullptr || visible_only) return search.visible;
  return search.hidden;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

bool Matches(HWND child, const std::wstring& selector) {
  if (selector.size() > 1 && selector[0] == L'#') {
    long long id = 0;
    return ParseNumber(selector.substr(1), &id) && GetDlgCtrlID(child) == id;
  }
  if (!selector.empty() && selector[0] == L'=') return WindowText(child) == selector.substr(1);
  return FormName(child) == selector;
}

HWND FindControl(HWND window, const std::wstring& selector) {
  for (HWND child : Descendants(window)) {
    if (Matches(child, selector)) return child;
  }
  return nullptr;
}

// Looks up the window (and the control when a selector is given), printing
// why when it fails.
bool Resolve(const std::wstring& title, HWND* window) {
  *window = FindTopLevel(title, false);
  if (*window == nullptr) {
    Fail(L"no window titled \"" + title + L"\"");
    return false;
  }
  return true;
}

bool Resolve(const std::wstring& title, const std::wstring& selector, HWND* window, HWND* control) {
  if (!Resolve(title, window)) return false;
  *control = FindControl(*window, selector);
  if (*control == nullptr) {
    Fail(L"window \"" + title + L"\" has no control " + selector);
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// Reading state.

struct Field {
  std::wstring key;
  std::wstring value;
};

std::wstring RectText(const RECT& r) {
  return Num(r.left) + L" " + Num(r.top) + L" " + Num(r.right - r.left) + L" " +
         Num(r.bottom - r.top);
}

bool IsCheckable(HWND control) {
  if (_wcsicmp(ClassName(control).c_str(), L"Button") != 0) return false;
  LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
         type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE;
}

std::wstring CheckedText(HWND control) {
  if (!IsCheckable(control)) return L"-";
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) {
    return L"?";
  }
  return Num(static_cast<long long>(result));
}

std::vector<Field> ControlFields(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  std::vector<Field> fields;
  std::wstring name = FormName(control);
  fields.push_back({L"name", name.empty() ? L"-" : name});
  fields.push_back({L"class", ClassName(control)});
  fields.push_back({L"id", Num(GetDlgCtrlID(control))});
  fields.push_back({L"enabled", IsWindowEnabled(control) ? L"1" : L"0"});
  fields.push_back({L"checked", CheckedText(control)});
  fields.push_back({L"visible", IsWindowVisible(control) ? L"1" : L"0"});
  fields.push_back({L"x", Num(r.left)});
  fields.push_back({L"y", Num(r.top)});
  fields.push_back({L"w", Num(r.right - r.left)});
  fields.push_back({L"h", Num(r.bottom - r.top)});
  fields.push_back({L"text", Escape(WindowText(control))});
  fields.push_back({L"hwnd", Hex(reinterpret_cast<UINT_PTR>(control))});
  fields.push_back({L"rect", RectText(r)});
  fields.push_back({L"cx", Num((r.left + r.right) / 2)});
  fields.push_back({L"cy", Num((r.top + r.bottom) / 2)});
  return fields;
}

std::vector<Field> WindowFields(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  RECT client{};
  GetClientRect(window, &client);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  LONG style = GetWindowLongW(window, GWL_STYLE);
  LONG exstyle = GetWindowLongW(window, GWL_EXSTYLE);
  auto flag = [](bool on) { return std::wstring(on ? L"1" : L"0"); };
  std::vector<Field> fields;
  fields.push_back({L"hwnd", Hex(reinterpret_cast<UINT_PTR>(window))});
  fields.push_back({L"pid", Num(pid)});
  fields.push_back({L"class", ClassName(window)});
  fields.push_back({L"title", Escape(WindowText(window))});
  fields.push_back({L"x", Num(r.left)});
  fields.push_back({L"y", Num(r.top)});
  fields.push_back({L"w", Num(r.right - r.left)});
  fields.push_back({L"h", Num(r.bottom - r.top)});
  fields.push_back({L"rect", RectText(r)});
  fields.push_back({L"client", Num(client.right) + L" " + Num(client.bottom)});
  fields.push_back({L"style", Hex(static_cast<DWORD>(style))});
  fields.push_back({L"exstyle", Hex(static_cast<DWORD>(exstyle))});
  fields.push_back({L"caption", flag((style & WS_CAPTION) == WS_CAPTION)});
  fields.push_back({L"sizeframe", flag((style & WS_THICKFRAME) != 0)});
  fields.push_back({L"popup", flag((style & WS_POPUP) != 0)});
  fields.push_back({L"topmost", flag((exstyle & WS_EX_TOPMOST) != 0)});
  fields.push_back({L"visible", flag(IsWindowVisible(window))});
  fields.push_back({L"enabled", flag(IsWindowEnabled(window))});
  fields.push_back({L"minimised", flag(IsIconic(window))});
  fields.push_back({L"maximised", flag(IsZoomed(window))});
  fields.push_back({L"foreground", flag(GetForegroundWindow() == window)});
  return fields;
}

// Prints every field as key=value, or only the value of one field.
int PrintFields(const std::vector<Field>& fields, const Args& rest) {
  if (rest.empty()) {
    for (const Field& f : fields) Out(f.key + L"=" + f.value);
    return kOk;
  }
  for (const Field& f : fields) {
    if (f.key == rest[0]) {
      Out(f.value);
      return kOk;
    }
  }
  return Fail(L"no field " + rest[0]);
}

std::wstring FieldValue(const std::vector<Field>& fields, const std::wstring& key) {
  for (const Field& f : fields) {
    if (f.key == key) return f.value;
  }
  return L"";
}

// ---------------------------------------------------------------------------
// Waiting.

// Polls until `done` returns true or the timeout passes.
template <typename Predicate>
bool WaitFor(DWORD timeout_ms, Predicate done) {
  ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(kPollMs);
  }
}

bool ParseTimeout(const std::wstring& text, DWORD* timeout_ms) {
  long long value = 0;
  if (!ParseNumber(text, &value) || value < 0 || value > 3600000) return false;
  *timeout_ms = static_cast<DWORD>(value);
  return true;
}

// ---------------------------------------------------------------------------
// Keys.

struct KeyName {
  const wchar_t* name;
  WORD vk;
};

constexpr KeyName kKeyNames[] = {
    {L"alt", VK_MENU},        {L"menu", VK_MENU},     {L"ctrl", VK_CONTROL},
    {L"control", VK_CONTROL}, {L"shift", VK_SHIFT},   {L"win", VK_LWIN},
    {L"escape", VK_ESCAPE},   {L"esc", VK_ESCAPE},    {L"return", VK_RETURN},
    {L"enter", VK_RETURN},    {L"tab", VK_TAB},       {L"space", VK_SPACE},
    {L"backspace", VK_BACK},  {L"back", VK_BACK},     {L"delete", VK_DELETE},
    {L"insert", VK_INSERT},   {L"home", VK_HOME},     {L"end", VK_END},
    {L"pageup", VK_PRIOR},    {L"pagedown", VK_NEXT}, {L"left", VK_LEFT},
    {L"right", VK_RIGHT},     {L"up", VK_UP},         {L"down", VK_DOWN},
};

bool IsExtendedKey(WORD vk) {
  switch (vk) {
    case VK_DELETE:
    case VK_INSERT:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_LWIN:
      return true;
    default:
      return false;
  }
}

// "F2", "alt", "a", "7", "0x71" (a virtual-key code).
bool ParseKey(const std::wstring& name, WORD* vk) {
  std::wstring lower;
  for (wchar_t c : name) lower += static_cast<wchar_t>(std::towlower(c));
  for (const KeyName& k : kKeyNames) {
    if (lower == k.name) {
      *vk = k.vk;
      return true;
    }
  }
  if (lower.size() == 1 && std::iswalnum(lower[0])) {
    *vk = static_cast<WORD>(std::towupper(lower[0]));
    return true;
  }
  long long number = 0;
  if (lower.size() >= 2 && lower[0] == L'f' && ParseNumber(lower.substr(1), &number) &&
      number >= 1 && number <= 24) {
    *vk = static_cast<WORD>(VK_F1 + number - 1);
    return true;
  }
  if (lower.rfind(L"0x", 0) == 0 && ParseNumber(lower, &number) && number > 0 && number < 256) {
    *vk = static_cast<WORD>(number);
    return true;
  }
  return false;
}

// "alt+F4" -> {VK_MENU, VK_F4}.
bool ParseChord(const std::wstring& chord, std::vector<WORD>* keys) {
  size_t start = 0;
  for (;;) {
    size_t plus = chord.find(L'+', start);
    WORD vk = 0;
    if (!ParseKey(chord.substr(start, plus - start), &vk)) return false;
    keys->push_back(vk);
    if (plus == std::wstring::npos) return true;
    start = plus + 1;
  }
}

INPUT KeyInput(WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}

// ---------------------------------------------------------------------------
// Commands.

int CmdScreenSize(const Args&) {
  Out(Num(GetSystemMetrics(SM_CXSCREEN)) + L" " + Num(GetSystemMetrics(SM_CYSCREEN)));
  return kOk;
}

int CmdDpi(const Args&) {
  HDC dc = GetDC(nullptr);
  int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(nullptr, dc);
  Out(Num(dpi));
  return kOk;
}

int CmdCursor(const Args&) {
  POINT p{};
  if (!GetCursorPos(&p)) return Fail(L"GetCursorPos failed");
  Out(Num(p.x) + L" " + Num(p.y));
  return kOk;
}

int CmdPixel(const Args& a) {
  long long x = 0;
  long long y = 0;
  if (!ParseNumber(a[0], &x) || !ParseNumber(a[1], &y)) return kUsage;
  HDC dc = GetDC(nullptr);
  COLORREF c = GetPixel(dc, static_cast<int>(x), static_cast<int>(y));
  ReleaseDC(nullptr, dc);
  if (c == CLR_INVALID) return Fail(L"no pixel at " + a[0] + L" " + a[1]);
  wchar_t buffer[16];
  swprintf(buffer, 16, L"%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
  Out(buffer);
  return kOk;
}

struct WindowList {
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectVisibleTopLevel(HWND hwnd, LPARAM param) {
  if (IsWindowVisible(hwnd)) reinterpret_cast<WindowList*>(param)->windows.push_back(hwnd);
  return TRUE;
}

// One line per visible top-level window, front to back:
// hwnd pid class x y w h title (tab-separated).
int CmdWindows(const Args&) {
  WindowList list;
  EnumWindows(CollectVisibleTopLevel, reinterpret_cast<LPARAM>(&list));
  for (HWND hwnd : list.windows) {
    std::vector<Field> f = WindowFields(hwnd);
    Out(FieldValue(f, L"hwnd") + L"\t" + FieldValue(f, L"pid") + L"\t" + FieldValue(f, L"class") +
        L"\t" + FieldValue(f, L"x") + L"\t" + FieldValue(f, L"y") + L"\t" + FieldValue(f, L"w") +
        L"\t" + FieldValue(f, L"h") + L"\t" + FieldValue(f, L"title"));
  }
  return kOk;
}

int CmdWindow(const Args& a) {
  HWND window = nullptr;
  if (!Resolve(a[0], &window)) return kFailed;
  return PrintFields(WindowFields(window), Args(a.begin() + 1, a.end()));
}

int CmdWindowRect(const Args& a) {
  HWND window = nullptr;
  if (!Resolve(a[0], &window)) return kFailed;
  Out(FieldValue(WindowFields(window), L"rect"));
  return kOk;
}

int CmdIsMinimised(const Args& a) {
  HWND window = nullptr;
  if (!Resolve(a[0], &window)) return kFailed;
  Out(IsIconic(window) ? L"1" : L"0");
  return kOk;
}

// One line per descendant control, in creation order, tab-separated:
// name class id enabled checked visible x y w h text
// (name "-" when the control has none, checked "-" when not checkable).
int CmdControls(const Args& a) {
  HWND window = nullptr;
  if (!Resolve(a[0], &window)) return kFailed;
  for (HWND child : Descendants(window)) {
    std::vector<Field> f = ControlFields(child);
    std::wstring line;
    for (size_t i = 0; i < 11; ++i) line += (i ? L"\t" : L"") + f[i].value;
    Out(line);
  }
  return kOk;
}

int CmdGet(const Args& a) {
  HWND window = nullptr;
  HWND control = nullptr;
  if (!Resolve(a[0], a[1], &window, &control)) return kFailed;
  return PrintFields(ControlFields(control), Args(a.begin() + 2, a.end()));
}

int WaitWindow(const Args& a, bool gone) {
  DWORD timeout = 0;
  if (!ParseTimeout(a[1], &timeout)) return kUsage;
  HWND found = nullptr;
  bool ok = WaitFor(timeout, [&] {
    found = FindTopLevel(a[0], true);
    return gone ? found == nullptr : found != nullptr;
  });
  if (!ok) {
    return Fail(gone ? L"window \"" + a[0] + L"\" still shown after " + a[1] + L" ms"
                     : L"no window \"" + a[0] + L"\" shown within " + a[1] + L" ms");
  }
  if (!gone) Out(Hex(reinterpret_cast<UINT_PTR>(found)));
  return kOk;
}

int CmdWaitWindow(const Args& a) { return WaitWindow(a, false); }
int CmdWaitGone(const Args& a) { return WaitWindow(a, true); }

// Waits until FIELD of the control reads VALUE; prints the last value seen
// on a timeout.
int WaitField(const std::wstring& title, const std::wstring& selector, const std::wstring& key,
              const std::wstring& expected, const std::wstring& timeout_text) {
  DWORD timeout = 0;
  if (!ParseTimeout(timeout_text, &timeout)) return kUsage;
  std::wstring last = L"(no such control)";
  bool ok = WaitFor(timeout, [&] {
    HWND window = FindTopLevel(title, false);
    HWND control = window ? FindControl(window, selector) : nullptr;
    if (control == nullptr) return false;
    last = FieldValue(ControlFields(control), key);
    return last == expected;
  });
  if (!ok) {
    return Fail(selector + L" " + key + L" is \"" + last + L"\", not \"" + expected +
                L"\", after " + timeout_text + L" ms");
  }
  return kOk;
}

int CmdWaitText(const Args& a) { return WaitField(a[0], a[1], L"text", a[2], a[3]); }
int CmdWaitField(const Args& a) { return WaitField(a[0], a[1], a[2], a[3], a[4]); }

int CmdWaitForeground(const Args& a) {
  DWORD timeout = 0;
  if (!ParseTimeout(a[1], &timeout)) return kUsage;
  if (!WaitFor(timeout, [&] {
        HWND window = FindTopLevel(a[0], true);
        return window != nullptr && GetForegroundWindow() == window;
      })) {
    return Fail(L"\"" + a[0] + L"\" not in the foreground after " + a[1] + L" ms");
  }
  return kOk;
}

int CmdForeground(const Args&) {
  HWND window = GetForegroundWindow();
  Out(Hex(reinterpret_cast<UINT_PTR>(window)) + L"\t" + Escape(WindowText(window)));
  return kOk;
}

int CmdActivate(const Args& a) {
  HWND window = nullptr;
  if (!Resolve(a[0], &window)) return kFailed;
  if (!SetForegroundWindow(window)) return Fail(L"SetForegroundWindow refused");
  return kOk;
}

// Posts a left press and release at the control's centre, as a click of the
// user's would. Like a user, it cannot click a disabled or hidden control:
// post-click does that.
int Click(const Args& a, bool as_user) {
  HWND window = nullptr;
  HWND control = nullptr;
  if (!Resolve(a[0], a[1], &window, &control)) return kFailed;
  if (as_user) {
    if (!IsWindowVisible(control)) return Fail(a[1] + L" is hidden");
    if (!IsWindowEnabled(control) || !IsWindowEnabled(window)) return Fail(a[1] + L" is disabled");
  }
  RECT r{};
  GetClientRect(control, &r);
  LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
  PostMessageW(control, WM_MOUSEMOVE, 0, at);
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(control, WM_LBUTTONUP, 0, at);
  return kOk;
}

int CmdClick(const Args& a) { return Click(a, true); }
int CmdPostClick(const Args& a) { return Click(a, false); }

int CmdPostClose(const Args& a) {
  HWND window = nullptr;
  if (!Resolve(a[0], &window)) return kFailed;
  if (!PostMessageW(window, WM_CLOSE, 0, 0)) return Fail(L"PostMessage failed");
  return kOk;
}

// Presses a chord such as "F2" or "alt+F4" through the system input queue:
// it reaches global hot keys and the foreground window.
int CmdKey(const Args& a) {
  std::vector<WORD> keys;
  if (!ParseChord(a[0], &keys)) return Fail(L"unknown key " + a[0]);
  std::vector<INPUT> inputs;
  for (WORD vk : keys) inputs.push_back(KeyInput(vk, false));
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) inputs.push_back(KeyInput(*it, true));
  UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  if (sent != inputs.size()) return Fail(L"SendInput sent " + Num(sent) + L" events");
  return kOk;
}

// Posts WM_KEYDOWN and WM_KEYUP for one key straight to a window.
int CmdPostKey(const Args& a) {
  HWND window = nullptr;
  if (!Resolve(a[0], &window)) return kFailed;
  WORD vk = 0;
  if (!ParseKey(a[1], &vk)) return Fail(L"unknown key " + a[1]);
  UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  PostMessageW(window, WM_KEYDOWN, vk, static_cast<LPARAM>(1 | (scan << 16)));
  PostMessageW(window, WM_KEYUP, vk, static_cast<LPARAM>(1 | (scan << 16) | 0xC0000000u));
  return kOk;
}

// Keeps a Wine process alive so that the wineserver and the desktop stay up
// between test programs.
int CmdHold(const Args& a) {
  DWORD timeout = 0;
  if (!ParseTimeout(a[0], &timeout)) return kUsage;
  Sleep(timeout);
  return kOk;
}

struct Command {
  const wchar_t* name;
  size_t min_args;
  size_t max_args;
  int (*run)(const Args&);
  const char* usage;
};

constexpr Command kCommands[] = {
    {L"screen-size", 0, 0, CmdScreenSize, "screen-size                      width height"},
    {L"dpi", 0, 0, CmdDpi, "dpi                              the screen's dots per inch"},
    {L"cursor", 0, 0, CmdCursor, "cursor                           x y of the mouse pointer"},
    {L"pixel", 2, 2, CmdPixel, "pixel X Y                        rrggbb of a screen pixel"},
    {L"windows", 0, 0, CmdWindows, "windows                          visible top-level windows"},
    {L"window", 1, 2, CmdWindow, "window TITLE [FIELD]             the window's state"},
    {L"window-rect", 1, 1, CmdWindowRect, "window-rect TITLE                x y w h"},
    {L"is-minimised", 1, 1, CmdIsMinimised, "is-minimised TITLE               1 or 0"},
    {L"controls", 1, 1, CmdControls, "controls TITLE                   one line per control"},
    {L"get", 2, 3, CmdGet, "get TITLE CONTROL [FIELD]        a control's state"},
    {L"wait-window", 2, 2, CmdWaitWindow, "wait-window TITLE MS             until shown; hwnd"},
    {L"wait-gone", 2, 2, CmdWaitGone, "wait-gone TITLE MS               until no longer shown"},
    {L"wait-text", 4, 4, CmdWaitText, "wait-text TITLE CONTROL TEXT MS  until the text reads so"},
    {L"wait-field", 5, 5, CmdWaitField, "wait-field TITLE CONTROL FIELD VALUE MS"},
    {L"wait-foreground", 2, 2, CmdWaitForeground, "wait-foreground TITLE MS"},
    {L"foreground", 0, 0, CmdForeground, "foreground                       hwnd and title"},
    {L"activate", 1, 1, CmdActivate, "activate TITLE                   bring to the foreground"},
    {L"click", 2, 2, CmdClick, "click TITLE CONTROL              press+release at its centre"},
    {L"post-click", 2, 2, CmdPostClick, "post-click TITLE CONTROL         the same, even disabled"},
    {L"post-close", 1, 1, CmdPostClose, "post-close TITLE                 post WM_CLOSE"},
    {L"key", 1, 1, CmdKey, "key CHORD                        e.g. F2, alt+F4 (SendInput)"},
    {L"post-key", 2, 2, CmdPostKey, "post-key TITLE KEY               post WM_KEYDOWN/UP"},
    {L"hold", 1, 1, CmdHold, "hold MS                          sleep (keeps Wine up)"},
};

int Usage() {
  WriteTo(STD_ERROR_HANDLE, "usage: fldriver COMMAND ARGS...");
  for (const Command& c : kCommands) WriteTo(STD_ERROR_HANDLE, std::string("  ") + c.usage);
  WriteTo(STD_ERROR_HANDLE,
          "fields of window: hwnd pid class title x y w h rect client style exstyle caption\n"
          "  sizeframe popup topmost visible enabled minimised maximised foreground\n"
          "fields of a control: name class id enabled checked visible x y w h text hwnd rect\n"
          "  cx cy\n"
          "CONTROL: a form name, #ID or =TEXT; TITLE: exact title or hwnd=0x...");
  return kUsage;
}

}  // namespace

int wmain(int, wchar_t**) {
  // Arguments are taken from the wide command line so that Chinese titles and
  // names arrive intact.
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 2) return Usage();
  Args args(argv + 2, argv + argc);
  std::wstring name = argv[1];
  LocalFree(argv);
  for (const Command& c : kCommands) {
    if (name != c.name) continue;
    if (args.size() < c.min_args || args.size() > c.max_args) return Usage();
    int code = c.run(args);
    return code == kUsage ? Usage() : code;
  }
  return Usage();
}
