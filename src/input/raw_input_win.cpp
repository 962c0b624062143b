#include "input/raw_input_win.h"

#include <memory>

#include "app/client_window_win.h"

namespace vantor {

RawMouseReport ReadRawMouse(const RAWINPUT& input) {
  const RAWMOUSE& mouse = input.data.mouse;
  return {mouse.usFlags, mouse.usButtonFlags, static_cast<std::int16_t>(mouse.usButtonData),
          mouse.lLastX, mouse.lLastY};
}

void ConsumeRawInput(ClientWindow& window, LPARAM rawInputHandle) {
  const auto handle = reinterpret_cast<HRAWINPUT>(rawInputHandle);
  UINT size = 0;
  if (GetRawInputData(handle, RID_INPUT, nullptr, &size, sizeof(RAWINPUTHEADER)) ==
      static_cast<UINT>(-1)) {
    return;
  }
  if (size < sizeof(RAWINPUTHEADER)) return;
  // Released on every path by the unique_ptr.
  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[size]);
  if (!buffer) return;
  const UINT expected = size;
  if (GetRawInputData(handle, RID_INPUT, buffer.get(), &size, sizeof(RAWINPUTHEADER)) != expected ||
      expected < sizeof(RAWINPUTHEADER) + sizeof(RAWMOUSE)) {
    return;
  }
  window.ForwardRawInput(*reinterpret_cast<const RAWINPUT*>(buffer.get()));
}

bool RegisterRawMouse(HWND target) {
  RAWINPUTDEVICE device{};
  device.usUsagePage = 0x01;  // generic desktop controls
  device.usUsage = 0x02;      // mouse
  device.dwFlags = RIDEV_INPUTSINK;
  device.hwndTarget = target;
  return RegisterRawInputDevices(&device, 1, sizeof(RAWINPUTDEVICE)) != FALSE;
}

}  // namespace vantor
