#include "platform/current.h"

#include <cstdlib>

namespace platform {
namespace {
Platform* g_current = nullptr;
}

Platform& Current() {
  if (g_current == nullptr) std::abort();  // start-up sets it before anything runs
  return *g_current;
}

void SetCurrent(Platform* platform) { g_current = platform; }

}  // namespace platform
