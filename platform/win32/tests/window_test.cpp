// Top-level windows: styles, states, destruction, dialog mode, the message
// loop, timers, keys, hot keys and tasks posted from other threads.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/win32/tests/test_support.h"

namespace platform::win32::testing {
namespace {

const Rect kPlace{60, 70, 260, 170};

TEST(Win32Window, StylesFollowTheSpec) {
  struct Case {
    bool frameless, taskbar, topmost;
  };
  for (const Case& c :
       {Case{true, true, true}, Case{true, false, false}, Case{false, true, false}}) {
    SCOPED_TRACE(::testing::Message() << "frameless " << c.frameless << " taskbar " << c.taskbar
                                      << " topmost " << c.topmost);
    WindowSpec options = SpecAt(kPlace);
    options.title = "标题 Title";
    options.frameless = c.frameless;
    options.taskbar = c.taskbar;
    options.topmost = c.topmost;
    auto window = OpenWindow(options, false);
    ASSERT_TRUE(window);
    HWND hwnd = Hwnd(window->Handle());
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    const LONG ex_style = GetWindowLongW(hwnd, GWL_EXSTYLE);
    EXPECT_EQ((style & WS_POPUP) != 0, c.frameless);
    EXPECT_EQ((style & WS_CAPTION) == WS_CAPTION, !c.frameless);
    EXPECT_NE(style & WS_MINIMIZEBOX, 0);
    EXPECT_NE(style & WS_SYSMENU, 0);
    EXPECT_EQ((ex_style & WS_EX_APPWINDOW) != 0, c.taskbar);
    EXPECT_EQ((ex_style & WS_EX_TOOLWINDOW) != 0, !c.taskbar);
    EXPECT_EQ((ex_style & WS_EX_TOPMOST) != 0, c.topmost);
    EXPECT_FALSE(window->Visible()) << "created hidden";
    wchar_t title[64] = {};
    GetWindowTextW(hwnd, title, 64);
    EXPECT_STREQ(title, L"标题 Title");
    EXPECT_EQ(window->Place(), kPlace);
  }
}

TEST(Win32Window, TheIconOfTheSpecIsTheWindowsIcon) {
  WindowSpec options = SpecAt(kPlace);
  options.icon = TestPlatform().EmbeddedPicture("framelark.ico");
  ASSERT_FALSE(options.icon.empty());
  auto window = OpenWindow(options, false);
  HWND hwnd = Hwnd(window->Handle());
  EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0), 0);

  options.icon = Bytes{0, 0, 1, 0, 9, 0};  // claims nine images, has none
  auto broken = OpenWindow(options, false);
  ASSERT_TRUE(broken);
  EXPECT_EQ(SendMessageW(Hwnd(broken->Handle()), WM_GETICON, ICON_BIG, 0), 0);
}

TEST(Win32Window, SizeChangesAreReported) {
  auto window = OpenWindow(SpecAt(kPlace), false);
  int changes = 0;
  window->onSizeChanged = [&] { ++changes; };
  window->SetWidth(300);
  EXPECT_EQ(window->Place(), (Rect{60, 70, 360, 170}));
  EXPECT_EQ(changes, 1);
  window->SetHeight(150);
  EXPECT_EQ(window->Place(), (Rect{60, 70, 360, 220}));
  EXPECT_EQ(changes, 2);
  window->Move(Rect{0, 0, 300, 150});  // same size elsewhere
  EXPECT_EQ(changes, 2);
}

TEST(Win32Window, StatesPlaceTheWindow) {
  const Size screen = TestPlatform().ScreenSize();
  auto window = OpenWindow(SpecAt(kPlace), false);
  window->SetState(WindowState::Centred);
  const int left = (screen.width - 200) / 2, top = (screen.height - 100) / 2;
  EXPECT_EQ(window->Place(), (Rect{left, top, left + 200, top + 100}));
  EXPECT_EQ(window->State(), WindowState::Normal);

  window->SetState(WindowState::Maximised);
  EXPECT_EQ(window->Place(), (Rect{0, 0, screen.width, screen.height}));
  EXPECT_EQ(window->State(), WindowState::Maximised);
}

TEST(Win32Window, MinimisingAHiddenWindowWaitsUntilItIsShown) {
  auto window = OpenWindow(SpecAt(kPlace), false);
  window->SetState(WindowState::Minimised);
  EXPECT_EQ(window->State(), WindowState::Minimised);
  EXPECT_FALSE(IsIconic(Hwnd(window->Handle())));
  window->SetVisible(true);
  Pump(30);
  EXPECT_TRUE(IsIconic(Hwnd(window->Handle())));
  EXPECT_EQ(window->State(), WindowState::Minimised);
  window->SetState(WindowState::Normal);
  Pump(30);
  EXPECT_FALSE(IsIconic(Hwnd(window->Handle())));
  EXPECT_EQ(window->State(), WindowState::Normal);
  EXPECT_EQ(window->Place(), kPlace);
}

