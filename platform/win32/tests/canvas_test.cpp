// The canvas: its off-screen picture, what each drawing call leaves in it,
// and drawing from a worker thread.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/win32/tests/test_support.h"

namespace platform::win32::testing {
namespace {

using framelark::PixelImage;

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kRed = 0xFF0000;  // as a pixel (0x00RRGGBB)
constexpr Colour kRedColour = 0x0000FF;   // as a colour (0x00BBGGRR)
constexpr std::uint32_t kBlue = 0x0000FF;
constexpr Colour kBlueColour = 0xFF0000;

class CanvasTest : public ::testing::Test {
 protected:
  void SetUp() override { window_ = OpenWindow(SpecAt(Rect{40, 40, 240, 200}), false); }

  Canvas& AddCanvas(int width, int height, Colour back = 0xFFFFFF, Colour pen = kRedColour,
                    int pen_width = 1) {
    ControlSpec options;
    options.name = "画板";
    options.place = Rect{0, 0, width, height};
    Canvas& canvas = window_->AddCanvas(options);
    CanvasStyle style;
    style.backColour = back;
    style.penColour = pen;
    style.penWidth = pen_width;
    style.keepsDrawing = true;
    canvas.SetStyle(style);
    return canvas;
  }

  std::unique_ptr<Window> window_;
};

// The picture of the outline from (left, top) to (right, bottom), both
// exclusive ends, on white.
PixelImage ExpectedOutline(int width, int height, int left, int top, int right, int bottom) {
  PixelImage image(width, height, kWhite);
  for (int x = left; x < right; ++x) {
    image.At(x, top) = kRed;
    image.At(x, bottom - 1) = kRed;
  }
  for (int y = top; y < bottom; ++y) {
    image.At(left, y) = kRed;
    image.At(right - 1, y) = kRed;
  }
  return image;
}

TEST_F(CanvasTest, RectangleIsAnOutlineWhateverTheCornerOrder) {
  struct Case {
    int x1, y1, x2, y2, pen_width;
  };
  const Case cases[] = {
      {2, 3, 8, 7, 1}, {8, 7, 2, 3, 1}, {8, 3, 2, 7, 1}, {2, 7, 8, 3, 1}, {2, 3, 8, 7, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2 << " pen " << c.pen_width);
    Canvas& canvas = AddCanvas(12, 10, 0xFFFFFF, kRedColour, c.pen_width);
    canvas.DrawRectangle(c.x1, c.y1, c.x2, c.y2);
    const PixelImage drawn = Pixels(canvas.Picture());
    const PixelImage expected = ExpectedOutline(12, 10, 2, 3, 8, 7);
    ASSERT_EQ(drawn.width, 12);
    ASSERT_EQ(drawn.height, 10);
    EXPECT_EQ(drawn.pixels, expected.pixels);
  }
}

TEST_F(CanvasTest, EllipseIsHollow) {
  Canvas& canvas = AddCanvas(40, 30);
  canvas.DrawEllipse(5, 5, 35, 25);
  const PixelImage drawn = Pixels(canvas.Picture());
  EXPECT_EQ(drawn.At(20, 15), kWhite);  // inside stays
  EXPECT_EQ(drawn.At(0, 0), kWhite);    // outside the box stays
  EXPECT_EQ(drawn.At(5, 15), kRed);     // leftmost point of the outline
  EXPECT_EQ(drawn.At(20, 5), kRed);     // topmost point
}

TEST_F(CanvasTest, PictureIsATopDown32BitFileWithTheXByteCleared) {
  Canvas& canvas = AddCanvas(5, 3);
  canvas.DrawPicture(0, 0, SolidBitmap(2, 2, 0x123456));
  const Bytes file = canvas.Picture();
  ASSERT_EQ(file.size(), framelark::kBitmapHeadersSize + 5 * 3 * 4);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(file[10], framelark::kBitmapHeadersSize);
  EXPECT_EQ(file[14], 40);
  EXPECT_EQ(file[18], 5);
  const std::int32_t height = static_cast<std::int32_t>(file[22] | file[23] << 8 | file[24] << 16 |
                                                        static_cast<std::uint32_t>(file[25]) << 24);
  EXPECT_EQ(height, -3);  // top-down
  EXPECT_EQ(file[28], 32);
  for (std::size_t i = framelark::kBitmapHeadersSize + 3; i < file.size(); i += 4) {
    ASSERT_EQ(file[i], 0) << "at byte " << i;
  }
  // B, G, R of the top-left pixel.
  EXPECT_EQ(file[54], 0x56);
  EXPECT_EQ(file[55], 0x34);
  EXPECT_EQ(file[56], 0x12);
  EXPECT_EQ(canvas.Picture(), file);
}

TEST_F(CanvasTest, StyleAndClearPaintBackColourThenBackgroundPicture) {
  Canvas& canvas = AddCanvas(6, 5, kBlueColour);
  EXPECT_EQ(Pixels(canvas.Picture()).pixels, PixelImage(6, 5, kBlue).pixels);

  canvas.SetBackgroundPicture(SolidBitmap(4, 3, 0x00FF00));
  canvas.DrawRectangle(0, 0, 6, 5);
  canvas.Clear();
  PixelImage expected(6, 5, kBlue);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) expected.At(x, y) = 0x00FF00;
  }
  EXPECT_EQ(Pixels(canvas.Picture()).pixels, expected.pixels);

