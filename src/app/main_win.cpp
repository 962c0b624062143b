#include <windows.h>

#include "config/browser_options.h"
#include "config/config.h"

// Entry point. Loads the settings, warns about a settings file it cannot use
// and publishes the browser flags before anything touches WebView2.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  auto* config = new vantor::Config();  // lives until the process ends
  if (config->Problem()) {
    MessageBoxW(nullptr, config->ProblemMessage().c_str(), L"Vantor settings", MB_ICONWARNING);
  }
  vantor::SetBrowserLaunchOptions(commandLine ? commandLine : L"", *config);
  return 0;
}
