// The window picker on the fake backend: other programs' windows are
// foreign windows, the flash timer runs as the test advances the clock.
#include "selection/window_picker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gif/bitmap_file.h"
#include "selection/overlay.h"
#include "tests/support/program_fixture.h"

namespace framelark::testing {
namespace {

using platform::NativeHandle;
using platform::Point;
using platform::Rect;
using platform::fake::FakeCanvas;
using platform::fake::ForeignWindow;

constexpr int kFlash = 300;

// Another program's window in the top-left quarter (MainWindow sits in the
// middle of the screen), with a button inside it.
constexpr NativeHandle kApp = 0x501;
constexpr NativeHandle kButton = 0x502;
constexpr Rect kAppRect{40, 30, 400, 280};
constexpr Rect kButtonRect{100, 100, 180, 130};
// A second program further right.
constexpr NativeHandle kOther = 0x601;
constexpr Rect kOtherRect{900, 50, 1200, 250};

class WindowPickerTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    // A screen whose pixels all differ, so that snapshots can be located.
    for (int y = 0; y < fake.Screen().height; ++y) {
      for (int x = 0; x < fake.Screen().width; ++x) {
        fake.Screen().At(x, y) = static_cast<std::uint32_t>(y << 12 | x);
      }
    }
    fake.ForeignWindows() = {
        ForeignWindow{kButton, kButtonRect, kApp, true},
        ForeignWindow{kApp, kAppRect, 0, true},
        ForeignWindow{kOther, kOtherRect, 0, true},
    };
    StartProgram();
    Recorder().BorderColor = 0x00FF00;
  }

  // What the crosshair does in window mode.
  void StartPicking() {
    Main().时钟_闪烁->SetPeriod(kFlash);
    OpenOutlineWindow();
  }

  void Tick() { fake.AdvanceClock(kFlash); }

  FakeWindow& OutlineForm() { return static_cast<FakeWindow&>(*Outline()->form); }
  FakeCanvas& OutlineCanvas() { return static_cast<FakeCanvas&>(*Outline()->画板_闪烁数据); }

  // The snapshot the outline shows, as pixels.
  PixelImage Snapshot() {
    auto image = ReadBitmapFile(OutlineCanvas().BackgroundPicture());
    EXPECT_TRUE(image.has_value());
    return image.value_or(PixelImage{});
  }

  static Rect Grown(const Rect& r) {
    return Rect{r.left - 2, r.top - 2, r.right + 2, r.bottom + 2};
  }
};

TEST_F(WindowPickerTest, OpensHiddenAndDisablesMainWindowUntilThePickingEnds) {
  StartPicking();  // returns at once: the outline starts hidden
  ASSERT_NE(Outline(), nullptr);
  FakeWindow& outline = OutlineForm();
  EXPECT_FALSE(outline.Visible());
  EXPECT_TRUE(outline.Options().topmost);
  EXPECT_FALSE(outline.Options().taskbar);
  EXPECT_TRUE(outline.Options().frameless);
  EXPECT_EQ(outline.BackColour(), 0xFFu);
  EXPECT_FALSE(Form().Enabled());
  // The main window's timers keep running meanwhile.
  EXPECT_EQ(Main().时钟_闪烁->Period(), kFlash);

  fake.SetCursorPos(Point{120, 110});
  Tick();
  ASSERT_TRUE(outline.Visible());
  EXPECT_FALSE(Form().Enabled());

  OutlineCanvas().LeftDown(20, 10);
  OutlineCanvas().LeftUp();
  fake.RunPending();
  EXPECT_EQ(Main().时钟_闪烁->Period(), 0);
  EXPECT_EQ(Outline(), nullptr);
  EXPECT_EQ(fake.LoadedWindows(), 1);
  EXPECT_TRUE(Form().Enabled());
  EXPECT_EQ(Recorder().PickedWindow.load(), kButton);
  EXPECT_EQ(Recorder().CaptureRect.Get(), kButtonRect);

  // No more ticks: pointing elsewhere picks nothing new.
  fake.SetCursorPos(Point{1000, 100});
  fake.AdvanceClock(10 * kFlash);
  EXPECT_EQ(Recorder().PickedWindow.load(), kButton);
  EXPECT_EQ(Recorder().CaptureRect.Get(), kButtonRect);
}

