// The region overlay on the fake backend: the test drives the overlay while
// OpenOverlayWindow waits in dialog mode.
#include "selection/overlay.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "gif/bitmap_file.h"
#include "tests/support/program_fixture.h"

namespace framelark::testing {
namespace {

using platform::Rect;
using platform::fake::DrawOp;
using platform::fake::FakeCanvas;

constexpr int kEnter = 13;

// "横：640 纵:400 [回车键确定]" spelled out in bytes: a full-width colon after
// 横, an ASCII colon after 纵, blanks before 纵 and before the bracket.
const char* const kTextAt640x400 =
    "\xE6\xA8\xAA\xEF\xBC\x9A"
    "640 \xE7\xBA\xB5:400 [\xE5\x9B\x9E\xE8\xBD\xA6\xE9\x94\xAE\xE7\xA1\xAE\xE5\xAE\x9A]";

class OverlayTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    StartProgram();
  }

  // Opens the overlay and runs `drive` while it is shown; returns once it
  // is gone (the test must press Enter).
  void WhileOpen(const std::function<void(FakeWindow&, FakeCanvas&)>& drive) {
    fake.onDialog = [&](FakeWindow& dialog) {
      drive(dialog, dialog.Get<FakeCanvas>("画板_画线背景"));
    };
    OpenOverlayWindow();
    fake.onDialog = nullptr;
  }

  static std::vector<DrawOp> OpsOf(const FakeCanvas& canvas, DrawOp::Kind kind) {
    std::vector<DrawOp> found;
    for (const DrawOp& op : canvas.Ops()) {
      if (op.kind == kind) found.push_back(op);
    }
    return found;
  }
};

TEST_F(OverlayTest, CoversThePrimaryScreenWithItsSnapshotWhileMainWindowIsDisabled) {
  // An odd physical size and a screen whose every pixel differs, so that any
  // shift or scaling of the snapshot shows.
  fake.SetScreenSize(1366, 768);
  for (int y = 0; y < 768; ++y) {
    for (int x = 0; x < 1366; ++x) fake.Screen().At(x, y) = static_cast<std::uint32_t>(y << 12 | x);
  }
  Recorder().BorderColor = 0xFF00;
  std::vector<Rect> grabbed;
  bool grabbed_while_shown = false;
  Rect size_at_grab;
  fake.onGrabScreen = [&](const Rect& rect) {
    grabbed.push_back(rect);
    FakeWindow* overlay = static_cast<FakeWindow*>(Overlay()->form.get());
    grabbed_while_shown = grabbed_while_shown || overlay->Visible();
    size_at_grab = overlay->Place();
  };

  bool open = false;
  WhileOpen([&](FakeWindow& dialog, FakeCanvas& canvas) {
    open = true;
    EXPECT_FALSE(Form().Enabled());
    EXPECT_TRUE(dialog.Visible());
    EXPECT_TRUE(dialog.Options().topmost);
    EXPECT_FALSE(dialog.Options().taskbar);
    EXPECT_TRUE(dialog.Options().frameless);
    EXPECT_EQ(dialog.Place(), (Rect{0, 0, 1366, 768}));
    EXPECT_EQ(canvas.Place(), (Rect{0, 0, 1366, 768}));
    EXPECT_EQ(canvas.Style().penColour, 0xFF00u);

    const auto picture = ReadBitmapFile(canvas.BackgroundPicture());
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 1366);
    EXPECT_EQ(picture->height, 768);
    EXPECT_TRUE(picture->pixels == fake.Screen().pixels);
    EXPECT_TRUE(canvas.Pixels().pixels == fake.Screen().pixels) << "the snapshot is shown";

    // Any later change of size refits the canvas.
    dialog.Move(Rect{0, 0, 800, 600});
    EXPECT_EQ(canvas.Place(), (Rect{0, 0, 800, 600}));
    dialog.PressKey(kEnter);
  });

  EXPECT_TRUE(open);
  ASSERT_EQ(grabbed.size(), 1u);
  EXPECT_EQ(grabbed[0], (Rect{0, 0, 1366, 768}));
  EXPECT_FALSE(grabbed_while_shown) << "the snapshot must not show the overlay itself";
  EXPECT_EQ(size_at_grab.Width(), 1366);
  EXPECT_EQ(size_at_grab.Height(), 768);
  EXPECT_TRUE(Form().Enabled());
  EXPECT_EQ(Overlay(), nullptr);
  EXPECT_EQ(fake.LoadedWindows(), 1);
}

