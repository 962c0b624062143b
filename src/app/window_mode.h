#pragma once

#include <cstdint>

#include "config/config.h"

namespace vantor {

inline constexpr std::uint32_t kPopupStyle = 0x80000000;             // WS_POPUP
inline constexpr std::uint32_t kOverlappedWindowStyle = 0x00CF0000;  // WS_OVERLAPPEDWINDOW

// Where and how the main window sits: the whole style and the rectangle.
struct WindowPlacement {
  std::uint32_t style = 0;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool operator==(const WindowPlacement& other) const {
    return style == other.style && x == other.x && y == other.y && width == other.width &&
           height == other.height;
  }
};

// The mode the settings ask for on a screen of the given size. Fullscreen is a
// borderless pop-up over the whole screen ("Shadowplay Mode" makes it one pixel
// taller); windowed is an overlapped window of 85 % of each side at the
// top-left corner, truncated toward zero. Mistyped settings read as absent.
WindowPlacement ComputeWindowPlacement(const Config& config, int screenWidth, int screenHeight);

}  // namespace vantor
