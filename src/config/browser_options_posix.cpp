#include <cstdlib>

#include "common/text.h"
#include "config/browser_options.h"

namespace vantor {

void SetBrowserLaunchOptions(std::wstring_view arguments, const Config& config) {
  const std::wstring flags = ComposeBrowserArguments(arguments, config, ReadProcessorVendor());
  ::setenv(WideToUtf8(kBrowserArgumentsVariable).c_str(), WideToUtf8(flags).c_str(), 1);
}

}  // namespace vantor
