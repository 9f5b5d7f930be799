#include "selection/window_under_mouse.h"

#include <cstdint>

#include "platform/current.h"

namespace framelark {
namespace {

// Enough for every window of a desktop; a z-order that changes under the
// walk cannot keep it going for ever.
constexpr int kMostSiblings = 65536;

std::int64_t Area(const platform::Rect& r) {
  return static_cast<std::int64_t>(r.Width()) * static_cast<std::int64_t>(r.Height());
}

}  // namespace

platform::NativeHandle WindowUnderMouse() {
  platform::Platform& p = platform::Current();
  const platform::Point at = p.CursorPos();
  const platform::NativeHandle hit = p.WindowFromPoint(at);
  if (hit == 0) return 0;
  const platform::NativeHandle parent = p.ParentWindow(hit);
  if (parent == 0) return hit;

  // Overlapping panes at one level: the window from the point is the first
  // in z-order, but a smaller one further down that also holds the point is
  // usually the part the user means.
  platform::NativeHandle best = hit;
  platform::Rect rect;
  if (!p.WindowRect(hit, &rect)) return hit;
  std::int64_t best_area = Area(rect);
  platform::NativeHandle sibling = p.NextSibling(hit);
  for (int walked = 0; sibling != 0 && walked < kMostSiblings; ++walked) {
    if (p.WindowVisible(sibling) && p.ParentWindow(sibling) == parent &&
        p.WindowRect(sibling, &rect) && rect.Contains(at) && Area(rect) < best_area) {
      best = sibling;
      best_area = Area(rect);
    }
    sibling = p.NextSibling(sibling);
  }
  return best;
}

}  // namespace framelark
