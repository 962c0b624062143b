#include "input/mouse_hook.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

constexpr unsigned kLButtonUp = 0x0202;
constexpr unsigned kRButtonDown = 0x0204;
constexpr unsigned kMButtonDown = 0x0207;
constexpr unsigned kXButtonDown = 0x020B;
constexpr unsigned kMouseHWheel = 0x020E;

// Captured, in the foreground, cursor well inside a 100,100-900,700 window.
MouseHookEvent Captured(unsigned message, bool rawInput) {
  MouseHookEvent e;
  e.message = message;
  e.x = 400;
  e.y = 300;
  e.captureActive = true;
  e.window = {100, 100, 900, 700};
  e.windowInForeground = true;
  e.rawInput = rawInput;
  return e;
}

struct Case {
  const char* name;
  MouseHookEvent event;
  HookAction expected;
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

MouseHookEvent With(MouseHookEvent e, void (*change)(MouseHookEvent&)) {
  change(e);
  return e;
}

class MouseHook : public ::testing::TestWithParam<Case> {};

TEST_P(MouseHook, Decides) { EXPECT_EQ(DecideMouseHook(GetParam().event), GetParam().expected); }

using A = HookAction;
INSTANTIATE_TEST_SUITE_P(
    Cases, MouseHook,
    ::testing::Values(
        Case{"press_raw_on", Captured(kWmLButtonDown, true), A::PostMouseDownAndWithhold},
        Case{"press_raw_off", Captured(kWmLButtonDown, false), A::PostMouseDownAndWithhold},
        Case{"move_raw_on", Captured(kWmMouseMove, true), A::Withhold},
        Case{"move_raw_off", Captured(kWmMouseMove, false), A::PassOn},
        Case{"wheel_raw_on", Captured(kWmMouseWheel, true), A::Withhold},
        Case{"wheel_raw_off", Captured(kWmMouseWheel, false), A::PassOn},
        Case{"release", Captured(kLButtonUp, true), A::PassOn},
        Case{"right", Captured(kRButtonDown, true), A::PassOn},
        Case{"middle", Captured(kMButtonDown, true), A::PassOn},
        Case{"extra", Captured(kXButtonDown, true), A::PassOn},
        Case{"horizontal_wheel", Captured(kMouseHWheel, true), A::PassOn},
        Case{"capture_off",
             With(Captured(kWmLButtonDown, true),
                  [](MouseHookEvent& e) { e.captureActive = false; }),
             A::PassOn},
        Case{"negative_code",
             With(Captured(kWmLButtonDown, true), [](MouseHookEvent& e) { e.code = -1; }),
             A::PassOn},
        Case{"not_foreground",
             With(Captured(kWmLButtonDown, true),
                  [](MouseHookEvent& e) { e.windowInForeground = false; }),
             A::PassOn},
        Case{"left_edge",
             With(Captured(kWmLButtonDown, true), [](MouseHookEvent& e) { e.x = 100; }), A::PassOn},
        Case{"top_edge", With(Captured(kWmLButtonDown, true), [](MouseHookEvent& e) { e.y = 100; }),
             A::PassOn},
        Case{"right_edge",
             With(Captured(kWmLButtonDown, true), [](MouseHookEvent& e) { e.x = 900; }), A::PassOn},
        Case{"bottom_edge",
             With(Captured(kWmLButtonDown, true), [](MouseHookEvent& e) { e.y = 700; }), A::PassOn},
        Case{"just_inside_corner",
             With(Captured(kWmLButtonDown, true), [](MouseHookEvent& e) { e.x = 101, e.y = 699; }),
             A::PostMouseDownAndWithhold},
        Case{"outside", With(Captured(kWmMouseMove, true), [](MouseHookEvent& e) { e.x = 5; }),
             A::PassOn},
        Case{"empty_rectangle",
             With(Captured(kWmLButtonDown, true), [](MouseHookEvent& e) { e.window = {}; }),
             A::PassOn}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantor
