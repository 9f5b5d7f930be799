#include "engine/recorder_state.h"

#include <cstdlib>
#include <memory>

namespace framelark {
namespace {
std::unique_ptr<RecorderState> g_state;
}

const char* const GifComment = "[Quellor] Framelark QQ:40721385";

void InitRecorderState() {
  g_state = std::make_unique<RecorderState>();
  g_state->Animation.flag = 1;
  g_state->Frame.delay = 60;
}

void FreeRecorderState() { g_state.reset(); }

RecorderState& Recorder() {
  if (!g_state) std::abort();  // start-up creates it before any window exists
  return *g_state;
}

bool RecorderExists() { return g_state != nullptr; }

}  // namespace framelark
