#include <windows.h>

#include "config/browser_options.h"

namespace vantor {

void SetBrowserLaunchOptions(std::wstring_view arguments, const Config& config) {
  const std::wstring flags = ComposeBrowserArguments(arguments, config, ReadProcessorVendor());
  SetEnvironmentVariableW(kBrowserArgumentsVariable, flags.c_str());
}

}  // namespace vantor
