#pragma once

#include <windows.h>

#include <functional>

namespace vantor {

// The web host's clock for trying the game again: a timer, and Windows'
// word that the network changed (which arrives on a system thread and is
// passed on here). Both reach `due` on the UI thread, through a
// message-only window of its own, never inside another callback.
class RetryClock {
 public:
  using Due = std::function<void(const char* why)>;
  explicit RetryClock(Due due);
  ~RetryClock();
  RetryClock(const RetryClock&) = delete;
  RetryClock& operator=(const RetryClock&) = delete;

  // Reports "the pause ended" after `milliseconds`, once; replaces an armed time.
  void Arm(unsigned milliseconds);
  void Disarm();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  Due due_;
  HWND window_ = nullptr;
  HANDLE networkNotification_ = nullptr;
};

}  // namespace vantor
