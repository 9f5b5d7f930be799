// The capture tick: when frames are added and with which delays, what each
// frame shows (grab, watermark, click rings, arrow), and the rectangles of
// window and follow mode.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <optional>
#include <tuple>

#include "engine/mouse_hook.h"
#include "gif/gif_decoder.h"
#include "tests/engine/recording_fixture.h"

namespace framelark::testing {
namespace {

using platform::Point;
using platform::Rect;

constexpr std::uintptr_t kLeftDown = 0x0201, kLeftUp = 0x0202, kLeftDouble = 0x0203;
constexpr std::uintptr_t kRightDown = 0x0204, kRightUp = 0x0205, kRightDouble = 0x0206;

class CaptureTickTest : public RecordingTest {
 protected:
  // A small region (30 / 300) with the mouse outside it.
  void StartSmallRegion() {
    Choose(Mode::Region, Rect{200, 200, 300, 300});
    Start();
  }
  void MoveMouseBy(int dx, int dy) {
    const Point p = fake.CursorPos();
    fake.SetCursorPos(Point{p.x + dx, p.y + dy});
  }
};

TEST_F(CaptureTickTest, DelayCountsThePeriodsSinceThePreviousFrame) {
  StartSmallRegion();
  Tick();  // the first grab always counts as a change
  EXPECT_EQ(Status(), "[录制状态][F2]停止 [F3]暂停 [已录制1帧]");
  Tick();  // unchanged
  Tick();  // unchanged
  ChangeScreen();
  Tick();
  ChangeScreen();
  Tick();
  EXPECT_EQ(Delays(), (std::vector<int>{30, 90, 30}));
  EXPECT_EQ(Recorder().PendingDelay, 30);
  EXPECT_EQ(Status(), "[录制状态][F2]停止 [F3]暂停 [已录制3帧]");

  // The writer got the same: the saved picture plays with these delays.
  const std::string path =
      ::testing::TempDir() + "framelark_delays_" + std::to_string(::getpid()) + ".gif";
  ASSERT_TRUE(GifSave(Recorder().Writer, path));
  std::ifstream in(path, std::ios::binary);
  const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::filesystem::remove(path);
  DecodedGif gif;
  ASSERT_TRUE(DecodeGif(bytes, gif));
  EXPECT_EQ(gif.width, 100);
  EXPECT_EQ(gif.height, 100);
  std::vector<int> saved_delays;
  for (const DecodedFrame& frame : gif.frames) saved_delays.push_back(frame.delay);
  EXPECT_EQ(saved_delays, (std::vector<int>{30, 90, 30}));
}

TEST_F(CaptureTickTest, UnchangedTickGrabsOnceAndDrawsNothing) {
  StartSmallRegion();
  Tick();
  int canvas_calls = 0;
  FrameCanvas().onCall = [&](const std::string&) { ++canvas_calls; };
  const int grabs = fake.Grabs();
  Tick();
  FrameCanvas().onCall = nullptr;
  EXPECT_EQ(fake.Grabs(), grabs + 1);
  EXPECT_EQ(canvas_calls, 0);
  EXPECT_EQ(Recorder().Writer.FrameCount(), 1);
  EXPECT_EQ(Recorder().PendingDelay, 60);
  EXPECT_EQ(CaptureTimer().Period(), 300);
}

TEST_F(CaptureTickTest, StillScreenWithMovingMouseAddsAFramePerTick) {
  Choose(Mode::Region, Rect{0, 0, 200, 200});
  Start();
  const Point places[] = {{50, 50}, {60, 50}, {70, 55}, {70, 56}};
  for (const Point& p : places) {
    fake.SetCursorPos(p);
    Tick();
  }
  const auto frames = Frames();
  ASSERT_EQ(frames.size(), 4u);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(frames[i].delay, 30);
    EXPECT_EQ(frames[i].picture.At(places[i].x, places[i].y), kArrowPixel);  // the tip
    EXPECT_NE(frames[i].picture.At(places[i].x + 1, places[i].y), kArrowPixel);
    if (i > 0) {  // the arrow of the previous frame is gone
      EXPECT_NE(frames[i].picture.At(places[i - 1].x - 2, places[i - 1].y - 4), kArrowPixel);
    }
  }
}

TEST_F(CaptureTickTest, EmptyGrabAddsNothingAndKeepsTheTimerRunning) {
  Choose(Mode::Region, Rect{900, 100, 1000, 200});  // right of the 800-pixel screen
  Start();
  for (int i = 0; i < 3; ++i) {
    MoveMouseBy(1, 0);
    Tick();
    EXPECT_EQ(CaptureTimer().Period(), 300);
  }
  EXPECT_TRUE(Frames().empty());
  EXPECT_EQ(Recorder().PendingDelay, 30);
  EXPECT_EQ(Recorder().FrameCount, 0);
}

TEST_F(CaptureTickTest, FollowModeKeepsTheRectangleOnTheScreen) {
  // The screen is 800 x 600.
  const struct Case {
    const char* what;
    int width, height;
    Point cursor;
    Rect expected;
  } cases[] = {
      {"centre", 200, 100, {400, 300}, {300, 250, 500, 350}},
      {"left edge", 200, 100, {50, 300}, {0, 250, 200, 350}},
      {"right edge", 200, 100, {790, 300}, {600, 250, 800, 350}},
      {"top edge", 200, 100, {400, 10}, {300, 0, 500, 100}},
      {"bottom edge", 200, 100, {400, 595}, {300, 500, 500, 600}},
      {"top-left corner", 200, 100, {0, 0}, {0, 0, 200, 100}},
      {"bottom-right corner", 200, 100, {799, 599}, {600, 500, 800, 600}},
      {"odd size, centre", 301, 101, {400, 300}, {249, 249, 550, 350}},
      {"odd size, near the left: one column short", 301, 101, {150, 300}, {0, 249, 300, 350}},
      {"odd size, right edge", 301, 101, {700, 300}, {499, 249, 800, 350}},
      {"odd size, top-left corner", 301, 101, {0, 0}, {0, 0, 301, 101}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Choose(Mode::Follow, Rect{0, 0, c.width, c.height});
    Start();
    fake.SetCursorPos(c.cursor);
    Tick();
    EXPECT_EQ(Recorder().CaptureRect.Get(), c.expected);
    const auto frames = Frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back().picture.width, c.width);  // the frame keeps its size
    EXPECT_EQ(frames.back().picture.At(c.cursor.x - c.expected.left, c.cursor.y - c.expected.top),
              kArrowPixel);
    Stop();
  }
}

TEST_F(CaptureTickTest, WindowModeFollowsThePickedWindow) {
  fake.SetCursorPos(Point{790, 590});
  fake.ForeignWindows().push_back({0x5001, Rect{100, 100, 300, 250}});
  Paint(Rect{100, 100, 300, 250}, 0x112233);
  Choose(Mode::Window, Rect{100, 100, 300, 250}, 0x5001);
  Start();
  Tick();

  // Moved.
  fake.ForeignWindows()[0].rect = Rect{400, 300, 600, 450};
  Paint(Rect{400, 300, 600, 450}, 0x445566);
  Tick();
  EXPECT_EQ(Recorder().CaptureRect.Get(), (Rect{400, 300, 600, 450}));

  // Larger: cut at the frame's edges.
  fake.ForeignWindows()[0].rect = Rect{400, 300, 700, 500};
  Paint(Rect{400, 300, 700, 500}, 0x778899);
  Tick();

  // Smaller: the rest of the frame stays as the previous frame left it.
  fake.ForeignWindows()[0].rect = Rect{450, 350, 550, 400};
  Paint(Rect{450, 350, 550, 400}, 0xAABBCC);
  Tick();

  const auto frames = Frames();
  ASSERT_EQ(frames.size(), 4u);
  EXPECT_EQ(frames[0].picture.pixels, PixelImage(200, 150, 0x112233).pixels);
  EXPECT_EQ(frames[1].picture.pixels, PixelImage(200, 150, 0x445566).pixels);
  EXPECT_EQ(frames[2].picture.pixels, PixelImage(200, 150, 0x778899).pixels);
  EXPECT_EQ(frames[3].picture.width, 200);
  EXPECT_EQ(frames[3].picture.At(0, 0), 0xAABBCCu);
  EXPECT_EQ(frames[3].picture.At(99, 49), 0xAABBCCu);
  EXPECT_EQ(frames[3].picture.At(100, 49), 0x778899u);
  EXPECT_EQ(frames[3].picture.At(0, 50), 0x778899u);

  // Closed: the capture stays where the window was last seen.
  fake.ForeignWindows().clear();
  Tick();
  EXPECT_EQ(Recorder().CaptureRect.Get(), (Rect{450, 350, 550, 400}));
}

TEST_F(CaptureTickTest, RectanglePartlyOffTheScreenKeepsEverythingInPlace) {
  // A window dragged past the top-left corner: 50 columns and 30 rows cut.
  for (int y = 0; y < 170; ++y) {
    for (int x = 0; x < 150; ++x) fake.Screen().At(x, y) = static_cast<std::uint32_t>(x << 8 | y);
  }
  fake.ForeignWindows().push_back({0x5001, Rect{-50, -30, 150, 170}});
  fake.SetCursorPos(Point{10, 20});
  Choose(Mode::Window, Rect{-50, -30, 150, 170}, 0x5001);
  Start();
  fake.SendMouseMessage(kRightDown);
  Tick();

  const auto frames = Frames();
  ASSERT_EQ(frames.size(), 1u);
  const PixelImage& frame = frames[0].picture;
  EXPECT_EQ(frame.width, 200);
  EXPECT_EQ(frame.At(50, 30), fake.Screen().At(0, 0));
  EXPECT_EQ(frame.At(199, 199), fake.Screen().At(149, 169));
  EXPECT_EQ(frame.At(120, 100), fake.Screen().At(70, 70));
  EXPECT_EQ(frame.At(49, 100), kCanvasGrey);  // the cut part: nothing there
  EXPECT_EQ(frame.At(100, 29), kCanvasGrey);
  // The mouse at (10, 20) is at (60, 50) in the frame, over screen pixel (10, 20).
  EXPECT_EQ(frame.At(60, 50), kArrowPixel);
  const auto ellipses = OpsOf(DrawOp::Ellipse);
  ASSERT_EQ(ellipses.size(), 2u);
  EXPECT_EQ(std::tie(ellipses[0].x1, ellipses[0].y1, ellipses[0].x2, ellipses[0].y2),
            std::make_tuple(51, 42, 71, 62));
}

TEST_F(CaptureTickTest, WatermarkMovesAndChangesColourEverySeventhFrame) {
  Control<FakeCheckBox>("选择框_水印").SetChecked(true);
  Recorder().WatermarkText.Set("水印 abc");
  Choose(Mode::Region, Rect{0, 0, 300, 200});
  Start();
  for (int i = 0; i < 16; ++i) {
    MoveMouseBy(1, 0);
    Tick();
  }
  const auto texts = OpsOf(DrawOp::Text);
  ASSERT_EQ(texts.size(), 16u);
  auto place = [&](std::size_t i) {
    return std::make_tuple(texts[i].x1, texts[i].y1, texts[i].colour);
  };
  for (std::size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(texts[i].text, "水印 abc");
    EXPECT_GE(texts[i].x1, 1);
    EXPECT_LE(texts[i].x1, 300);
    EXPECT_GE(texts[i].y1, 1);
    EXPECT_LE(texts[i].y1, 200);
    const std::size_t moved_at = i / 7 * 7;  // frames 1, 8, 15 (indices 0, 7, 14)
    EXPECT_EQ(place(i), place(moved_at));
  }
  EXPECT_NE(place(0), place(7));
  EXPECT_NE(place(7), place(14));
  EXPECT_EQ(Recorder().WatermarkCycle, 2);
}

TEST_F(CaptureTickTest, WatermarkBoxUncheckedWritesNoTextAndKeepsTheCycle) {
  Recorder().WatermarkText.Set("abc");
  Choose(Mode::Region, Rect{0, 0, 300, 200});
  Start();
  Ticks(3);
  EXPECT_TRUE(OpsOf(DrawOp::Text).empty());
  EXPECT_EQ(Recorder().WatermarkCycle, 0);
}

TEST_F(CaptureTickTest, ClickRingsShowOnTheNextComposedFrameInTheButtonsColour) {
  const struct Case {
    const char* what;
    std::vector<std::uintptr_t> messages;
    platform::Colour pen;
  } cases[] = {
      {"left press", {kLeftDown, kLeftUp}, 0x0000FF},
      {"right press", {kRightDown, kRightUp}, 0x00FFFF},
      {"one press while the other is held", {kLeftDown, kRightDown, kRightUp, kLeftUp}, 0xFFFFFF},
      {"left double click", {kLeftDouble}, 0x00FF00},
      {"right double click", {kRightDouble}, 0xFF0000},
  };
  Choose(Mode::Region, Rect{0, 0, 300, 200});
  fake.SetCursorPos(Point{100, 80});
  Start();
  Tick();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FrameCanvas().ClearOps();
    for (std::uintptr_t m : c.messages) fake.SendMouseMessage(m);
    Tick();  // nothing changed: no frame, the click waits
    EXPECT_TRUE(FrameCanvas().Ops().empty());
    EXPECT_NE(Recorder().ClickCode.load(), 0);

    MoveMouseBy(1, 0);
    Tick();
    const Point p = fake.CursorPos();
    const auto rings = OpsOf(DrawOp::Ellipse);
    ASSERT_EQ(rings.size(), 2u);
    EXPECT_EQ(std::tie(rings[0].x1, rings[0].y1, rings[0].x2, rings[0].y2),
              std::make_tuple(p.x - 9, p.y - 8, p.x + 11, p.y + 12));
    EXPECT_EQ(std::tie(rings[1].x1, rings[1].y1, rings[1].x2, rings[1].y2),
              std::make_tuple(p.x - 19, p.y - 18, p.x + 21, p.y + 22));
    EXPECT_EQ(rings[0].colour, c.pen);
    EXPECT_EQ(rings[1].colour, c.pen);
    EXPECT_EQ(rings[0].penWidth, 2);
    EXPECT_EQ(Recorder().ClickCode.load(), 0);

    MoveMouseBy(1, 0);
    Tick();
    EXPECT_EQ(OpsOf(DrawOp::Ellipse).size(), 2u);  // shown once
  }
}

