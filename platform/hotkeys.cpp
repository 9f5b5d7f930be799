#include "platform/hotkeys.h"

#include <map>
#include <mutex>

#include "platform/current.h"

namespace platform {
namespace {

struct Registration {
  Window* window;
  Label* receiver;
};

std::mutex g_mutex;
int g_next_id = kFirstHotkeyId;
std::map<int, Registration> g_registered;

void Deliver(int id) {
  Label* receiver = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_registered.find(id);
    if (it == g_registered.end()) return;  // not ours: nothing to pass on
    receiver = it->second.receiver;
  }
  if (receiver->onFeedback) receiver->onFeedback(id, 0);
}

}  // namespace

int RegisterGlobalHotkey(Window& window, Label& receiver, unsigned modifiers, unsigned key) {
  int id;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    id = g_next_id++;
  }
  if (!Current().RegisterSystemHotKey(window, id, modifiers, key)) return 0;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_registered[id] = Registration{&window, &receiver};
  }
  window.onHotkey = Deliver;
  return id;
}

bool UnregisterGlobalHotkey(Window& window, int id) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_registered.find(id);
    if (it == g_registered.end() || it->second.window != &window) return false;
    g_registered.erase(it);
  }
  return Current().UnregisterSystemHotKey(window, id);
}

void ResetHotkeyServiceForTests() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_next_id = kFirstHotkeyId;
  g_registered.clear();
}

}  // namespace platform
