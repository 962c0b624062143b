#include "webhost/retry_clock_win.h"

// winsock2.h and ws2ipdef.h before windows.h's older socket header.
#include <winsock2.h>
#include <ws2ipdef.h>
// clang-format off
#include <iphlpapi.h>
#include <netioapi.h>
// clang-format on

#include "common/log.h"

namespace vantor {

namespace {

constexpr wchar_t kClassName[] = L"VantorRetryClock";
constexpr UINT_PTR kPauseTimer = 1;
constexpr UINT kNetworkChanged = WM_APP + 1;

// On a system thread: only a message crosses to the UI thread. The context
// is the window's handle, so a late call after the clock went posts nowhere.
void WINAPI OnInterfaceChange(PVOID context, PMIB_IPINTERFACE_ROW, MIB_NOTIFICATION_TYPE type) {
  if (type == MibInitialNotification) return;
  PostMessageW(static_cast<HWND>(context), kNetworkChanged, 0, 0);
}

}  // namespace

RetryClock::RetryClock(Due due) : due_(std::move(due)) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &RetryClock::WindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kClassName;
  RegisterClassW(&windowClass);  // fails harmlessly when already registered
  window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            windowClass.hInstance, nullptr);
  if (window_ == nullptr) {
    applog::Failure("Creating the retry clock's window", GetLastError(),
                    "the game is tried again only on F5 or Try now");
    return;
  }
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  const DWORD result =
      NotifyIpInterfaceChange(AF_UNSPEC, &OnInterfaceChange, window_, FALSE, &networkNotification_);
  if (result != NO_ERROR) {
    networkNotification_ = nullptr;
    applog::Failure("Asking Windows for network changes", result,
                    "the game is tried again on its schedule only");
  }
}

RetryClock::~RetryClock() {
  // Waits for a notification under way, which only posts.
  if (networkNotification_ != nullptr) CancelMibChangeNotify2(networkNotification_);
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

void RetryClock::Arm(unsigned milliseconds) {
  if (window_ != nullptr) SetTimer(window_, kPauseTimer, milliseconds, nullptr);
}

void RetryClock::Disarm() {
  if (window_ != nullptr) KillTimer(window_, kPauseTimer);
}

LRESULT CALLBACK RetryClock::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* clock = reinterpret_cast<RetryClock*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (clock == nullptr || (message != WM_TIMER && message != kNetworkChanged)) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  try {
    if (message == WM_TIMER) {
      KillTimer(window, kPauseTimer);  // once
      clock->due_("the pause ended");
    } else {
      clock->due_("the network changed");
    }
  } catch (...) {
    // Nothing leaves a window procedure; the next report tries again.
  }
  return 0;
}

}  // namespace vantor