TEST(Win32Window, DestroyIsCarriedOutByTheMessageLoop) {
  auto window = OpenWindow(SpecAt(kPlace), true);
  int destroying = 0;
  bool loaded_while_destroying = false;
  window->onDestroying = [&] {
    ++destroying;
    loaded_while_destroying = window->Loaded();
  };
  bool close_asked = false;
  window->onCloseRequested = [&] { return close_asked = true; };
  window->Destroy();
  window->Destroy();
  EXPECT_TRUE(window->Loaded());
  EXPECT_EQ(destroying, 0);
  Pump(30);
  EXPECT_FALSE(window->Loaded());
  EXPECT_EQ(destroying, 1);
  EXPECT_TRUE(loaded_while_destroying);
  EXPECT_FALSE(close_asked) << "Destroy is no close request";
  window->Destroy();  // nothing left to destroy
  Pump(10);
  EXPECT_EQ(destroying, 1);
}

TEST(Win32Window, ACloseRequestCanBeRefused) {
  auto window = OpenWindow(SpecAt(kPlace), true);
  bool allow = false;
  int asked = 0;
  window->onCloseRequested = [&] {
    ++asked;
    return allow;
  };
  SendMessageW(Hwnd(window->Handle()), WM_CLOSE, 0, 0);
  EXPECT_TRUE(window->Loaded());
  allow = true;
  SendMessageW(Hwnd(window->Handle()), WM_CLOSE, 0, 0);
  EXPECT_FALSE(window->Loaded());
  EXPECT_EQ(asked, 2);
}

TEST(Win32Window, TheWindowObjectMayGoWhileItsWindowIsDestroyed) {
  auto window = OpenWindow(SpecAt(kPlace), true);
  ControlSpec options;
  options.name = "标签";
  options.place = Rect{0, 0, 50, 20};
  window->AddLabel(options);
  window->AddCanvas(options);
  HWND hwnd = Hwnd(window->Handle());
  window->onDestroying = [&] { window.reset(); };
  DestroyWindow(hwnd);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(window);
}

TEST(Win32Window, TheLoopEndsWithTheLastWindow) {
  Pump(10);  // nothing left over from other tests
  auto first = OpenWindow(SpecAt(kPlace), true);
  auto second = OpenWindow(SpecAt(kPlace), false);
  Timer& timer = first->AddTimer("end");
  int ticks = 0;
  timer.onTick = [&] {
    if (++ticks == 1) {
      second->Destroy();
    } else {
      timer.SetPeriod(0);
      first->Destroy();
    }
  };
  timer.SetPeriod(20);
  // A guard ends a loop that does not end by itself.
  const DWORD gui = GetCurrentThreadId();
  std::thread guard([gui] {
    Sleep(5000);
    PostThreadMessageW(gui, WM_QUIT, 99, 0);
  });
  const int code = TestPlatform().RunMessageLoop();
  EXPECT_EQ(code, 0);
  EXPECT_EQ(ticks, 2);
  guard.join();
  Pump(10);  // the guard's message, if any
}

TEST(Win32Window, AHiddenDialogReturnsAtOnceAndDisablesItsOwnerUntilItIsGone) {
  auto owner = OpenWindow(SpecAt(kPlace), true);
  WindowSpec options = SpecAt(Rect{100, 100, 200, 150});
  options.visible = false;
  auto dialog = OpenWindow(options, false);
  TestPlatform().RunDialog(*dialog, *owner);
  EXPECT_FALSE(IsWindowEnabled(Hwnd(owner->Handle())));
  EXPECT_FALSE(dialog->Visible());
  EXPECT_EQ(GetWindow(Hwnd(dialog->Handle()), GW_OWNER), Hwnd(owner->Handle()));
  dialog->Destroy();
  Pump(20);
  EXPECT_TRUE(IsWindowEnabled(Hwnd(owner->Handle())));
}

TEST(Win32Window, AVisibleDialogKeepsTheCallWaitingUntilItIsDestroyed) {
  auto owner = OpenWindow(SpecAt(kPlace), true);
  WindowSpec options = SpecAt(Rect{100, 100, 200, 150});
  options.visible = true;
  auto dialog = OpenWindow(options, false);
  Timer& timer = dialog->AddTimer("close");
  bool owner_disabled = false;
  bool dialog_shown = false;
  timer.onTick = [&] {
    owner_disabled = !IsWindowEnabled(Hwnd(owner->Handle()));
    dialog_shown = dialog->Visible();
    timer.SetPeriod(0);
    dialog->Destroy();
  };
  timer.SetPeriod(30);
  std::vector<int> posted;
  TestPlatform().PostToGuiThread([&] { posted.push_back(1); });
  TestPlatform().RunDialog(*dialog, *owner);
  EXPECT_FALSE(dialog->Loaded());
  EXPECT_TRUE(owner_disabled);
  EXPECT_TRUE(dialog_shown);
  EXPECT_TRUE(IsWindowEnabled(Hwnd(owner->Handle())));
  EXPECT_EQ(posted, std::vector<int>{1}) << "tasks run in the dialog's loop";
}

