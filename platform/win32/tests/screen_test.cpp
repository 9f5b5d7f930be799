// The screen, windows of any program, the mouse hook and the program's
// resources.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "platform/win32/tests/test_support.h"

namespace platform::win32::testing {
namespace {

const Rect kPlace{120, 140, 180, 180};
constexpr Colour kGreenColour = 0x00FF00;

TEST(Win32Screen, GrabsWhatTheScreenShows) {
  auto window = OpenWindow(SpecAt(kPlace, kGreenColour), true);
  Pump(50);
  const Bytes grab = TestPlatform().GrabScreen(Rect{130, 150, 170, 170});
  const framelark::PixelImage image = Pixels(grab);
  ASSERT_EQ(image.width, 40);
  ASSERT_EQ(image.height, 20);
  for (std::uint32_t pixel : image.pixels) ASSERT_EQ(pixel, 0x00FF00u);
  for (std::size_t i = framelark::kBitmapHeadersSize + 3; i < grab.size(); i += 4) {
    ASSERT_EQ(grab[i], 0);
  }
  EXPECT_EQ(TestPlatform().GrabScreen(Rect{130, 150, 170, 170}), grab) << "same content";

  Bytes from_worker;
  std::thread worker([&] { from_worker = TestPlatform().GrabScreen(Rect{130, 150, 170, 170}); });
  worker.join();
  EXPECT_EQ(from_worker, grab);
}

TEST(Win32Screen, GrabsOnlyWhatLiesOnThePrimaryScreen) {
  const Size screen = TestPlatform().ScreenSize();
  EXPECT_EQ(screen.width, GetSystemMetrics(SM_CXSCREEN));
  struct Case {
    Rect rect;
    int width, height;
  };
  const Case cases[] = {
      {Rect{-10, -20, 30, 40}, 30, 40},
      {Rect{screen.width - 5, screen.height - 7, screen.width + 10, screen.height + 10}, 5, 7},
      {Rect{0, 0, screen.width, screen.height}, screen.width, screen.height},
      {Rect{screen.width, 0, screen.width + 10, 10}, 0, 0},
      {Rect{-30, -30, -10, -10}, 0, 0},
      {Rect{50, 50, 50, 80}, 0, 0},
      {Rect{60, 60, 50, 50}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.rect.left << "," << c.rect.top << " " << c.rect.right
                                      << "," << c.rect.bottom);
    const Bytes grab = TestPlatform().GrabScreen(c.rect);
    if (c.width == 0) {
      EXPECT_TRUE(grab.empty());
      continue;
    }
    const framelark::PixelImage image = Pixels(grab);
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, c.height);
  }
}

TEST(Win32Screen, WindowsOfAnyProgramAreSeenByHandle) {
  auto window = OpenWindow(SpecAt(kPlace), true);
  ControlSpec options;
  options.name = "图片框";
  options.place = Rect{10, 10, 30, 30};
  PictureBox& box = window->AddPictureBox(options);
  Pump(30);
  Platform& p = TestPlatform();
  Rect rect;
  ASSERT_TRUE(p.WindowRect(window->Handle(), &rect));
  EXPECT_EQ(rect, kPlace);
  ASSERT_TRUE(p.WindowRect(box.Handle(), &rect));
  EXPECT_EQ(rect, (Rect{130, 150, 150, 170}));
  EXPECT_GT(window->Handle(), 0);
  EXPECT_EQ(p.WindowFromPoint(Point{135, 155}), box.Handle());
  EXPECT_EQ(p.WindowFromPoint(Point{175, 175}), window->Handle());
  EXPECT_EQ(p.ParentWindow(box.Handle()), window->Handle());
  EXPECT_EQ(p.ParentWindow(window->Handle()), 0);
  EXPECT_TRUE(p.WindowVisible(window->Handle()));
  EXPECT_TRUE(p.WindowVisible(box.Handle()));
  EXPECT_EQ(p.NextSibling(window->Handle()),
            reinterpret_cast<NativeHandle>(GetWindow(Hwnd(window->Handle()), GW_HWNDNEXT)));

  const NativeHandle gone = window->Handle();
  window.reset();
  EXPECT_FALSE(p.WindowRect(gone, &rect));
  EXPECT_FALSE(p.WindowRect(0, &rect));
  EXPECT_FALSE(p.WindowVisible(gone));
  EXPECT_EQ(p.ParentWindow(0), 0);
}

TEST(Win32Screen, CursorPositionFollowsTheMouse) {
  MouseTo(321, 234);
  EXPECT_EQ(TestPlatform().CursorPos(), (Point{321, 234}));
}

TEST(Win32MouseHook, HooksSeeTheMouseNewestFirstAndPassItOn) {
  Platform& p = TestPlatform();
  MouseTo(10, 10);
  std::vector<std::string> calls;
  POINT last{};
  NativeHandle older = 0, newer = 0;
  older = p.InstallMouseHook([&](int code, std::uintptr_t message, std::intptr_t details) {
    if (message == WM_MOUSEMOVE) calls.push_back("older");
    return p.CallNextHook(older, code, message, details);
  });
  bool pass_on = true;
  newer = p.InstallMouseHook([&](int code, std::uintptr_t message, std::intptr_t details) {
    if (message == WM_MOUSEMOVE) {
      calls.push_back("newer");
      last = reinterpret_cast<const MSLLHOOKSTRUCT*>(details)->pt;
    }
    return pass_on ? p.CallNextHook(newer, code, message, details) : 0;
  });
  ASSERT_GT(older, 0);
  ASSERT_GT(newer, 0);
  MouseTo(200, 150);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0], "newer");
  EXPECT_EQ(calls[1], "older");
  EXPECT_EQ(last.x, 200);
  EXPECT_EQ(last.y, 150);

  pass_on = false;
  calls.clear();
  MouseTo(220, 160);
  for (const std::string& call : calls) EXPECT_EQ(call, "newer");

  EXPECT_TRUE(p.RemoveMouseHook(newer));
  EXPECT_FALSE(p.RemoveMouseHook(newer));
  EXPECT_FALSE(p.RemoveMouseHook(0));
  calls.clear();
  MouseTo(240, 170);
  ASSERT_FALSE(calls.empty());
  for (const std::string& call : calls) EXPECT_EQ(call, "older");
  EXPECT_TRUE(p.RemoveMouseHook(older));
  calls.clear();
  MouseTo(250, 180);
  EXPECT_TRUE(calls.empty());
}

