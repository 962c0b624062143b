#pragma once

#include <cstdint>

namespace vantor {

inline constexpr unsigned kWmMouseMove = 0x0200;
inline constexpr unsigned kWmLButtonDown = 0x0201;
inline constexpr unsigned kWmMouseWheel = 0x020A;

// What the low-level mouse hook does with one event.
enum class HookAction {
  PassOn,                   // CallNextHookEx
  Withhold,                 // return 1
  PostMouseDownAndWithhold  // post the mousedown message, return 1
};

struct ScreenRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// Everything the decision looks at, gathered by the hook procedure.
struct MouseHookEvent {
  int code = 0;                // nCode
  unsigned message = 0;        // wParam
  std::int32_t x = 0, y = 0;   // the cursor, screen coordinates
  bool captureActive = false;  // the page holds the pointer lock
  ScreenRect window;           // the main window's rectangle
  bool windowInForeground = false;
  bool rawInput = false;  // the "Raw Input" setting
};

// While the page holds the pointer lock and the cursor is strictly inside the
// foreground main window: left presses become page messages, and with "Raw
// Input" on, native movement and wheel are withheld. Everything else passes.
constexpr HookAction DecideMouseHook(const MouseHookEvent& e) {
  if (e.code < 0 || !e.captureActive) return HookAction::PassOn;
  const bool inside =
      e.window.left < e.x && e.x < e.window.right && e.window.top < e.y && e.y < e.window.bottom;
  if (!inside || !e.windowInForeground) return HookAction::PassOn;
  if (e.rawInput && (e.message == kWmMouseMove || e.message == kWmMouseWheel)) {
    return HookAction::Withhold;
  }
  if (e.message == kWmLButtonDown) return HookAction::PostMouseDownAndWithhold;
  return HookAction::PassOn;
}

}  // namespace vantor
