#pragma once

#include <windows.h>

#include <deque>
#include <functional>

#include "app/window_mode.h"

namespace vantor {

// What the main window reports to its owner, from its window procedure.
class MainWindowEvents {
 public:
  virtual ~MainWindowEvents() = default;
  // A function key released (WM_KEYUP for F4, F5, F6, F11; WM_SYSKEYUP for F10).
  virtual void OnShortcutReleased(unsigned virtualKey) = 0;
  virtual void OnClientAreaChanged() = 0;
  // WM_DESTROY: release everything that belongs to the window.
  virtual void OnWindowDestroyed() = 0;
  // WM_INPUT that reached the window procedure (a message box's own loop
  // dispatches it): true when it was taken.
  virtual bool OnRawInput(LPARAM rawInputHandle) = 0;
};

// The one top-level window: its class, its handle, its mode, and work posted
// to itself so that nothing is shown from inside another component's callback.
class MainWindow {
 public:
  explicit MainWindow(MainWindowEvents& events);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Registers the class and creates the window, hidden; false when Windows
  // refused (logged).
  bool Create();
  void Show();
  HWND Handle() const { return hwnd_; }
  RECT ClientArea() const;
  void Place(const WindowPlacement& placement);

  // Runs `task` later from the window procedure, on the UI thread.
  void Post(std::function<void()> task);
  // Destroys the window; the message loop then ends with `exitCode`, or with
  // the code an ending already set.
  void Close(int exitCode);
  // The code the message loop ends with whatever closes the window from now
  // on; the first ending's code stays.
  void SetExitCode(int exitCode);

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void RunPostedTasks();

  MainWindowEvents& events_;
  HWND hwnd_ = nullptr;
  HBRUSH background_ = nullptr;
  int exitCode_ = 0;
  bool exitCodeSet_ = false;
  std::deque<std::function<void()>> tasks_;
  bool runningTask_ = false;  // one box at a time: a task's box defers the next task
};

inline constexpr wchar_t kWindowClassName[] = L"Vantor";
inline constexpr wchar_t kWindowTitle[] = L"Vantor";

}  // namespace vantor
