#pragma once

#include <string_view>

namespace vantor {

// When a changed setting takes effect.
enum class SettingEffect {
  WindowMode,  // the window's mode is applied again at once
  NextStart,   // read once at start-up (browser flags, DPI awareness)
  Live,        // read each time it is needed (keys, the hook, the loop)
};

// One setting of config.json: its key, its type, the value an absent or
// mistyped key reads as, and when a change counts.
struct Setting {
  std::string_view key;
  bool isColour;  // stored as text; every other setting is a boolean
  bool fallback;
  SettingEffect effect;
};

// Every setting the program knows, each key written once.
namespace settings {
inline constexpr Setting kUnlimitedFps{"Unlimited FPS", false, true, SettingEffect::NextStart};
inline constexpr Setting kFullscreenMode{"Fullscreen Mode", false, true, SettingEffect::WindowMode};
inline constexpr Setting kSkyColor{"Sky Color", true, false, SettingEffect::Live};
inline constexpr Setting kShadowplayMode{"Shadowplay Mode", false, false,
                                         SettingEffect::WindowMode};
inline constexpr Setting kDeveloperMode{"Developer Mode", false, false, SettingEffect::Live};
inline constexpr Setting kBlurFix{"Blur Fix", false, false, SettingEffect::NextStart};
inline constexpr Setting kRawInput{"Raw Input", false, false, SettingEffect::Live};

// In the order the settings panel shows them.
inline constexpr const Setting* kAll[] = {&kUnlimitedFps,   &kFullscreenMode, &kSkyColor,
                                          &kShadowplayMode, &kDeveloperMode,  &kBlurFix,
                                          &kRawInput};
}  // namespace settings

// The setting with this key, or null for a key the program does not know (the
// panel may still store one; nothing reads it).
const Setting* FindSetting(std::string_view key);

}  // namespace vantor