TEST(Win32Program, PicturesAreEmbeddedUnderTheirFileNames) {
  Platform& p = TestPlatform();
  const Bytes skin = p.EmbeddedPicture("skin.gif");
  ASSERT_GE(skin.size(), 6u);
  EXPECT_EQ(std::memcmp(skin.data(), "GIF8", 4), 0);
  const Bytes cursor = p.EmbeddedPicture("cursor_arrow.cur");
  ASSERT_GE(cursor.size(), 4u);
  EXPECT_EQ(cursor[2], 2);  // a cursor file
  EXPECT_TRUE(p.EmbeddedPicture("no_such_picture.gif").empty());
  EXPECT_TRUE(p.EmbeddedPicture("").empty());
}

TEST(Win32Program, EntersTheProgramFolder) {
  wchar_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::wstring folder = module;
  folder.resize(folder.find_last_of(L"\\/"));
  SetCurrentDirectoryW(L"C:\\");
  TestPlatform().EnterProgramFolder();
  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  EXPECT_EQ(lstrcmpiW(current, folder.c_str()), 0);
}

TEST(Win32Program, TheExitRoutineRunsOnce) {
  static int runs = 0;
  TestPlatform().RegisterExitRoutine([] { ++runs; });
  TestPlatform().RunExitRoutine();
  TestPlatform().RunExitRoutine();
  EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace platform::win32::testing
