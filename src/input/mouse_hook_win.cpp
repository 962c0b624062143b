#include "input/mouse_hook_win.h"

#include "app/client_window_win.h"
#include "input/mouse_hook.h"
#include "input/raw_mouse.h"

namespace vantor {

LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
  ClientWindow* window = g_clientWindow;
  // The fast path for every mouse event of the desktop while nothing is captured.
  if (nCode < 0 || window == nullptr || !window->captureActive) {
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
  }
  const auto* info = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
  MouseHookEvent event;
  event.code = nCode;
  event.message = static_cast<unsigned>(wParam);
  event.x = info->pt.x;
  event.y = info->pt.y;
  event.captureActive = true;
  RECT rect{};
  GetWindowRect(window->hwnd, &rect);
  event.window = {rect.left, rect.top, rect.right, rect.bottom};
  event.windowInForeground = GetForegroundWindow() == window->hwnd;
  event.rawInput = window->config->GetBool("Raw Input", false);

  switch (DecideMouseHook(event)) {
    case HookAction::Withhold:
      return 1;
    case HookAction::PostMouseDownAndWithhold:
      // Before the web view exists there is no page to tell; still withheld.
      if (WebView* page = window->Page()) {
        try {
          page->PostWebMessageAsJson(kMouseDownMessage);
        } catch (...) {
          // A failed post is ignored, as the press is still withheld.
        }
      }
      return 1;
    case HookAction::PassOn:
    default:
      return CallNextHookEx(nullptr, nCode, wParam, lParam);
  }
}

}  // namespace vantor
