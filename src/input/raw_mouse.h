#pragma once

#include <cstddef>
#include <cstdint>

namespace vantor {

// The five fields of a raw mouse report that forwarding reads.
struct RawMouseReport {
  std::uint16_t usFlags = 0;        // 0: relative movement, nothing else
  std::uint16_t usButtonFlags = 0;  // 0x0400 alone: a vertical wheel turn
  std::int16_t usButtonData = 0;    // only its sign counts
  std::int32_t lLastX = 0;
  std::int32_t lLastY = 0;
};

inline constexpr std::uint16_t kMouseMoveRelative = 0x0000;
inline constexpr std::uint16_t kRawMouseWheel = 0x0400;
inline constexpr unsigned kWmInput = 0x00FF;

// Host-to-page input messages: JSON objects without white space, as the
// post takes them (null-terminated wide text).
inline constexpr wchar_t kWheelTowardUserMessage[] = L"{\"event\":\"wheel\",\"deltaY\":-120}";
inline constexpr wchar_t kWheelAwayMessage[] = L"{\"event\":\"wheel\",\"deltaY\":120}";
inline constexpr wchar_t kMouseDownMessage[] = L"{\"event\":\"mousedown\",\"button\":0}";

// {"event":"mousemove","x":DX,"y":DY} with plain signed decimals, in a buffer
// of its own: no heap allocation on the path every mouse report takes.
class MouseMoveText {
 public:
  MouseMoveText(std::int32_t x, std::int32_t y) noexcept;
  const wchar_t* c_str() const noexcept { return text_; }

 private:
  // The longest: 25 + 11 + 5 + 11 + 1 characters, with both minimum values.
  static constexpr std::size_t kCapacity = 54;
  wchar_t text_[kCapacity];
};

// Turns one report into zero, one or two messages, in order: the movement
// (also for 0,0) when usFlags is exactly 0, then one wheel message when
// usButtonFlags is exactly 0x0400 and the wheel data is not 0. `post` takes
// a null-terminated wide text.
template <typename Post>
void ForwardRawMouse(const RawMouseReport& report, Post&& post) {
  if (report.usFlags == kMouseMoveRelative) {
    post(MouseMoveText(report.lLastX, report.lLastY).c_str());
  }
  if (report.usButtonFlags == kRawMouseWheel && report.usButtonData != 0) {
    post(report.usButtonData < 0 ? kWheelTowardUserMessage : kWheelAwayMessage);
  }
}

// The message loop takes WM_INPUT itself, without dispatch, exactly while
// "Raw Input" is on and the page holds the pointer lock.
constexpr bool ShouldConsumeRawInput(bool rawInputSetting, unsigned message, bool captureActive) {
  return rawInputSetting && message == kWmInput && captureActive;
}

}  // namespace vantor