TEST_F(WindowPickerTest, FlashesOverThePointedAtWindowAndFollowsAtTheNextShowingTick) {
  StartPicking();
  struct Phase {
    const char* what;
    Point cursor;  // where the mouse is during the tick
    bool shown;
    NativeHandle picked;
    Rect target;  // the picked window's rectangle (CaptureRect)
  };
  const std::vector<Phase> phases = {
      {"shows over the button", {120, 110}, true, kButton, kButtonRect},
      {"hides; the outline under the mouse is no target", {120, 110}, false, kButton, kButtonRect},
      {"shows again where the mouse is", {150, 250}, true, kApp, kAppRect},
      // The mouse moved while the outline was shown: it stays where it was
      // until the next showing tick.
      {"hides after the mouse went elsewhere", {1000, 100}, false, kOther, kOtherRect},
      {"shows over the other program", {1000, 100}, true, kOther, kOtherRect},
  };
  Rect shown_at;
  for (const Phase& phase : phases) {
    SCOPED_TRACE(phase.what);
    fake.SetCursorPos(phase.cursor);
    Tick();
    ASSERT_NE(Outline(), nullptr);
    EXPECT_EQ(OutlineForm().Visible(), phase.shown);
    EXPECT_EQ(Recorder().PickedWindow.load(), phase.picked);
    EXPECT_EQ(Recorder().CaptureRect.Get(), phase.target);
    if (!phase.shown) {
      EXPECT_EQ(OutlineForm().Place(), shown_at) << "hiding does not move the outline";
      continue;
    }
    shown_at = OutlineForm().Place();
    EXPECT_EQ(shown_at, Grown(phase.target));
    EXPECT_EQ(OutlineForm().BackColour(), 0x00FF00u);
    EXPECT_EQ(OutlineCanvas().Place(),
              (Rect{2, 2, 2 + phase.target.Width(), 2 + phase.target.Height()}));
    const PixelImage snapshot = Snapshot();
    ASSERT_EQ(snapshot.width, phase.target.Width());
    ASSERT_EQ(snapshot.height, phase.target.Height());
    EXPECT_EQ(snapshot.At(0, 0), fake.Screen().At(phase.target.left, phase.target.top));
    EXPECT_EQ(snapshot.At(snapshot.width - 1, snapshot.height - 1),
              fake.Screen().At(phase.target.right - 1, phase.target.bottom - 1));
    EXPECT_EQ(OutlineCanvas().Pixels().At(3, 4),
              fake.Screen().At(phase.target.left + 3, phase.target.top + 4))
        << "the canvas shows the snapshot";
  }
}

TEST_F(WindowPickerTest, OutlineAtTheScreenEdgeReachesPastItAndItsSnapshotStaysInPlace) {
  // A window along the top edge and a maximised window whose frame lies
  // 8 pixels beyond every edge of the screen.
  const Rect top_bar{0, 0, 1280, 24};
  const Rect maximised{-8, -8, 1288, 808};
  fake.ForeignWindows() = {ForeignWindow{0x701, top_bar, 0, true},
                           ForeignWindow{0x702, maximised, 0, true}};
  StartPicking();

  fake.SetCursorPos(Point{5, 5});
  Tick();
  EXPECT_EQ(OutlineForm().Place(), (Rect{-2, -2, 1282, 26}));
  EXPECT_EQ(Snapshot().At(0, 0), fake.Screen().At(0, 0));
  Tick();  // hidden

  fake.SetCursorPos(Point{640, 700});
  Tick();
  EXPECT_EQ(Recorder().CaptureRect.Get(), maximised);
  EXPECT_EQ(OutlineForm().Place(), (Rect{-10, -10, 1290, 810}));
  EXPECT_EQ(OutlineCanvas().Place(), (Rect{2, 2, 1298, 818}));
  // Canvas pixel (8, 8) lies on the screen's corner, and shows it.
  const PixelImage snapshot = Snapshot();
  ASSERT_EQ(snapshot.width, 1296);
  ASSERT_EQ(snapshot.height, 816);
  EXPECT_EQ(snapshot.At(8, 8), fake.Screen().At(0, 0));
  EXPECT_EQ(snapshot.At(8 + 300, 8 + 200), fake.Screen().At(300, 200));
  EXPECT_EQ(snapshot.At(8 + 1279, 8 + 799), fake.Screen().At(1279, 799));
}

