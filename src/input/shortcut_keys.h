#pragma once

#include <cstdint>

namespace vantor {

inline constexpr unsigned kKeyF4 = 0x73;
inline constexpr unsigned kKeyF5 = 0x74;
inline constexpr unsigned kKeyF6 = 0x75;
inline constexpr unsigned kKeyF10 = 0x79;
inline constexpr unsigned kKeyF11 = 0x7A;

// The five function keys with a shortcut. What each does is the session's
// decision: F4/F6 go to the game origin, F5 reloads, F10 opens the developer
// tools in Developer Mode, F11 toggles fullscreen.
// The web view's accelerator-key event acts on releases only: bit 31 of the
// key's lParam (key-up and system key-up alike).
constexpr bool IsKeyRelease(std::int64_t keyEventLParam) {
  return (static_cast<std::uint64_t>(keyEventLParam) & 0x80000000u) != 0;
}

// Which releases the main window's own procedure acts on: WM_KEYUP for
// F4, F5, F6 and F11; WM_SYSKEYUP for F10.
constexpr bool IsKeyUpShortcut(unsigned key) {
  return key == kKeyF4 || key == kKeyF5 || key == kKeyF6 || key == kKeyF11;
}
constexpr bool IsSysKeyUpShortcut(unsigned key) { return key == kKeyF10; }

}  // namespace vantor