  canvas.SetBackgroundPicture({});
  canvas.Clear();
  EXPECT_EQ(Pixels(canvas.Picture()).pixels, PixelImage(6, 5, kBlue).pixels);
}

TEST_F(CanvasTest, ResizingKeepsTheTopLeftAndFillsNewPartsWithBackColour) {
  Canvas& canvas = AddCanvas(4, 4, kBlueColour);
  canvas.DrawPicture(0, 0, SolidBitmap(4, 4, 0x00FF00));
  canvas.Move(Rect{0, 0, 6, 5});
  PixelImage expected(6, 5, kBlue);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) expected.At(x, y) = 0x00FF00;
  }
  const PixelImage grown = Pixels(canvas.Picture());
  EXPECT_EQ(grown.width, 6);
  EXPECT_EQ(grown.height, 5);
  EXPECT_EQ(grown.pixels, expected.pixels);
  EXPECT_EQ(canvas.Place(), (Rect{0, 0, 6, 5}));

  canvas.Move(Rect{10, 10, 12, 13});
  const PixelImage shrunk = Pixels(canvas.Picture());
  EXPECT_EQ(shrunk.width, 2);
  EXPECT_EQ(shrunk.height, 3);
  EXPECT_EQ(shrunk.pixels, PixelImage(2, 3, 0x00FF00).pixels);
}

TEST_F(CanvasTest, PicturesAreClippedAtTheEdges) {
  Canvas& canvas = AddCanvas(6, 5);
  canvas.DrawPicture(-2, -1, SolidBitmap(3, 3, kBlue));
  canvas.DrawPicture(4, 4, SolidBitmap(3, 3, 0x00FF00));
  canvas.DrawPicture(0, 0, Bytes{1, 2, 3});  // not a picture: nothing
  PixelImage expected(6, 5, kWhite);
  expected.At(0, 0) = expected.At(0, 1) = kBlue;
  expected.At(4, 4) = expected.At(5, 4) = 0x00FF00;
  EXPECT_EQ(Pixels(canvas.Picture()).pixels, expected.pixels);
}