// What a session of mouse and keys leaves in CaptureRect.
struct Step {
  enum Kind { Down, Move, Up } kind;
  int x = 0, y = 0;
};

struct DragCase {
  const char* name;
  Rect before;
  std::vector<Step> steps;
  Rect after;
};

TEST_F(OverlayTest, CaptureRectHoldsTheLastMovementOfTheLastDrag) {
  fake.SetScreenSize(800, 600);
  const Rect earlier{10, 20, 30, 40};
  const std::vector<DragCase> cases = {
      {"Enter before any drag", earlier, {}, earlier},
      {"Enter before any drag, after a stop", Rect{}, {}, Rect{}},
      {"press and release without movement", earlier, {{Step::Down, 7, 8}, {Step::Up}}, earlier},
      {"movement without a press", earlier, {{Step::Move, 300, 200}}, earlier},
      {"drag up and to the left stays unsorted",
       earlier,
       {{Step::Down, 500, 400}, {Step::Move, 300, 250}, {Step::Move, 100, 100}, {Step::Up}},
       Rect{500, 400, 100, 100}},
      {"movement after the release changes nothing",
       earlier,
       {{Step::Down, 100, 100}, {Step::Move, 200, 150}, {Step::Up}, {Step::Move, 790, 590}},
       Rect{100, 100, 200, 150}},
      {"a second drag replaces the first",
       earlier,
       {{Step::Down, 100, 100},
        {Step::Move, 200, 150},
        {Step::Up},
        {Step::Down, 600, 500},
        {Step::Move, 700, 550},
        {Step::Up}},
       Rect{600, 500, 700, 550}},
      {"a press without movement keeps the previous drag's rectangle",
       earlier,
       {{Step::Down, 100, 100}, {Step::Move, 200, 150}, {Step::Up}, {Step::Down, 5, 5}, {Step::Up}},
       Rect{100, 100, 200, 150}},
      {"the screen's corners",
       earlier,
       {{Step::Down, 0, 0}, {Step::Move, 799, 599}, {Step::Up}},
       Rect{0, 0, 799, 599}},
  };
  for (const DragCase& c : cases) {
    SCOPED_TRACE(c.name);
    Recorder().CaptureRect.Set(c.before);
    WhileOpen([&](FakeWindow& dialog, FakeCanvas& canvas) {
      for (const Step& step : c.steps) {
        if (step.kind == Step::Down) canvas.LeftDown(step.x, step.y);
        if (step.kind == Step::Move) canvas.MouseMove(step.x, step.y);
        if (step.kind == Step::Up) canvas.LeftUp();
      }
      dialog.PressKey(kEnter);
    });
    EXPECT_EQ(Recorder().CaptureRect.Get(), c.after);
    EXPECT_EQ(Overlay(), nullptr);
  }
}

TEST_F(OverlayTest, EachMovementRedrawsRectangleAndCoordinatesInBorderColour) {
  fake.SetScreenSize(1280, 800, 0x000000);
  Recorder().BorderColor = 0xFF0000;  // blue
  WhileOpen([&](FakeWindow& dialog, FakeCanvas& canvas) {
    canvas.LeftDown(100, 100);
    canvas.MouseMove(300, 300);
    canvas.ClearOps();
    canvas.MouseMove(640, 400);

    const std::vector<DrawOp> ops = canvas.Ops();
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0].kind, DrawOp::Clear);
    EXPECT_EQ(ops[1].kind, DrawOp::Rectangle);
    EXPECT_EQ((Rect{ops[1].x1, ops[1].y1, ops[1].x2, ops[1].y2}), (Rect{100, 100, 640, 400}));
    EXPECT_EQ(ops[1].colour, 0xFF0000u);
    EXPECT_EQ(ops[2].kind, DrawOp::Text);
    EXPECT_EQ(ops[2].text, kTextAt640x400);
    EXPECT_EQ(ops[2].x1, 640);
    EXPECT_EQ(ops[2].y1, 400);
    EXPECT_EQ(ops[2].colour, 0xFF0000u);

    // The previous rectangle is gone from the picture, the new one is there.
    const std::uint32_t blue = platform::fake::ColourToPixel(0xFF0000);
    EXPECT_EQ(canvas.Pixels().At(299, 200), 0u);
    EXPECT_EQ(canvas.Pixels().At(200, 299), 0u);
    EXPECT_EQ(canvas.Pixels().At(639, 200), blue);
    EXPECT_EQ(canvas.Pixels().At(100, 200), blue);

    // The text takes BorderColor at each movement; the pen keeps the colour
    // it had when the overlay opened.
    Recorder().BorderColor = 0x00FFFF;
    canvas.MouseMove(50, 60);
    const auto texts = OpsOf(canvas, DrawOp::Text);
    const auto rectangles = OpsOf(canvas, DrawOp::Rectangle);
    EXPECT_EQ(texts.back().colour, 0x00FFFFu);
    EXPECT_EQ(rectangles.back().colour, 0xFF0000u);
    EXPECT_EQ(texts.back().text, "横：50 纵:60 [回车键确定]");
    dialog.PressKey(kEnter);
  });
}

