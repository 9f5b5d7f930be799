// The program's modal dialogs: message boxes, the input box, the save dialog
// and the colour dialog. All windows of the program are disabled meanwhile.
#include <windows.h>
// after windows.h
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "platform/win32/controls.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_platform.h"

namespace platform::win32 {
namespace {

// Disables the program's windows other than the dialog's owner (which the
// dialog disables and enables itself, so that it gets the activation back)
// for the lifetime of the scope.
class TaskModalScope {
 public:
  explicit TaskModalScope(HWND owner) {
    EnumThreadWindows(GetCurrentThreadId(), &TaskModalScope::Visit, reinterpret_cast<LPARAM>(this));
    owner_ = owner;
    for (auto it = disabled_.begin(); it != disabled_.end();) {
      if (*it == owner_) {
        it = disabled_.erase(it);
      } else {
        EnableWindow(*it, FALSE);
        ++it;
      }
    }
  }
  ~TaskModalScope() {
    for (HWND hwnd : disabled_) {
      if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
    }
  }
  TaskModalScope(const TaskModalScope&) = delete;
  TaskModalScope& operator=(const TaskModalScope&) = delete;

 private:
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM self) {
    if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
      reinterpret_cast<TaskModalScope*>(self)->disabled_.push_back(hwnd);
    }
    return TRUE;
  }

  HWND owner_ = nullptr;
  std::vector<HWND> disabled_;
};

// --- the input box, from an in-memory dialog template -------------------------

constexpr int kPromptId = 100;
constexpr int kEditId = 101;

class DialogTemplate {
 public:
  DialogTemplate(DWORD style, short cx, short cy, const wchar_t* font, WORD points) {
    AddDword(style);
    AddDword(0);  // extended style
    count_at_ = data_.size();
    Add(0);  // number of items
    Add(0);  // x
    Add(0);  // y
    Add(static_cast<WORD>(cx));
    Add(static_cast<WORD>(cy));
    Add(0);          // no menu
    Add(0);          // the standard dialog class
    AddString(L"");  // caption: set when the dialog starts
    Add(points);
    AddString(font);
  }
  void AddItem(DWORD style, short x, short y, short cx, short cy, WORD id, WORD class_atom) {
    if (data_.size() % 2 != 0) Add(0);  // items start on a DWORD boundary
    AddDword(style);
    AddDword(0);
    Add(static_cast<WORD>(x));
    Add(static_cast<WORD>(y));
    Add(static_cast<WORD>(cx));
    Add(static_cast<WORD>(cy));
    Add(id);
    Add(0xFFFF);
    Add(class_atom);
    AddString(L"");  // text: set when the dialog starts
    Add(0);          // no creation data
    ++data_[count_at_];
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(data_.data()); }

 private:
  void Add(WORD word) { data_.push_back(word); }
  void AddDword(DWORD value) {
    Add(LOWORD(value));
    Add(HIWORD(value));
  }
  void AddString(const wchar_t* text) {
    for (; *text != L'\0'; ++text) Add(static_cast<WORD>(*text));
    Add(0);
  }

  std::vector<WORD> data_;
  std::size_t count_at_ = 0;
};

struct InputBoxState {
  const InputBoxSpec* options;
  std::wstring entered;
};

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      const auto* state = reinterpret_cast<InputBoxState*>(lparam);
      SetWindowTextW(dialog, Widen(state->options->caption).c_str());
      SetDlgItemTextW(dialog, kPromptId, Widen(state->options->prompt).c_str());
      SetDlgItemTextW(dialog, kEditId, Widen(state->options->initialText).c_str());
      SetDlgItemTextW(dialog, IDOK, Widen(state->options->okText).c_str());
      SetDlgItemTextW(dialog, IDCANCEL, Widen(state->options->cancelText).c_str());
      HWND edit = GetDlgItem(dialog, kEditId);
      SetFocus(edit);
      SendMessageW(edit, EM_SETSEL, 0, -1);
      SetForegroundWindow(dialog);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK: {
          auto* state = reinterpret_cast<InputBoxState*>(GetWindowLongPtrW(dialog, DWLP_USER));
          HWND edit = GetDlgItem(dialog, kEditId);
          const int length = GetWindowTextLengthW(edit);
          std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
          text.resize(static_cast<std::size_t>(GetWindowTextW(edit, text.data(), length + 1)));
          state->entered = text;
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        default:
          break;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

// A message box without owner is not topmost: above a topmost program
// window it must be topmost too, or the window could hide it.
UINT Win32Platform::MessageBoxBand() const {
  for (HWND hwnd : windows_) {
    if (IsWindowVisible(hwnd) && (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) {
      return MB_TOPMOST;
    }
  }
  return 0;
}

void Win32Platform::ShowMessage(const std::string& text, const std::string& caption) {
  MessageBoxW(nullptr, Widen(text).c_str(), Widen(caption).c_str(),
              MB_OK | MB_TASKMODAL | MessageBoxBand());
}

bool Win32Platform::AskYesNo(const std::string& text, const std::string& caption) {
  return MessageBoxW(nullptr, Widen(text).c_str(), Widen(caption).c_str(),
                     MB_YESNO | MB_TASKMODAL | MessageBoxBand()) == IDYES;
}

bool Win32Platform::InputBox(const InputBoxSpec& options, std::string* text) {
  // Dialog units: the prompt at the top left, the buttons at the right, the
  // field across the bottom.
  DialogTemplate dialog(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                        240, 88, L"MS Shell Dlg", 9);
  dialog.AddItem(WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 7, 7, 168, 52, kPromptId, 0x0082);
  dialog.AddItem(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 182, 7, 51, 14, IDOK,
                 0x0080);
  dialog.AddItem(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 182, 25, 51, 14, IDCANCEL,
                 0x0080);
  dialog.AddItem(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 7, 66, 226, 13,
                 kEditId, 0x0081);
  InputBoxState state{&options, {}};
  HWND owner = ActiveProgramWindow();
  INT_PTR result;
  {
    TaskModalScope modal(owner);
    result = DialogBoxIndirectParamW(instance_, dialog.Get(), owner, InputBoxProc,
                                     reinterpret_cast<LPARAM>(&state));
  }
  if (result != IDOK) return false;
  *text = Narrow(state.entered);
  return true;
}

bool Win32Platform::SaveFileDialog(const SaveDialogSpec& options, std::string* path) {
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring initial = Widen(*path);
  std::copy_n(initial.begin(), std::min(initial.size(), file.size() - 1), file.begin());
  std::wstring filter = Widen(options.filterName);
  filter.push_back(L'\0');
  filter += Widen(options.filterPattern);
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  std::wstring extension = Widen(options.defaultExtension);
  if (!extension.empty() && extension.front() == L'.') extension.erase(0, 1);
  const std::wstring title = Widen(options.title);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = ActiveProgramWindow();
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.Flags =
      OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NOCHANGEDIR;
  BOOL chosen;
  {
    TaskModalScope modal(dialog.hwndOwner);
    chosen = GetSaveFileNameW(&dialog);
  }
  if (!chosen) return false;
  *path = Narrow(file.data());
  return true;
}

bool Win32Platform::ChooseColour(Colour* colour) {
  HWND owner = ActiveProgramWindow();
  TaskModalScope modal(owner);
  return RunColourDialog(owner, colour);
}

}  // namespace platform::win32
