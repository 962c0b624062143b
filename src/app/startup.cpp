#include "app/startup.h"

#include "common/files.h"
#include "common/text.h"

namespace vantor {

namespace {

void OfferUpdate(StartupPlatform& platform) {
  if (!platform.CheckForUpdate()) return;
  const int answer =
      platform.ShowMessage(kUpdatePromptText, kUpdatePromptCaption, kUpdatePromptStyle);
  if (answer == kAnswerYes) platform.InstallUpdate();  // returns only when nothing changed
}

// Runs Microsoft's installer from our folder when no runtime is there; false
// when there is still none afterwards.
bool EnsureWebViewRuntime(StartupPlatform& platform) {
  if (platform.WebViewRuntimeInstalled()) return true;
  std::wstring installer = platform.ExecutableFolder();
  if (installer.empty() || installer.back() != kPathSeparator) installer += kPathSeparator;
  installer += kInstallerName;
  platform.RunAndWait(installer);
  return platform.WebViewRuntimeInstalled();
}

void ApplyBlurFix(StartupPlatform& platform, const Config& config) {
  if (!config.Get(settings::kBlurFix)) return;
  // user32's older call only when the shcore library is not there at all.
  if (platform.SetProcessDpiAwareness(kPerMonitorDpiAware) ==
      StartupPlatform::DpiCall::LibraryMissing) {
    platform.SetProcessDPIAware();
  }
}

}  // namespace

int RunStartup(StartupPlatform& platform, std::wstring_view arguments) {
  platform.CreateUpdater();
  if (platform.AnotherStartIsUpdating()) return 0;
  if (platform.LastUpdateIncomplete()) {
    platform.ShowMessage(kUpdateIncompleteText, kUpdateIncompleteCaption, kWarningStyle);
  } else if (platform.LastUpdateUndone()) {
    platform.ShowMessage(kUpdateUndoneText, kUpdateIncompleteCaption, kWarningStyle);
  }
  OfferUpdate(platform);

  Config& config = platform.LoadConfig();
  if (config.Problem()) {
    platform.ShowMessage(config.ProblemMessage(), kSettingsCaption, kWarningStyle);
  }
  platform.SetBrowserLaunchOptions(arguments, config);

  // Not the runtime's installer: the runtime is not what is missing.
  if (!platform.LoadWebViewLoader()) {
    platform.ShowMessage(kLoaderMissingText, kLoaderMissingCaption, kWarningStyle);
    return kLoaderMissingExitCode;
  }

  if (!EnsureWebViewRuntime(platform)) {
    platform.ShowMessage(kInstallFailed, kInstallFailed, kWarningStyle);
    return 1;
  }
  ApplyBlurFix(platform, config);

  platform.CreateClientWindow(config, Utf8ToWide(platform.UpdaterVersion()));
  platform.DestroyUpdater();
  return platform.RunClientWindow();
}

}  // namespace vantor
