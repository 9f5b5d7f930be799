#include "engine/recorder_state.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace framelark {
namespace {

class RecorderStateTest : public ::testing::Test {
 protected:
  void SetUp() override { InitRecorderState(); }
  void TearDown() override { FreeRecorderState(); }
};

TEST_F(RecorderStateTest, StartsWithEveryValueZeroButTheTwoDefaults) {
  RecorderState& r = Recorder();
  EXPECT_EQ(r.PickedWindow.load(), 0);
  EXPECT_EQ(r.MouseHook, 0);
  EXPECT_EQ(r.StartHotkeyId, 0);
  EXPECT_EQ(r.PauseHotkeyId, 0);
  EXPECT_EQ(r.Paused.Get(), 0);
  EXPECT_EQ(r.FrameDelay, 0);
  EXPECT_EQ(r.TickInterval, 0);
  EXPECT_EQ(r.FrameCount, 0);
  EXPECT_EQ(r.PendingDelay, 0);
  EXPECT_TRUE(r.LastFrameBytes.empty());
  EXPECT_EQ(r.ClickCode.load(), 0);
  EXPECT_EQ(r.LeftButtonDown, 0);
  EXPECT_EQ(r.RightButtonDown, 0);
  EXPECT_EQ(r.BorderColor, 0u);
  EXPECT_EQ(r.WatermarkText.Get(), "");
  EXPECT_EQ(r.WatermarkCycle, 0);
  EXPECT_EQ(r.SelectionDragging, 0);
  EXPECT_EQ(r.CaptureRect.Get(), (platform::Rect{0, 0, 0, 0}));
  EXPECT_EQ(r.LastCursorPos, (platform::Point{0, 0}));
  EXPECT_EQ(r.WatermarkPos, (platform::Point{0, 0}));
  EXPECT_EQ(r.SelectionRect.x1 | r.SelectionRect.y1 | r.SelectionRect.x2 | r.SelectionRect.y2, 0);
  EXPECT_FALSE(r.Writer.HasPicture());
  EXPECT_EQ(r.Animation.flag, 1);
  EXPECT_EQ(r.Animation.Width(), 0);
  EXPECT_EQ(r.Animation.comment, nullptr);
  EXPECT_EQ(r.Frame.delay, 60);
  EXPECT_EQ(r.Frame.text, nullptr);
}

TEST_F(RecorderStateTest, InitAgainStartsFresh) {
  Recorder().FrameCount = 7;
  Recorder().CaptureRect.Set(platform::Rect{1, 2, 3, 4});
  FreeRecorderState();
  InitRecorderState();
  EXPECT_EQ(Recorder().FrameCount, 0);
  EXPECT_EQ(Recorder().CaptureRect.Get(), (platform::Rect{0, 0, 0, 0}));
}

TEST(RecordLayoutTest, SizesAreStoredInSixteenBitsWithTheHighBytesZero) {
  struct Case {
    int stored;
    int reads_back;
    std::uint32_t raw;
  };
  const Case cases[] = {
      {0, 0, 0},
      {1920, 1920, 1920},
      {32767, 32767, 0x7FFF},
      {32768, -32768, 0x8000},  // wraps: the writer then refuses the picture
      {65535, -1, 0xFFFF},
      {65536, 0, 0},
      {-20, -20, 0xFFEC},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    AnimationInfo info;
    info.SetWidth(c.stored);
    info.SetHeight(c.stored);
    EXPECT_EQ(info.Width(), c.reads_back);
    EXPECT_EQ(info.Height(), c.reads_back);
    std::uint32_t raw;
    std::memcpy(&raw, &info, 4);
    EXPECT_EQ(raw, c.raw);
  }
}

TEST(RecordLayoutTest, FrameDelayKeepsTheLowSixteenBits) {
  const struct {
    int pending;
    int delay;
  } cases[] = {{30, 30}, {65535, 65535}, {65536, 0}, {65536 + 40, 40}};
  for (const auto& c : cases) {
    FrameInfo frame;
    frame.SetDelay(c.pending);
    EXPECT_EQ(frame.Delay(), c.delay) << c.pending;
    std::uint32_t raw;
    std::memcpy(&raw, &frame, 4);
    EXPECT_EQ(raw >> 16, 0u);
  }
}

TEST(RecordLayoutTest, CommentNamesTheToolAndAnEightDigitContact) {
  const std::string comment = GifComment;
  const std::string prefix = "[Quellor] Framelark QQ:";
  ASSERT_EQ(comment.rfind(prefix, 0), 0u);
  const std::string number = comment.substr(prefix.size());
  EXPECT_EQ(number.size(), 8u);
  EXPECT_EQ(number.find_first_not_of("0123456789"), std::string::npos);
}

TEST(PauseFlagTest, WaiterWakesWhenTheFlagLeavesOne) {
  PauseFlag paused;
  paused.Set(1);
  std::atomic<bool> stop{false};
  std::thread waiter([&] { EXPECT_EQ(paused.WaitWhilePaused([&] { return stop.load(); }), 0); });
  paused.Set(0);
  waiter.join();
}

TEST(PauseFlagTest, WaiterWakesWhenToldToStop) {
  PauseFlag paused;
  paused.Set(1);
  std::atomic<bool> stop{false};
  std::thread waiter([&] { EXPECT_EQ(paused.WaitWhilePaused([&] { return stop.load(); }), 1); });
  stop = true;
  paused.Wake();
  waiter.join();
}

}  // namespace
}  // namespace framelark
