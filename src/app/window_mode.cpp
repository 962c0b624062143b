#include "app/window_mode.h"

namespace vantor {

namespace {
// The share of each screen side a windowed window leaves free.
constexpr double kWindowedShrink = 0.15;
}  // namespace

WindowPlacement ComputeWindowPlacement(const Config& config, int screenWidth, int screenHeight) {
  if (!config.Get(settings::kFullscreenMode)) {
    return {kOverlappedWindowStyle, 0, 0,
            static_cast<int>(screenWidth - kWindowedShrink * screenWidth),
            static_cast<int>(screenHeight - kWindowedShrink * screenHeight)};
  }
  const int extra = config.Get(settings::kShadowplayMode) ? 1 : 0;
  return {kPopupStyle, 0, 0, screenWidth, screenHeight + extra};
}

}  // namespace vantor
