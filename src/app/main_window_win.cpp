#include "app/main_window_win.h"

#include "common/log.h"
#include "input/shortcut_keys.h"

namespace vantor {

namespace {

constexpr UINT kRunPostedTasks = WM_APP + 1;
constexpr WORD kProgramIconId = 1;  // the first icon resource of Vantor.exe

HICON EmbeddedIcon(int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIconId),
                                       IMAGE_ICON, GetSystemMetrics(widthMetric),
                                       GetSystemMetrics(heightMetric), LR_SHARED));
}

}  // namespace

MainWindow::MainWindow(MainWindowEvents& events) : events_(events) {}

MainWindow::~MainWindow() {
  if (hwnd_ != nullptr) {
    // Torn down with its owner: nothing is reported to an owner going away.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  UnregisterClassW(kWindowClassName, GetModuleHandleW(nullptr));
  if (background_ != nullptr) DeleteObject(background_);
}

bool MainWindow::Create() {
  // "Vantor.ico" in the current directory first; started from a shortcut that
  // is usually another folder, so then the icon inside the program.
  auto icon =
      static_cast<HICON>(LoadImageW(nullptr, L"Vantor.ico", IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
  HICON small = icon;
  if (icon == nullptr) {
    icon = EmbeddedIcon(SM_CXICON, SM_CYICON);
    small = EmbeddedIcon(SM_CXSMICON, SM_CYSMICON);
  }
  background_ = CreateSolidBrush(RGB(0, 0, 0));
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(WNDCLASSEXW);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = WndProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hIcon = icon;
  windowClass.hIconSm = small;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = background_;
  windowClass.lpszClassName = kWindowClassName;
  if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    applog::Failure("Registering the window class", GetLastError(), "no window");
    return false;
  }
  CreateWindowExW(0, kWindowClassName, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                  CW_USEDEFAULT, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                  nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (hwnd_ == nullptr) {
    applog::Failure("Creating the main window", GetLastError(), "ending");
    return false;
  }
  return true;
}

void MainWindow::Show() { ShowWindow(hwnd_, SW_SHOW); }

RECT MainWindow::ClientArea() const {
  RECT bounds{};
  GetClientRect(hwnd_, &bounds);
  return bounds;
}

void MainWindow::Place(const WindowPlacement& placement) {
  SetWindowLongPtrW(hwnd_, GWL_STYLE, static_cast<LONG_PTR>(placement.style));
  // The style changed, so the frame must be recomputed: without it the old
  // frame's borders stay and the client area (and the web view) falls short.
  SetWindowPos(hwnd_, HWND_TOP, placement.x, placement.y, placement.width, placement.height,
               SWP_SHOWWINDOW | SWP_FRAMECHANGED);
}

void MainWindow::Post(std::function<void()> task) {
  tasks_.push_back(std::move(task));
  if (hwnd_ != nullptr) PostMessageW(hwnd_, kRunPostedTasks, 0, 0);
}

void MainWindow::Close(int exitCode) {
  SetExitCode(exitCode);
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

void MainWindow::SetExitCode(int exitCode) {
  if (exitCodeSet_) return;
  exitCodeSet_ = true;
  exitCode_ = exitCode;
}

void MainWindow::RunPostedTasks() {
  // A task may show a box, whose own loop dispatches the tasks posted
  // meanwhile: they wait until it closed, so that no two boxes are up.
  if (runningTask_) return;
  runningTask_ = true;
  while (!tasks_.empty()) {
    std::function<void()> task = std::move(tasks_.front());
    tasks_.pop_front();
    try {
      task();
    } catch (...) {
      runningTask_ = false;
      throw;
    }
  }
  runningTask_ = false;
}

LRESULT CALLBACK MainWindow::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<MainWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  try {
    return self->HandleMessage(hwnd, message, wParam, lParam);
  } catch (...) {
    applog::Write("main window: a message's handling failed and was dropped");
    return 0;  // never let an exception unwind into Windows
  }
}

LRESULT MainWindow::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto key = static_cast<unsigned>(wParam);
  switch (message) {
    case WM_DESTROY:
      events_.OnWindowDestroyed();
      hwnd_ = nullptr;
      tasks_.clear();
      PostQuitMessage(exitCode_);
      return 0;
    case WM_SIZE:
      events_.OnClientAreaChanged();
      return 0;
    case WM_KEYUP:
      if (IsKeyUpShortcut(key)) events_.OnShortcutReleased(key);
      return 0;
    case WM_SYSKEYUP:
      if (IsSysKeyUpShortcut(key)) events_.OnShortcutReleased(key);
      return 0;
    case kRunPostedTasks:
      RunPostedTasks();
      return 0;
    case WM_INPUT:
      events_.OnRawInput(lParam);
      return DefWindowProcW(hwnd, message, wParam, lParam);  // lets Windows free the record
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace vantor
