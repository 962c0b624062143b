#pragma once

#include <windows.h>

#include <string>

#include "config/config.h"
#include "input/raw_mouse.h"

namespace vantor {

// Where captured mouse input goes: the page, as host-to-page messages.
class MouseSink {
 public:
  virtual ~MouseSink() = default;
  // Called at the mouse's report rate with null-terminated JSON; must not
  // block, throw or keep the pointer.
  virtual void PostMouseMessage(const wchar_t* json) noexcept = 0;
};

// The mouse while the page holds the pointer lock: the low-level hook that
// turns left presses into page messages and withholds native movement, the
// raw-input registration, and the capture flag both of them read.
class MouseCapture {
 public:
  MouseCapture(const Config& config, MouseSink& sink) : config_(config), sink_(sink) {}
  ~MouseCapture();
  MouseCapture(const MouseCapture&) = delete;
  MouseCapture& operator=(const MouseCapture&) = delete;

  // Installs the hook; false when Windows refused (logged). One at a time.
  bool InstallHook();
  void RemoveHook();
  bool HookInstalled() const { return hook_ != nullptr; }
  // Installs the hook afresh: Windows removes a low-level hook without a word
  // when its thread once answered too late. A failure is logged only.
  void RenewHook();

  // The window whose rectangle and focus the hook checks.
  void SetWindow(HWND window) { window_ = window; }
  void SetActive(bool active) { active_ = active; }
  bool Active() const { return active_; }

  // Registers the mouse for WM_INPUT to the window, also in the background.
  bool RegisterRawInput();
  // True for the messages the loop hands to Consume instead of dispatching.
  bool TakesMessage(const MSG& message) const {
    return ShouldConsumeRawInput(config_.RawInput(), message.message, active_);
  }
  // Reads the raw record behind a WM_INPUT message and forwards it; a failed
  // read drops it.
  void Consume(LPARAM rawInputHandle);

 private:
  static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
  LRESULT OnHook(int code, WPARAM wParam, LPARAM lParam);

  // The hook procedure receives no user data: the one installed capture.
  static MouseCapture* installed_;

  const Config& config_;
  MouseSink& sink_;
  HHOOK hook_ = nullptr;
  HWND window_ = nullptr;
  bool active_ = false;
};

// The five fields forwarding reads from a raw mouse record.
RawMouseReport ReadRawMouse(const RAWINPUT& input);

}  // namespace vantor