TEST(Win32Window, StartedThreadsRunBesideTheGuiThreadUntilJoined) {
  DWORD ran_on = 0;
  auto thread = TestPlatform().StartThread([&] {
    Sleep(50);
    ran_on = GetCurrentThreadId();
  });
  thread->Join();
  EXPECT_NE(ran_on, 0u);
  EXPECT_NE(ran_on, GetCurrentThreadId());
  thread->Join();  // once more: nothing left to wait for
}

TEST(Win32Window, TasksFromOtherThreadsRunOnTheGuiThreadInOrder) {
  std::vector<int> order;
  std::vector<DWORD> threads;
  std::thread worker([&] {
    for (int i = 0; i < 200; ++i) {
      TestPlatform().PostToGuiThread([&, i] {
        order.push_back(i);
        threads.push_back(GetCurrentThreadId());
      });
    }
  });
  worker.join();
  EXPECT_TRUE(PumpUntil([&] { return order.size() == 200; }));
  for (int i = 0; i < static_cast<int>(order.size()); ++i) ASSERT_EQ(order[i], i);
  for (DWORD thread : threads) ASSERT_EQ(thread, GetCurrentThreadId());
}

TEST(Win32Window, ATimerRunsWhileItsPeriodIsPositiveAndIsNotRestartedBySamePeriod) {
  auto window = OpenWindow(SpecAt(kPlace), false);
  Timer& timer = window->AddTimer("时钟");
  EXPECT_EQ(timer.Name(), "时钟");
  EXPECT_EQ(timer.Period(), 0);
  int ticks = 0;
  timer.onTick = [&] { ++ticks; };
  Pump(60);
  EXPECT_EQ(ticks, 0) << "stopped at first";

  timer.SetPeriod(50);
  // Setting the same period again and again must not hold the tick back.
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 400) {
    timer.SetPeriod(50);
    Pump(10);
  }
  EXPECT_GE(ticks, 3);

  timer.SetPeriod(-5);
  EXPECT_EQ(timer.Period(), 0);
  const int stopped_at = ticks;
  Pump(150);
  EXPECT_EQ(ticks, stopped_at);
}

TEST(Win32Window, KeysMouseAndHotKeysReachTheHandlers) {
  auto window = OpenWindow(SpecAt(kPlace), true);
  ControlSpec options;
  options.name = "单选框";
  options.place = Rect{0, 0, 20, 20};
  RadioButton& radio = window->AddRadioButton(options);
  std::vector<int> keys;
  window->onKeyDown = [&](int key) { keys.push_back(key); };
  int background = 0;
  window->onBackgroundLeftDown = [&] { ++background; };
  std::vector<int> hotkeys;
  window->onHotkey = [&](int id) { hotkeys.push_back(id); };

  HWND hwnd = Hwnd(window->Handle());
  PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 0);
  PostMessageW(Hwnd(radio.Handle()), WM_KEYDOWN, VK_ESCAPE, 0);  // a control has the focus
  PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 50));
  PostMessageW(hwnd, WM_HOTKEY, 33001, 0);
  Pump(30);
  EXPECT_EQ(keys, (std::vector<int>{VK_RETURN, VK_ESCAPE}));
  EXPECT_EQ(background, 1);
  EXPECT_EQ(hotkeys, std::vector<int>{33001});

  // The system refuses a key that is taken.
  ASSERT_TRUE(TestPlatform().RegisterSystemHotKey(*window, 33010, MOD_CONTROL | MOD_ALT, VK_F9));
  auto other = OpenWindow(SpecAt(kPlace), false);
  EXPECT_FALSE(TestPlatform().RegisterSystemHotKey(*other, 33011, MOD_CONTROL | MOD_ALT, VK_F9));
  EXPECT_TRUE(TestPlatform().UnregisterSystemHotKey(*window, 33010));
  EXPECT_FALSE(TestPlatform().UnregisterSystemHotKey(*window, 33010));
}

TEST(Win32Window, ABackgroundPictureFillsTheWindow) {
  auto window = OpenWindow(SpecAt(Rect{300, 300, 340, 330}, 0x0000FF), true);
  window->SetBackgroundPicture(SolidBitmap(20, 30, 0x00FF00));
  Pump(50);
  const framelark::PixelImage shown = ScreenPixels(Rect{300, 300, 340, 330});
  EXPECT_EQ(shown.At(0, 0), 0x00FF00u);
  EXPECT_EQ(shown.At(19, 29), 0x00FF00u);
  EXPECT_EQ(shown.At(20, 0), 0xFF0000u) << "back colour beyond the picture";
  window->SetBackColour(0xFF0000);
  Pump(50);
  EXPECT_EQ(ScreenPixels(Rect{300, 300, 340, 330}).At(39, 29), 0x0000FFu);
}

}  // namespace
}  // namespace platform::win32::testing
