#include <windows.h>

#include "common/log.h"
#include "common/text.h"
#include "config/browser_options.h"

namespace vantor {

void SetBrowserLaunchOptions(std::wstring_view arguments, const Config& config) {
  const std::wstring flags = ComposeBrowserArguments(arguments, config, ReadProcessorVendor());
  applog::Write("browser flags: " + WideToUtf8(flags));
  if (!SetEnvironmentVariableW(kBrowserArgumentsVariable, flags.c_str())) {
    applog::Failure("Setting the browser flags", HRESULT_FROM_WIN32(GetLastError()),
                    "The browser starts with its own defaults.");
  }
}

}  // namespace vantor
