// The program on the fake backend, with what the command tests need: a
// stopped recording left in the writer, the status line, files to save to.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/recorder_state.h"
#include "gif/gif_decoder.h"
#include "gif/gif_writer.h"
#include "platform/fake/fake_platform.h"
#include "shell/commands.h"
#include "tests/support/program_fixture.h"

namespace framelark::testing {

using platform::fake::FakeCheckBox;
using platform::fake::FakeColourPicker;
using platform::fake::FakeLabel;
using platform::fake::FakePictureBox;
using platform::fake::FakePictureButton;
using platform::fake::FakeRadioButton;

class ShellTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    folder_ = ::testing::TempDir() + "framelark_shell_" + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    ProgramTest::TearDown();
    std::filesystem::remove_all(folder_);
  }

  std::string Status() { return Control<FakeLabel>("标签_信息提示").Text(); }
  FakePictureButton& Button(const std::string& name) { return Control<FakePictureButton>(name); }
  FakeRadioButton& Radio(const std::string& name) { return Control<FakeRadioButton>(name); }

  // What a stopped recording leaves behind: the writer holding `frames`
  // frames of a small picture, each of its own colour, and the save button
  // enabled again.
  void LeaveStoppedRecording(int frames) {
    RecorderState& r = Recorder();
    AnimationInfo info;
    info.SetWidth(kWidth);
    info.SetHeight(kHeight);
    info.flag = 1;
    info.comment = GifComment;
    GifReset(r.Writer);
    GifRelease(r.Writer);
    GifBegin(r.Writer, info);
    for (int i = 0; i < frames; ++i) AddFrame(FrameColour(i));
    Button("图形按钮_保存").SetEnabled(true);
  }
  // One more frame, as a capture tick adds it.
  void AddFrame(std::uint32_t pixel) {
    FrameInfo frame;
    frame.SetDelay(50);
    GifAddFrame(Recorder().Writer, frame, 0, WriteBitmapFile(PixelImage(kWidth, kHeight, pixel)));
  }
  static std::uint32_t FrameColour(int i) { return 0x102030u + 0x200000u * (i % 7) + 0x40u * i; }

  // A real recording on a small screen: StartProgram after this.
  void UseSmallScreen() { fake.SetScreenSize(64, 48, 0x101010); }
  // Something on the screen changes, then one capture period passes.
  void ChangedTick() {
    static std::uint32_t pixel = 0x204000;
    pixel += 0x000101;
    fake.SetScreenSize(fake.Screen().width, fake.Screen().height, pixel);
    fake.AdvanceClock(Recorder().TickInterval);
  }
  platform::fake::FakeTimer& CaptureTimer() { return *Form().FindTimer("时钟_截图"); }

  std::string PathIn(const std::string& name) const { return folder_ + "/" + name; }

  // The saved file decoded; fails the test when it is no sound GIF.
  DecodedGif ReadGif(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    DecodedGif gif;
    EXPECT_TRUE(DecodeGif(bytes, gif)) << path;
    EXPECT_TRUE(gif.complete) << path;
    return gif;
  }

  static constexpr int kWidth = 8;
  static constexpr int kHeight = 6;
  std::string folder_;
};

}  // namespace framelark::testing
