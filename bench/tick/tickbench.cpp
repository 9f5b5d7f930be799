// What a capture tick costs when nothing changed on the screen: one grab and
// one comparison, no drawing and no encoding. Runs a full-screen recording at
// 1920 x 1080 on the fake backend and prints, per tick, in milliseconds:
//   unchanged tick     the whole timer event (grab, comparison, hand-back)
//   grab alone         the fake backend's grab of the same rectangle
//   memcmp             a plain memcmp of two equal grabs
//   changed tick       a tick that composes and encodes a frame, for scale
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "engine/recorder_state.h"
#include "platform/current.h"
#include "platform/fake/fake_platform.h"
#include "shell/main_window.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(const std::function<void()>& body) {
  const auto start = Clock::now();
  body();
  const std::chrono::duration<double, std::milli> spent = Clock::now() - start;
  return spent.count();
}

// Median and minimum of the runs: the machine may be busy with other work.
struct Figure {
  std::vector<double> runs;
  double Median() {
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
  }
  double Min() { return *std::min_element(runs.begin(), runs.end()); }
};

}  // namespace

int main() {
  using namespace framelark;
  platform::fake::FakePlatform fake;
  platform::SetCurrent(&fake);
  fake.SetScreenSize(1920, 1080);
  for (int y = 0; y < 1080; ++y) {
    for (int x = 0; x < 1920; ++x) fake.Screen().At(x, y) = static_cast<std::uint32_t>(x * y);
  }
  fake.SetCursorPos(platform::Point{960, 540});

  InitRecorderState();
  if (!LoadMainWindow()) return 1;
  Main().单选框_全屏->SetChecked(true);
  Main().图形按钮_开始->onClicked();
  RecorderState& r = Recorder();
  fake.AdvanceClock(r.TickInterval);  // the first frame

  // Each round: one unchanged tick, then the same grab and a memcmp of it
  // against the grab the tick compared with, measured apart.
  constexpr int kRounds = 100;
  const platform::Rect screen{0, 0, 1920, 1080};
  const int frames_before = r.FrameCount;
  Figure tick, grab, compare;
  volatile int sink = 0;
  for (int i = 0; i < kRounds; ++i) {
    tick.runs.push_back(Milliseconds([&] { fake.AdvanceClock(r.TickInterval); }));
    Bytes fresh;
    grab.runs.push_back(Milliseconds([&] { fresh = fake.GrabScreen(screen); }));
    compare.runs.push_back(Milliseconds(
        [&] { sink = sink + std::memcmp(fresh.data(), r.LastFrameBytes.data(), fresh.size()); }));
  }
  if (r.FrameCount != frames_before) {
    std::fprintf(stderr, "an unchanged tick added a frame\n");
    return 1;
  }

  Figure changed;
  for (int i = 0; i < 10; ++i) {
    fake.SetCursorPos(platform::Point{961 + i, 540});
    changed.runs.push_back(Milliseconds([&] { fake.AdvanceClock(r.TickInterval); }));
  }

  std::printf("capture tick at 1920 x 1080, %zu bytes a grab: ms, median (minimum)\n",
              r.LastFrameBytes.size());
  std::printf("  unchanged tick        %7.3f (%7.3f)\n", tick.Median(), tick.Min());
  std::printf("  grab alone            %7.3f (%7.3f)\n", grab.Median(), grab.Min());
  std::printf("  memcmp of the grabs   %7.3f (%7.3f)\n", compare.Median(), compare.Min());
  std::printf("  tick less grab        %7.3f (%7.3f)  = %.2f x memcmp\n",
              tick.Median() - grab.Median(), tick.Min() - grab.Min(),
              (tick.Median() - grab.Median()) / compare.Median());
  std::printf("  changed tick          %7.3f (%7.3f)  composes and encodes a frame\n",
              changed.Median(), changed.Min());

  Main().form->Destroy();
  fake.RunPending();
  UnloadMainWindow();
  FreeRecorderState();
  platform::SetCurrent(nullptr);
  return 0;
}
