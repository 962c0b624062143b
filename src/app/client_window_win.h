#pragma once

#include <string>

#include "app/main_window_win.h"
#include "app/session.h"
#include "config/config.h"
#include "input/mouse_capture_win.h"
#include "webhost/web_host_win.h"

namespace vantor {

// The program's main object: composes the main window, the web host and the
// mouse capture, hands their events to the session and carries out the
// session's commands. Everything runs on the UI thread.
class ClientWindow final : private MainWindowEvents, private WebHostEvents, private MouseSink {
 public:
  ClientWindow(Config& config, std::wstring version, const WebViewLoader& loader);
  ~ClientWindow() override;
  ClientWindow(const ClientWindow&) = delete;
  ClientWindow& operator=(const ClientWindow&) = delete;

  // Creates and shows the window, applies the window mode, starts the web
  // view and runs the message loop; returns the program's exit code.
  int Run();

 private:
  // MainWindowEvents
  void OnShortcutReleased(unsigned virtualKey) override;
  void OnClientAreaChanged() override;
  void OnWindowDestroyed() override;
  bool OnRawInput(LPARAM rawInputHandle) override;
  // WebHostEvents
  void OnPageMessage(std::wstring_view sourceUri, std::wstring_view text) override;
  void OnDocumentLoaded() override;
  void OnPageLost() override;
  void OnWebHostFailed(const std::wstring& message, const std::wstring& caption,
                       int exitCode) override;
  std::optional<bool> AskWhetherToReload(const std::function<bool()>& answeredAgain) override;
  void CloseQuestion() override;
  // MouseSink
  void PostMouseMessage(const wchar_t* json) noexcept override;

  void Carry(const Commands& commands);
  void ApplyWindowMode();
  // Shows the message from the window's own procedure, then ends the program
  // with `exitCode` through the normal teardown.
  void TellAndEnd(std::wstring message, std::wstring caption, int exitCode);
  int RunMessageLoop();

  Config& config_;
  Session session_;
  MainWindow window_;
  WebHost webHost_;
  MouseCapture mouse_;
  bool rawInputFailureTold_ = false;
};

}  // namespace vantor
