#pragma once

#include <memory>

#include "app/client_window_win.h"
#include "app/startup.h"
#include "update/updater.h"
#include "update/updater_platform_win.h"
#include "webhost/webview2_loader_win.h"

namespace vantor {

// Opens Vantor.log for this run and says which version starts.
void OpenProgramLog();

// Start-up's steps carried out with the real Win32 and WebView2 calls.
class WindowsStartup final : public StartupPlatform {
 public:
  explicit WindowsStartup(UpdateServer server = {}) : server_(std::move(server)) {}
  void CreateUpdater() override;
  bool CheckForUpdate() override;
  void InstallUpdate() override;
  std::string UpdaterVersion() override;
  void DestroyUpdater() override;
  bool LastUpdateIncomplete() override;
  bool LastUpdateUndone() override;
  bool AnotherStartIsUpdating() override;
  int ShowMessage(const std::wstring& text, const std::wstring& caption, unsigned style) override;
  Config& LoadConfig() override;
  void SetBrowserLaunchOptions(std::wstring_view arguments, const Config& config) override;
  bool LoadWebViewLoader() override;
  bool WebViewRuntimeInstalled() override;
  std::wstring ExecutableFolder() override;
  void RunAndWait(const std::wstring& program) override;
  DpiCall SetProcessDpiAwareness(int awareness) override;
  void SetProcessDPIAware() override;
  void CreateClientWindow(Config& config, std::wstring version) override;
  int RunClientWindow() override;

 private:
  // Shared with a download the player cancelled that has not stopped yet.
  struct UpdaterParts {
    WindowsUpdaterPlatform platform;
    Updater updater;
    UpdaterParts(std::filesystem::path folder, UpdateServer server)
        : updater(platform, std::move(folder), std::move(server)) {}
  };
  UpdateServer server_;
  std::shared_ptr<UpdaterParts> updater_;
  std::unique_ptr<WebViewLoader> loader_;
  std::unique_ptr<ClientWindow> window_;
};

}  // namespace vantor
