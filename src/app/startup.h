#pragma once

#include <string>
#include <string_view>

#include "config/config.h"

namespace vantor {

// Everything start-up asks of the platform, one call per step, so that the
// order and every decision run (and are tested) without Windows. The Windows
// layer implements it with the real calls.
class StartupPlatform {
 public:
  enum class DpiCall { LibraryMissing, FunctionMissing, Called };

  virtual ~StartupPlatform() = default;

  // The updater: created first, destroyed once the main window object exists.
  virtual void CreateUpdater() = 0;
  virtual bool CheckForUpdate() = 0;
  // Restarts the program into the update and does not return; returns when
  // the player cancelled or the update failed: the program goes on as it is.
  virtual void InstallUpdate() = 0;
  virtual std::string UpdaterVersion() = 0;
  virtual void DestroyUpdater() = 0;
  // The updater set aside an interrupted update it could not repair.
  virtual bool LastUpdateIncomplete() = 0;
  // A start undid an accepted update that could not be finished.
  virtual bool LastUpdateUndone() = 0;
  // Another start is putting an update in place; it starts the game when done.
  virtual bool AnotherStartIsUpdating() = 0;

  // A message box with no owner window; returns the button pressed.
  virtual int ShowMessage(const std::wstring& text, const std::wstring& caption,
                          unsigned style) = 0;

  // Loads config.json; the object lives until the process ends.
  virtual Config& LoadConfig() = 0;
  virtual void SetBrowserLaunchOptions(std::wstring_view arguments, const Config& config) = 0;

  // Loads WebView2Loader.dll from the program's folder; false when it is
  // missing or damaged (the reason is logged).
  virtual bool LoadWebViewLoader() = 0;
  // GetAvailableCoreWebView2BrowserVersionString: true when a version came back.
  virtual bool WebViewRuntimeInstalled() = 0;
  virtual std::wstring ExecutableFolder() = 0;
  // Starts the program with no arguments and waits for it without time-out.
  virtual void RunAndWait(const std::wstring& program) = 0;

  // shcore's SetProcessDpiAwareness(awareness), looked up at run time.
  virtual DpiCall SetProcessDpiAwareness(int awareness) = 0;
  // user32's SetProcessDPIAware, looked up at run time.
  virtual void SetProcessDPIAware() = 0;

  virtual void CreateClientWindow(Config& config, std::wstring version) = 0;
  virtual int RunClientWindow() = 0;
};

inline constexpr wchar_t kUpdatePromptText[] = L"Update available!!!\n\nWould you like to update?";
inline constexpr wchar_t kUpdatePromptCaption[] = L"Vantor Update Available";
inline constexpr unsigned kUpdatePromptStyle =
    0x1044;                                      // MB_SYSTEMMODAL | MB_ICONINFORMATION | MB_YESNO
inline constexpr int kAnswerYes = 6;             // IDYES
inline constexpr unsigned kWarningStyle = 0x30;  // MB_ICONWARNING
inline constexpr wchar_t kUpdateIncompleteText[] =
    L"The last update of Vantor did not complete.\n\nAccept the next update when Vantor offers "
    L"it, or reinstall Vantor.";
inline constexpr wchar_t kUpdateIncompleteCaption[] = L"Vantor Update";
inline constexpr wchar_t kUpdateUndoneText[] =
    L"The update of Vantor could not be put in place, so the previous version was put back.\n\n"
    L"Vantor offers the update again at its next start.";
inline constexpr wchar_t kInstallerName[] = L"MicrosoftEdgeWebview2Setup.exe";
inline constexpr wchar_t kInstallFailed[] = L"Failed to install webview";
inline constexpr wchar_t kLoaderMissingText[] =
    L"WebView2Loader.dll is missing or damaged. Reinstall Vantor.";
inline constexpr wchar_t kLoaderMissingCaption[] = L"Vantor";
inline constexpr int kLoaderMissingExitCode = 4;
inline constexpr wchar_t kSettingsCaption[] = L"Vantor settings";
inline constexpr int kPerMonitorDpiAware = 2;  // PROCESS_PER_MONITOR_DPI_AWARE

// The program from its first step to the end of the message loop; returns the
// process exit code.
int RunStartup(StartupPlatform& platform, std::wstring_view arguments);

}  // namespace vantor
