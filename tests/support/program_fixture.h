// A fixture that runs the whole program on the fake backend: start-up, the
// main window with its handlers, and shutdown when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/recorder_state.h"
#include "platform/current.h"
#include "platform/fake/fake_platform.h"
#include "platform/hotkeys.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "shell/program.h"

namespace framelark::testing {

using platform::fake::FakePlatform;
using platform::fake::FakeWindow;

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetCurrent(&fake);
    platform::ResetHotkeyServiceForTests();
    ResetCommandsForTests();
  }

  void TearDown() override {
    if (MainWindowExists()) {
      if (Main().form->Loaded()) {
        Main().form->Destroy();
        fake.RunPending();
      }
      UnloadMainWindow();
    }
    if (RecorderExists()) FreeRecorderState();
    platform::SetCurrent(nullptr);
  }

  // The start-up routine up to the message loop, as RunProgram does it.
  void StartProgram() {
    fake.EnterProgramFolder();
    InitRecorderState();
    fake.RegisterExitRoutine(FreeRecorderState);
    ASSERT_TRUE(LoadMainWindow());
    fake.ShowStartWindow(*Main().form);
  }

  FakeWindow& Form() { return static_cast<FakeWindow&>(*Main().form); }

  template <typename T>
  T& Control(const std::string& name) {
    return Form().Get<T>(name);
  }

  int CountCalls(const std::string& call) const {
    return static_cast<int>(std::count(fake.Calls().begin(), fake.Calls().end(), call));
  }

  FakePlatform fake;
};

}  // namespace framelark::testing
