// WindowUnderMouse on nested windows and overlapping siblings of other
// programs (the fake's foreign windows, topmost first).
#include "selection/window_under_mouse.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/current.h"
#include "platform/fake/fake_platform.h"

namespace framelark {
namespace {

using platform::NativeHandle;
using platform::Point;
using platform::Rect;
using platform::fake::FakePlatform;
using platform::fake::ForeignWindow;

// A top-level window that holds the point (50, 50), and children of it.
constexpr NativeHandle T = 0x10, A = 0x11, B = 0x12, C = 0x13, D = 0x14;
constexpr Rect kTop{0, 0, 800, 600};

ForeignWindow Child(NativeHandle handle, Rect rect, bool visible = true) {
  return ForeignWindow{handle, rect, T, visible};
}

struct Case {
  const char* name;
  std::vector<ForeignWindow> windows;
  Point cursor;
  NativeHandle expected;
};

TEST(WindowUnderMouseTest, PicksTheInnermostWindowOrASmallerSiblingAfterIt) {
  const ForeignWindow top{T, kTop, 0, true};
  const std::vector<Case> cases = {
      {"nothing under the mouse", {top}, {900, 50}, 0},
      {"a top-level window without owner is returned as it is",
       {top, ForeignWindow{0x20, Rect{40, 40, 60, 60}, 0, true}},
       {50, 50},
       T},
      {"the innermost child", {Child(A, {10, 10, 400, 300}), top}, {50, 50}, A},
      {"a grandchild inside the child",
       {ForeignWindow{B, Rect{20, 20, 100, 100}, A, true}, Child(A, {10, 10, 400, 300}), top},
       {50, 50},
       B},
      {"a smaller following sibling wins",
       {Child(A, {10, 10, 400, 300}), Child(B, {40, 40, 60, 60}), top},
       {50, 50},
       B},
      {"an equal area does not",
       {Child(A, {10, 10, 110, 110}), Child(B, {20, 20, 120, 120}), top},
       {50, 50},
       A},
      {"a smaller sibling before it in z-order is not looked at",
       {Child(B, {45, 45, 46, 46}), Child(A, {10, 10, 400, 300}), top},
       {50, 50},
       A},
      {"an invisible sibling is skipped",
       {Child(A, {10, 10, 400, 300}), Child(B, {40, 40, 60, 60}, false), top},
       {50, 50},
       A},
      {"a sibling that does not hold the point is skipped",
       {Child(A, {10, 10, 400, 300}), Child(B, {100, 100, 120, 120}), top},
       {50, 50},
       A},
      {"the right and bottom edges are outside",
       {Child(A, {10, 10, 400, 300}), Child(B, {40, 40, 50, 60}), Child(C, {40, 40, 60, 50}), top},
       {50, 50},
       A},
      {"the smallest of several wins, whatever lies between",
       {Child(A, {0, 0, 400, 300}), Child(B, {30, 30, 70, 70}), Child(C, {20, 20, 200, 200}),
        Child(D, {45, 45, 55, 55}), top},
       {50, 50},
       D},
      {"a later sibling must beat the best so far, not the first",
       {Child(A, {0, 0, 400, 300}), Child(B, {45, 45, 55, 55}), Child(C, {30, 30, 70, 70}), top},
       {50, 50},
       B},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform fake;
    platform::SetCurrent(&fake);
    fake.ForeignWindows() = c.windows;
    fake.SetCursorPos(c.cursor);
    EXPECT_EQ(WindowUnderMouse(), c.expected);
    platform::SetCurrent(nullptr);
  }
}

// Owned pop-ups are top-level windows whose parent, as the system reports
// it, is their owner: their siblings are the other top-level windows.
TEST(WindowUnderMouseTest, OwnedPopUpsCompareOnlyWithPopUpsOfTheSameOwner) {
  constexpr NativeHandle kOwner = 0x30, kPopUp = 0x31, kStranger = 0x32, kSameOwner = 0x33,
                         kUnowned = 0x34;
  FakePlatform fake;
  platform::SetCurrent(&fake);
  ForeignWindow popup{kPopUp, Rect{100, 100, 500, 400}, 0, true};
  popup.owner = kOwner;
  ForeignWindow stranger{kStranger, Rect{150, 150, 200, 200}, 0, true};
  stranger.owner = 0x99;
  ForeignWindow unowned{kUnowned, Rect{160, 160, 190, 190}, 0, true};
  ForeignWindow same_owner{kSameOwner, Rect{120, 120, 300, 300}, 0, true};
  same_owner.owner = kOwner;
  fake.ForeignWindows() = {popup, stranger, unowned, same_owner,
                           ForeignWindow{kOwner, Rect{0, 0, 1000, 700}, 0, true}};
  fake.SetCursorPos(Point{170, 170});
  EXPECT_EQ(WindowUnderMouse(), kSameOwner);
  platform::SetCurrent(nullptr);
}

}  // namespace
}  // namespace framelark