TEST_F(WindowPickerTest, TheOutlineUnderTheMouseIsNeverPicked) {
  // Pointing at the shown outline, on its canvas or on the 2-pixel band that
  // is OutlineWindow itself, when the hiding tick comes.
  const Point on_outline[] = {{120, 110}, {kButtonRect.left - 1, kButtonRect.top + 5}};
  for (const Point at : on_outline) {
    SCOPED_TRACE(std::to_string(at.x) + "," + std::to_string(at.y));
    fake.SetCursorPos(Point{120, 110});
    StartPicking();
    Tick();
    ASSERT_TRUE(OutlineForm().Visible());

    fake.SetCursorPos(at);
    Tick();
    EXPECT_FALSE(OutlineForm().Visible());
    EXPECT_EQ(Recorder().PickedWindow.load(), kButton);
    EXPECT_EQ(Recorder().CaptureRect.Get(), kButtonRect);

    // The click that ends this round.
    fake.SetCursorPos(Point{120, 110});
    Tick();
    OutlineCanvas().LeftDown(20, 10);
    OutlineCanvas().LeftUp();
    fake.RunPending();
    ASSERT_EQ(Outline(), nullptr);
  }
}

TEST_F(WindowPickerTest, PressHeldAcrossTicksStillPicksTheOutlinedWindow) {
  fake.SetCursorPos(Point{120, 110});
  StartPicking();
  Tick();
  ASSERT_TRUE(OutlineForm().Visible());

  // Held while the ticks come, the mouse wandering onto the band and then
  // onto another program: the outline stays, and so does the choice.
  OutlineCanvas().LeftDown(20, 10);
  const Point wandering[] = {{120, 110}, {kButtonRect.left - 1, kButtonRect.top + 5}, {1000, 100}};
  for (const Point at : wandering) {
    fake.SetCursorPos(at);
    Tick();
    EXPECT_TRUE(OutlineForm().Visible());
    EXPECT_EQ(OutlineForm().Place(), Grown(kButtonRect));
    EXPECT_EQ(Recorder().PickedWindow.load(), kButton);
    EXPECT_EQ(Recorder().CaptureRect.Get(), kButtonRect);
  }

  OutlineCanvas().LeftUp();
  fake.RunPending();
  EXPECT_EQ(Outline(), nullptr);
  EXPECT_EQ(Main().时钟_闪烁->Period(), 0);
  EXPECT_TRUE(Form().Enabled());
  EXPECT_EQ(Recorder().PickedWindow.load(), kButton);
  EXPECT_EQ(Recorder().CaptureRect.Get(), kButtonRect);
}

TEST_F(WindowPickerTest, TicksWithoutAnOutlineOnlyTrackTheWindowUnderTheMouse) {
  Recorder().CaptureRect.Set(Rect{1, 2, 3, 4});
  Main().时钟_闪烁->SetPeriod(kFlash);  // no outline opened
  fake.SetCursorPos(Point{1000, 100});
  Tick();
  EXPECT_EQ(Recorder().PickedWindow.load(), kOther);
  EXPECT_EQ(Recorder().CaptureRect.Get(), kOtherRect);
  EXPECT_EQ(fake.LoadedWindows(), 1);

  // Nothing under the mouse: no window, and the last rectangle stays.
  fake.ForeignWindows().clear();
  fake.SetCursorPos(Point{10, 10});
  Tick();
  EXPECT_EQ(Recorder().PickedWindow.load(), 0);
  EXPECT_EQ(Recorder().CaptureRect.Get(), kOtherRect);
}

TEST_F(WindowPickerTest, PickingCanBeginAgainAfterItEnded) {
  fake.SetCursorPos(Point{120, 110});
  StartPicking();
  Tick();
  OutlineCanvas().LeftUp();
  fake.RunPending();
  ASSERT_EQ(Outline(), nullptr);

  fake.SetCursorPos(Point{1000, 100});
  StartPicking();
  ASSERT_NE(Outline(), nullptr);
  EXPECT_FALSE(OutlineForm().Visible());
  EXPECT_FALSE(Form().Enabled());
  Tick();
  EXPECT_TRUE(OutlineForm().Visible());
  EXPECT_EQ(Recorder().PickedWindow.load(), kOther);
  OutlineCanvas().LeftUp();
  fake.RunPending();
  EXPECT_TRUE(Form().Enabled());
}

TEST_F(WindowPickerTest, ClosingTheProgramWhilePickingTakesTheOutlineAlong) {
  fake.SetCursorPos(Point{120, 110});
  StartPicking();
  Tick();
  Main().form->Destroy();
  fake.RunPending();
  EXPECT_EQ(Outline(), nullptr);
  EXPECT_EQ(fake.LoadedWindows(), 0);
  EXPECT_EQ(Main().时钟_闪烁->Period(), 0);
}

}  // namespace
}  // namespace framelark::testing
