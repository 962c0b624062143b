#include "app/client_window_win.h"

#include "app/messages_win.h"
#include "app/shortcuts.h"
#include "app/startup.h"
#include "app/window_mode.h"
#include "common/files.h"
#include "input/mouse_hook_win.h"
#include "input/raw_input_win.h"

namespace vantor {

ClientWindow* g_clientWindow = nullptr;

ClientWindow::ClientWindow(Config* settings, std::wstring versionText) {
  // Looked up in the current directory: a missing file only means no icon.
  auto icon =
      static_cast<HICON>(LoadImageW(nullptr, L"Vantor.ico", IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
  windowClass.cbSize = sizeof(WNDCLASSEXW);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = WndProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hIcon = icon;
  windowClass.hIconSm = icon;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = CreateSolidBrush(RGB(0, 0, 0));
  windowClass.lpszClassName = kWindowClassName;
  RegisterClassExW(&windowClass);

  hookCell = new HHOOK(nullptr);
  g_clientWindow = this;
  *hookCell = SetWindowsHookExW(WH_MOUSE_LL, MouseHookProc, nullptr, 0);
  if (*hookCell == nullptr) ShowWarning(L"mouse hook failed");

  config = settings;
  version = std::move(versionText);
  eventToken = {};
}

ClientWindow::~ClientWindow() {
  RemoveHook();
  if (g_clientWindow == this) g_clientWindow = nullptr;
  ReleaseWebView();
}

void ClientWindow::RemoveHook() {
  if (hookCell == nullptr) return;
  if (*hookCell != nullptr) UnhookWindowsHookEx(*hookCell);
  delete hookCell;
  hookCell = nullptr;
}

void ClientWindow::ReleaseWebView() {
  page.reset();
  ReleaseAndClear(webview);
  ReleaseAndClear(controller);
  ReleaseAndClear(environment);
}

int ClientWindow::Run() {
  hwnd =
      CreateWindowExW(0, kWindowClassName, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                      nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (hwnd == nullptr) {
    ShowWarning(L"Failed to create window");
    exit(1);
  }
  ShowWindow(hwnd, SW_SHOW);
  ApplyWindowMode();
  StartWebView();

  MSG message{};
  RunMessageLoop(message);
  return static_cast<int>(message.wParam);
}

void ClientWindow::RunMessageLoop(MSG& message) {
  // -1 (an error) ends the loop too, rather than spinning on it.
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Read for every message, so a change in the settings panel counts at once.
    const bool rawInput = config->GetBool("Raw Input", false);
    if (ShouldConsumeRawInput(rawInput, message.message, captureActive)) {
      try {
        ConsumeRawInput(*this, message.lParam);
      } catch (...) {
        // Out of memory for one message: drop it, keep the loop running.
      }
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void ClientWindow::ApplyWindowMode() {
  const WindowPlacement placement =
      ComputeWindowPlacement(*config, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  SetWindowLongPtrW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(placement.style));
  // The style changed, so the frame must be recomputed: without it the old
  // frame's borders stay and the client area (and the web view) falls short.
  SetWindowPos(hwnd, HWND_TOP, placement.x, placement.y, placement.width, placement.height,
               SWP_SHOWWINDOW | SWP_FRAMECHANGED);
}

void ClientWindow::RunShortcut(unsigned virtualKey) {
  vantor::RunShortcut(virtualKey, *config, Page(), [this] { ApplyWindowMode(); });
  ReportSaveProblem();
}

void ClientWindow::ReportSaveProblem() {
  std::wstring warning = config->TakeSaveWarning();
  if (warning.empty()) return;
  pendingWarning = std::move(warning);
  PostMessageW(hwnd, kShowPendingWarning, 0, 0);
}

void ClientWindow::ForwardRawInput(const RAWINPUT& input) {
  WebView* target = Page();
  if (target == nullptr) return;
  ForwardRawMouse(ReadRawMouse(input),
                  [target](const std::wstring& message) { target->PostWebMessageAsJson(message); });
}

void ClientWindow::OnDestroy() {
  if (controller != nullptr) controller->Close();
  RemoveHook();
  version.clear();
  ReleaseWebView();
  PostQuitMessage(0);
}

LRESULT CALLBACK ClientWindow::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  auto* self = reinterpret_cast<ClientWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  try {
    return self->HandleMessage(hwnd, message, wParam, lParam);
  } catch (...) {
    return 0;  // never let an exception unwind into Windows
  }
}

LRESULT ClientWindow::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_SIZE:
      if (controller != nullptr) {
        RECT bounds{};
        GetClientRect(hwnd, &bounds);
        controller->put_Bounds(bounds);
      }
      return 0;
    case WM_KEYUP:
      if (IsKeyUpShortcut(static_cast<unsigned>(wParam))) {
        RunShortcut(static_cast<unsigned>(wParam));
      }
      return 0;
    case WM_SYSKEYUP:
      if (IsSysKeyUpShortcut(static_cast<unsigned>(wParam))) {
        RunShortcut(static_cast<unsigned>(wParam));
      }
      return 0;
    case kShowPendingWarning:
      if (!pendingWarning.empty()) {
        const std::wstring warning = std::move(pendingWarning);
        pendingWarning.clear();
        ShowMessage(warning.c_str(), kSettingsCaption, MB_ICONWARNING);
      }
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace vantor