// The capture worker reads CaptureRect while the user drags (a recording
// may run meanwhile): every read is the rectangle of one movement, whole.
TEST_F(OverlayTest, CaptureWorkerReadsOnlyWholeRectanglesDuringADrag) {
  fake.SetScreenSize(64, 48);  // keeps the redrawing cheap
  Recorder().CaptureRect.Set(Rect{0, 0, 0, 0});
  std::atomic<bool> dragging{true};
  std::atomic<int> reads{0}, torn{0};
  std::thread worker([&] {
    while (dragging.load()) {
      const Rect r = Recorder().CaptureRect.Get();
      // Each movement to (i, 2 i) from (i, i) gives i, i, i, 2 i.
      if (r.left != r.top || r.left != r.right || r.bottom != 2 * r.left) torn.fetch_add(1);
      reads.fetch_add(1);
    }
  });
  WhileOpen([&](FakeWindow& dialog, FakeCanvas& canvas) {
    for (int i = 1; i <= 1000; ++i) {
      canvas.LeftDown(i, i);
      canvas.MouseMove(i, 2 * i);
      canvas.LeftUp();
    }
    dialog.PressKey(kEnter);
  });
  dragging.store(false);
  worker.join();
  EXPECT_GT(reads.load(), 0);
  EXPECT_EQ(torn.load(), 0);
  EXPECT_EQ(Recorder().CaptureRect.Get(), (Rect{1000, 1000, 1000, 2000}));
}

TEST_F(OverlayTest, OnlyEnterClosesIt) {
  bool still_open_after_other_input = false;
  WhileOpen([&](FakeWindow& dialog, FakeCanvas& canvas) {
    const int other_keys[] = {
        27 /* Escape */, 32 /* space */, 10, 0x0D + 0x100, 'Q', 115 /* F4 */, 112 /* F1 */};
    for (int key : other_keys) dialog.PressKey(key);
    // A double click: two presses and releases in a row.
    canvas.LeftDown(40, 40);
    canvas.LeftUp();
    canvas.LeftDown(40, 40);
    canvas.LeftUp();
    // Alt+F4 and other requests to close from outside are refused as well.
    EXPECT_FALSE(dialog.RequestClose());
    still_open_after_other_input = dialog.Loaded() && dialog.Visible() && !Form().Enabled();
    dialog.PressKey(kEnter);
    EXPECT_EQ(Overlay(), nullptr);  // destroyed, and the window object freed
  });
  EXPECT_TRUE(still_open_after_other_input);
  EXPECT_TRUE(Form().Enabled());
}

TEST_F(OverlayTest, EnterWithTheButtonHeldEndsTheDragWithTheOverlay) {
  WhileOpen([&](FakeWindow& dialog, FakeCanvas& canvas) {
    canvas.LeftDown(50, 60);
    canvas.MouseMove(100, 100);
    dialog.PressKey(kEnter);  // the left button is still down
  });
  EXPECT_EQ(Recorder().SelectionDragging, 0);
  EXPECT_EQ(Recorder().CaptureRect.Get(), (Rect{50, 60, 100, 100}));

  // The next overlay: movement before any press draws nothing and leaves
  // the rectangle alone; a fresh press starts from its own point.
  WhileOpen([&](FakeWindow& dialog, FakeCanvas& canvas) {
    canvas.ClearOps();
    canvas.MouseMove(300, 300);
    EXPECT_TRUE(canvas.Ops().empty());
    EXPECT_EQ(Recorder().CaptureRect.Get(), (Rect{50, 60, 100, 100}));
    canvas.LeftDown(400, 400);
    canvas.MouseMove(410, 420);
    EXPECT_EQ(Recorder().CaptureRect.Get(), (Rect{400, 400, 410, 420}));
    dialog.PressKey(kEnter);
  });
}

}  // namespace
}  // namespace framelark::testing