TEST_F(CaptureTickTest, ClickLandingWhileRingsAreDrawnWaitsForTheNextFrame) {
  Choose(Mode::Region, Rect{0, 0, 300, 200});
  Start();
  Tick();
  fake.SendMouseMessage(kLeftDown);
  fake.SendMouseMessage(kLeftUp);
  bool clicked = false;
  // The right press arrives after the tick took the left one and before the
  // rings are drawn.
  FrameCanvas().onCall = [&](const std::string& call) {
    if (call != "SetPenColour" || clicked) return;
    clicked = true;
    MouseHookProc(0, kRightDown, 0);
    MouseHookProc(0, kRightUp, 0);
  };
  MoveMouseBy(1, 0);
  Tick();
  FrameCanvas().onCall = nullptr;
  ASSERT_TRUE(clicked);
  EXPECT_EQ(Recorder().ClickCode.load(), 2);

  FrameCanvas().ClearOps();
  MoveMouseBy(1, 0);
  Tick();
  const auto rings = OpsOf(DrawOp::Ellipse);
  ASSERT_EQ(rings.size(), 2u);
  EXPECT_EQ(rings[0].colour, 0x00FFFFu);
}

TEST_F(CaptureTickTest, LongStillnessKeepsItsTimeBeyondSixteenBits) {
  const struct Case {
    int unchanged_ticks;
    std::vector<int> delays;  // after the first frame
  } cases[] = {
      {2184, {65535, 15}},          // 30 + 2184 * 30 = 65 550
      {4400, {65535, 65535, 960}},  // 30 + 4400 * 30 = 132 030
      {2000, {60030}},              // fits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.unchanged_ticks);
    const std::size_t first = Frames().size();
    Choose(Mode::Region, Rect{0, 0, 20, 20});
    Start();
    Tick();
    Ticks(c.unchanged_ticks);
    ChangeScreen();
    Tick();
    Stop();
    const auto frames = Frames();
    ASSERT_EQ(frames.size(), first + 1 + c.delays.size());
    std::vector<int> delays;
    for (std::size_t i = first + 1; i < frames.size(); ++i) delays.push_back(frames[i].delay);
    EXPECT_EQ(delays, c.delays);
    EXPECT_EQ(std::accumulate(delays.begin(), delays.end(), 0), 30 * (c.unchanged_ticks + 1));
    // The extra frames repeat the previous picture, so nothing changes on screen
    // until the new frame.
    for (std::size_t i = first + 1; i + 1 < frames.size(); ++i) {
      EXPECT_EQ(frames[i].picture.pixels, frames[first].picture.pixels);
    }
    EXPECT_NE(frames.back().picture.pixels, frames[first].picture.pixels);
    EXPECT_EQ(Recorder().FrameCount, 2);
  }
}

TEST_F(CaptureTickTest, StopWhileATickComposesAddsNoFrameAndLeavesTheTimerOff) {
  StartSmallRegion();
  Tick();
  std::optional<std::string> status_when_saving;
  fake.onModalDialog = [&] {
    if (!status_when_saving) status_when_saving = Status();
  };
  bool stopped = false;
  // F2 arrives while the tick takes the composed frame from the canvas.
  FrameCanvas().onCall = [&](const std::string& call) {
    if (call != "Picture" || stopped) return;
    stopped = true;
    StopRecording();
  };
  ChangeScreen();
  Tick();
  FrameCanvas().onCall = nullptr;
  ASSERT_TRUE(stopped);
  fake.AdvanceClock(3000);
  EXPECT_EQ(Frames().size(), 1u);
  EXPECT_EQ(Recorder().Writer.FrameCount(), 1);
  EXPECT_EQ(Recorder().FrameCount, 1);
  EXPECT_EQ(CaptureTimer().Period(), 0);
  EXPECT_EQ(status_when_saving.value_or(Status()), "录制完毕,请注意保存文件！");
}

}  // namespace
}  // namespace framelark::testing
