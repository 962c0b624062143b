#pragma once

#include <cstdint>
#include <functional>

#include "config/config.h"
#include "webhost/web_view.h"

namespace vantor {

inline constexpr unsigned kKeyF4 = 0x73;
inline constexpr unsigned kKeyF5 = 0x74;
inline constexpr unsigned kKeyF6 = 0x75;
inline constexpr unsigned kKeyF10 = 0x79;
inline constexpr unsigned kKeyF11 = 0x7A;

// Runs the shortcut of a function key: F4/F6 go to the game origin, F5
// reloads, F10 opens the developer tools when "Developer Mode" is on, F11
// toggles "Fullscreen Mode", saves it and applies the window mode. Any other
// key does nothing. `webView` is null until the web view exists; the keys that
// need it then do nothing, while F11 still works.
void RunShortcut(unsigned virtualKey, Config& config, WebView* webView,
                 const std::function<void()>& applyWindowMode);

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
