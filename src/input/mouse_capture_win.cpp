#include "input/mouse_capture_win.h"

#include "common/log.h"
#include "input/mouse_hook.h"

namespace vantor {

MouseCapture* MouseCapture::installed_ = nullptr;

MouseCapture::~MouseCapture() { RemoveHook(); }

bool MouseCapture::InstallHook() {
  if (hook_ != nullptr) return true;
  if (installed_ != nullptr) return false;
  hook_ = SetWindowsHookExW(WH_MOUSE_LL, HookProc, nullptr, 0);
  if (hook_ == nullptr) {
    applog::Failure("Installing the mouse hook", GetLastError(),
                    "left presses reach the page natively");
    return false;
  }
  installed_ = this;
  return true;
}

void MouseCapture::RenewHook() {
  if (installed_ != nullptr && installed_ != this) return;
  // The new one first: no moment without a hook. No message is handled in
  // between, so the two never both see an event.
  HHOOK fresh = SetWindowsHookExW(WH_MOUSE_LL, HookProc, nullptr, 0);
  if (fresh == nullptr) {
    applog::Failure("Installing the mouse hook again", GetLastError(),
                    "left presses reach the page natively");
    return;
  }
  if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  hook_ = fresh;
  installed_ = this;
}

void MouseCapture::RemoveHook() {
  if (hook_ == nullptr) return;
  UnhookWindowsHookEx(hook_);
  hook_ = nullptr;
  installed_ = nullptr;
  active_ = false;
}

LRESULT CALLBACK MouseCapture::HookProc(int code, WPARAM wParam, LPARAM lParam) {
  MouseCapture* self = installed_;
  // The fast path for every mouse event of the desktop while nothing is captured.
  if (code < 0 || self == nullptr || !self->active_) {
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  return self->OnHook(code, wParam, lParam);
}

LRESULT MouseCapture::OnHook(int code, WPARAM wParam, LPARAM lParam) {
  const auto* info = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
  MouseHookEvent event;
  event.code = code;
  event.message = static_cast<unsigned>(wParam);
  event.x = info->pt.x;
  event.y = info->pt.y;
  event.captureActive = true;
  RECT rect{};
  GetWindowRect(window_, &rect);
  event.window = {rect.left, rect.top, rect.right, rect.bottom};
  event.windowInForeground = GetForegroundWindow() == window_;
  event.rawInput = config_.RawInput();

  switch (DecideMouseHook(event)) {
    case HookAction::Withhold:
      return 1;
    case HookAction::PostMouseDownAndWithhold:
      sink_.PostMouseMessage(kMouseDownMessage);
      return 1;
    case HookAction::PassOn:
    default:
      return CallNextHookEx(nullptr, code, wParam, lParam);
  }
}

bool MouseCapture::RegisterRawInput() {
  RAWINPUTDEVICE device{};
  device.usUsagePage = 0x01;  // generic desktop controls
  device.usUsage = 0x02;      // mouse
  device.dwFlags = RIDEV_INPUTSINK;
  device.hwndTarget = window_;
  if (RegisterRawInputDevices(&device, 1, sizeof(RAWINPUTDEVICE))) return true;
  applog::Failure("Registering the mouse for raw input", GetLastError(), "ending");
  return false;
}

RawMouseReport ReadRawMouse(const RAWINPUT& input) {
  const RAWMOUSE& mouse = input.data.mouse;
  return {mouse.usFlags, mouse.usButtonFlags, static_cast<std::int16_t>(mouse.usButtonData),
          mouse.lLastX, mouse.lLastY};
}

void MouseCapture::Consume(LPARAM rawInputHandle) {
  const auto handle = reinterpret_cast<HRAWINPUT>(rawInputHandle);
  // A mouse record fits a RAWINPUT on the stack: no allocation per report.
  // A larger record (not a mouse's) fails the read and is dropped.
  RAWINPUT input;
  UINT size = sizeof input;
  const UINT read = GetRawInputData(handle, RID_INPUT, &input, &size, sizeof(RAWINPUTHEADER));
  if (read == static_cast<UINT>(-1) || read < sizeof(RAWINPUTHEADER) + sizeof(RAWMOUSE) ||
      input.header.dwType != RIM_TYPEMOUSE) {
    return;
  }
  ForwardRawMouse(ReadRawMouse(input),
                  [this](const wchar_t* message) { sink_.PostMouseMessage(message); });
}

}  // namespace vantor