// A 4-bit cursor file, 8 x 8: palette entry 1 is red; the mask leaves the
// left half out.
Bytes HalfMaskedCursor() {
  Bytes file = {0, 0, 2,  0, 1,  0,         // cursor directory, one image
                8, 8, 16, 0, 1,  0, 1, 0,   // 8 x 8, hotspot 1, 1
                0, 0, 0,  0, 22, 0, 0, 0};  // size (set below), offset 22
  const std::size_t image_at = file.size();
  auto put32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  auto put16 = [&](std::uint16_t v) {
    file.push_back(static_cast<std::uint8_t>(v));
    file.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  put32(40);
  put32(8);
  put32(16);  // colour and mask
  put16(1);
  put16(4);
  for (int i = 0; i < 6; ++i) put32(0);
  for (int i = 0; i < 16; ++i) put32(i == 1 ? 0x00FF0000u : 0);  // palette: 1 is red
  for (int row = 0; row < 8; ++row) put32(0x11111111u);          // every pixel index 1
  for (int row = 0; row < 8; ++row) put32(0x000000F0u);          // left four left out
  const std::uint32_t size = static_cast<std::uint32_t>(file.size() - image_at);
  for (int i = 0; i < 4; ++i) file[14 + i] = static_cast<std::uint8_t>(size >> (8 * i));
  return file;
}

TEST_F(CanvasTest, CursorFilesAreDrawnThroughTheirMask) {
  Canvas& canvas = AddCanvas(10, 10);
  canvas.DrawPicture(1, 1, HalfMaskedCursor());
  const PixelImage drawn = Pixels(canvas.Picture());
  PixelImage expected(10, 10, kWhite);
  for (int y = 1; y < 9; ++y) {
    for (int x = 5; x < 9; ++x) expected.At(x, y) = kRed;
  }
  EXPECT_EQ(drawn.pixels, expected.pixels);
}

TEST_F(CanvasTest, TextIsDrawnInTheTextColourOnATransparentBackground) {
  Canvas& canvas = AddCanvas(80, 30, kBlueColour);
  canvas.SetTextColour(kRedColour);
  canvas.WriteText(4, 4, "W 中");
  const PixelImage drawn = Pixels(canvas.Picture());
  int red = 0;
  for (std::uint32_t pixel : drawn.pixels) {
    if (pixel == kRed) ++red;
    ASSERT_NE(pixel, kWhite) << "the text background was painted";
  }
  EXPECT_GT(red, 5);
  for (int x = 0; x < 80; ++x) EXPECT_EQ(drawn.At(x, 0), kBlue) << x;  // above the text
}

TEST_F(CanvasTest, ShownCanvasShowsItsPicture) {
  window_->SetVisible(true);
  Canvas& canvas = AddCanvas(60, 40, kBlueColour);
  canvas.Move(Rect{10, 10, 70, 50});
  Pump(50);
  canvas.DrawPicture(20, 10, SolidBitmap(10, 10, 0x00FF00));
  Pump(50);
  const PixelImage screen = ScreenPixels(Rect{50, 50, 110, 90});
  EXPECT_EQ(screen.At(0, 0), kBlue);
  EXPECT_EQ(screen.At(25, 15), 0x00FF00u);
  EXPECT_EQ(screen.At(59, 39), kBlue);
}

TEST_F(CanvasTest, AShownCanvasRepaintsWhatChangedSinceTheLastClear) {
  window_->SetVisible(true);
  Canvas& canvas = AddCanvas(100, 80, kBlueColour);
  canvas.Move(Rect{10, 10, 110, 90});
  canvas.SetBackgroundPicture(SolidBitmap(100, 80, 0x00FF00));
  canvas.Clear();
  Pump(50);
  auto shown = [] { return ScreenPixels(Rect{50, 50, 150, 130}); };
  EXPECT_EQ(shown().At(50, 40), 0x00FF00u);

  canvas.DrawRectangle(10, 10, 90, 70);
  canvas.WriteText(20, 30, "横：10 纵:10");
  Pump(50);
  EXPECT_EQ(shown().At(10, 40), kRed);

  // The next Clear repaints the sides of the rectangle and the text, not
  // the middle of the canvas.
  canvas.Clear();
  HWND hwnd = Hwnd(canvas.Handle());
  HRGN update = CreateRectRgn(0, 0, 0, 0);
  GetUpdateRgn(hwnd, update, FALSE);
  EXPECT_TRUE(PtInRegion(update, 10, 40));
  EXPECT_TRUE(PtInRegion(update, 25, 32));
  EXPECT_FALSE(PtInRegion(update, 60, 55));
  DeleteObject(update);
  Pump(50);
  const PixelImage cleared = shown();
  EXPECT_EQ(cleared.pixels, PixelImage(100, 80, 0x00FF00).pixels);

  // A new background picture shows everywhere at the next Clear.
  canvas.SetBackgroundPicture(SolidBitmap(100, 80, 0xFFFF00));
  canvas.Clear();
  Pump(50);
  EXPECT_EQ(shown().pixels, PixelImage(100, 80, 0xFFFF00).pixels);
}

TEST_F(CanvasTest, AWorkerDrawsAndReadsWhileTheGuiThreadPaints) {
  window_->SetVisible(true);
  Canvas& canvas = AddCanvas(120, 100, kBlueColour);
  canvas.SetBackgroundPicture(SolidBitmap(120, 100, 0x202020));
  std::atomic<int> rounds{0};
  std::atomic<bool> frames_whole{true};
  std::thread worker([&] {
    for (int i = 0; i < 150; ++i) {
      canvas.Clear();
      canvas.DrawRectangle(i % 50, 5, 60 + i % 50, 60);
      canvas.WriteText(3, 70, "帧 " + std::to_string(i));
      canvas.DrawPicture(i % 100, 80, SolidBitmap(16, 16, 0xFFFF00));
      const PixelImage frame = Pixels(canvas.Picture());
      if (frame.width != 120 || frame.height != 100) frames_whole = false;
      ++rounds;
    }
  });
  // The GUI thread keeps painting the canvas meanwhile.
  const bool done = PumpUntil(
      [&] {
        InvalidateRect(Hwnd(canvas.Handle()), nullptr, FALSE);
        return rounds == 150;
      },
      20000);
  worker.join();
  EXPECT_TRUE(done);
  EXPECT_TRUE(frames_whole);
}

}  // namespace
}  // namespace platform::win32::testing
