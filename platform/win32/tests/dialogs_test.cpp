// The modal dialogs, answered from another thread as a user would.
#include <gtest/gtest.h>

#include <atomic>

#include "platform/win32/tests/test_support.h"

namespace platform::win32::testing {
namespace {

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = OpenWindow(SpecAt(Rect{100, 100, 300, 200}), true);
    other_ = OpenWindow(SpecAt(Rect{400, 100, 500, 200}), true);
    SetForegroundWindow(Hwnd(owner_->Handle()));
    Pump(20);
  }
  // Whether all of the program's windows were disabled when the answer came.
  bool ProgramDisabled() const {
    return !IsWindowEnabled(Hwnd(owner_->Handle())) && !IsWindowEnabled(Hwnd(other_->Handle()));
  }
  void ExpectProgramEnabledAgain() const {
    EXPECT_TRUE(IsWindowEnabled(Hwnd(owner_->Handle())));
    EXPECT_TRUE(IsWindowEnabled(Hwnd(other_->Handle())));
  }
  std::unique_ptr<Window> owner_, other_;
};

std::wstring TextOf(HWND hwnd) {
  wchar_t text[512] = {};
  GetWindowTextW(hwnd, text, 512);
  return text;
}

TEST_F(DialogTest, MessageBoxesAnswerYesOrNo) {
  Platform& p = TestPlatform();
  for (int answer : {IDYES, IDNO}) {
    std::atomic<bool> disabled{false};
    std::wstring text;
    DialogAnswerer answerer(L"问题", [&](HWND dialog) {
      disabled = ProgramDisabled();
      HWND label = FindWindowExW(dialog, nullptr, L"Static", L"继续吗？");
      text = label != nullptr ? TextOf(label) : L"";
      PostMessageW(dialog, WM_COMMAND, answer, 0);
    });
    EXPECT_EQ(p.AskYesNo("继续吗？", "问题"), answer == IDYES);
    EXPECT_TRUE(answerer.Answered());
    EXPECT_TRUE(disabled);
    EXPECT_EQ(text, L"继续吗？");
    ExpectProgramEnabledAgain();
  }
  DialogAnswerer ok(L"信息：", [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
  p.ShowMessage("已保存");  // the default caption
  EXPECT_TRUE(ok.Answered());
}

TEST_F(DialogTest, TheInputBoxOffersTheTextSelectedAndReturnsTheField) {
  InputBoxSpec options;
  options.caption = "水印文字";
  options.prompt = "请输入水印文字：";
  options.initialText = "Framelark 录制";
  std::atomic<bool> disabled{false};
  std::wstring prompt, ok_text, cancel_text;
  DWORD selection = 0;
  LRESULT default_id = 0;
  DialogAnswerer answerer(L"水印文字", [&](HWND dialog) {
    disabled = ProgramDisabled();
    HWND edit = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
    selection = static_cast<DWORD>(SendMessageW(edit, EM_GETSEL, 0, 0));
    HWND label = FindWindowExW(dialog, nullptr, L"Static", nullptr);
    prompt = TextOf(label);
    ok_text = TextOf(GetDlgItem(dialog, IDOK));
    cancel_text = TextOf(GetDlgItem(dialog, IDCANCEL));
    default_id = SendMessageW(dialog, DM_GETDEFID, 0, 0);
    SetWindowTextW(edit, L"新的 水印");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  std::string text = "before";
  text = options.initialText;
  EXPECT_TRUE(TestPlatform().InputBox(options, &text));
  EXPECT_EQ(text, "新的 水印");
  EXPECT_TRUE(disabled);
  EXPECT_EQ(LOWORD(selection), 0);
  EXPECT_EQ(HIWORD(selection), std::wstring(L"Framelark 录制").size());
  EXPECT_EQ(prompt, L"请输入水印文字：");
  EXPECT_EQ(ok_text, L"确认输入(&O)");
  EXPECT_EQ(cancel_text, L"取消(&C)");
  EXPECT_EQ(LOWORD(default_id), IDOK);
  ExpectProgramEnabledAgain();
}

TEST_F(DialogTest, CancellingOrClosingTheInputBoxLeavesTheTextAlone) {
  InputBoxSpec options;
  options.caption = "水印文字";
  options.initialText = "旧";
  for (UINT message : {static_cast<UINT>(WM_COMMAND), static_cast<UINT>(WM_CLOSE)}) {
    DialogAnswerer answerer(L"水印文字", [&](HWND dialog) {
      SetWindowTextW(FindWindowExW(dialog, nullptr, L"Edit", nullptr), L"新");
      PostMessageW(dialog, message, message == WM_COMMAND ? IDCANCEL : 0, 0);
    });
    std::string text = "旧";
    EXPECT_FALSE(TestPlatform().InputBox(options, &text));
    EXPECT_EQ(text, "旧");
    EXPECT_TRUE(answerer.Answered());
  }
}

TEST_F(DialogTest, TheSaveDialogAddsTheDefaultExtension) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring wide_path = std::wstring(folder) + L"录像";
  std::string path(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide_path.c_str(), -1,
                                                                nullptr, 0, nullptr, nullptr)),
                   '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide_path.c_str(), -1, path.data(), static_cast<int>(path.size()),
                      nullptr, nullptr);
  path.pop_back();
  const std::string expected = path + ".gif";
  DeleteFileW((wide_path + L".gif").c_str());

  SaveDialogSpec options;
  options.title = "保存 GIF";
  options.filterName = "GIF图片(*.gif)";
  options.filterPattern = "*.gif";
  options.defaultExtension = "gif";
  std::atomic<bool> disabled{false};
  DialogAnswerer answerer(L"保存 GIF", [&](HWND dialog) {
    disabled = ProgramDisabled();
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_TRUE(TestPlatform().SaveFileDialog(options, &path));
  EXPECT_EQ(path, expected);
  EXPECT_TRUE(disabled);
  ExpectProgramEnabledAgain();

  DialogAnswerer cancel(L"保存 GIF",
                        [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
  std::string untouched = "x";
  EXPECT_FALSE(TestPlatform().SaveFileDialog(options, &untouched));
  EXPECT_EQ(untouched, "x");
}

TEST_F(DialogTest, TheColourDialogReturnsTheColourConfirmed) {
  DialogAnswerer answerer(L"", [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
  Colour colour = 0x336699;
  EXPECT_TRUE(TestPlatform().ChooseColour(&colour));
  EXPECT_EQ(colour, 0x336699u);
}

}  // namespace
}  // namespace platform::win32::testing
