#include "config/browser_options.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace vantor {

std::wstring ComposeBrowserArguments(std::wstring_view arguments, const Config& config,
                                     std::string_view vendor) {
  std::wstring flags = kBaseBrowserFlags;
  // A mistyped value reads as absent, which means unlimited.
  if (config.Get(settings::kUnlimitedFps)) flags += kUnlimitedFpsFlags;
  if (vendor == kAmdVendor) flags += kZeroCopyFlag;
  // A plain substring test: the switch counts anywhere, even inside a word.
  if (arguments.find(kSteamSwitch) != std::wstring_view::npos) {
    flags += L" --user-agent=\"";
    flags += kSteamUserAgent;
    flags += L'"';
  }
  return flags;
}

std::string ReadProcessorVendor() {
#if defined(__x86_64__) || defined(__i386__)
  unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(0, &eax, &ebx, &ecx, &edx) == 0) return {};
  return VendorFromRegisters(ebx, edx, ecx);
#else
  return {};
#endif
}

std::string VendorFromRegisters(std::uint32_t ebx, std::uint32_t edx, std::uint32_t ecx) {
  std::string vendor;
  for (std::uint32_t reg : {ebx, edx, ecx}) {
    for (int shift = 0; shift < 32; shift += 8) vendor += static_cast<char>((reg >> shift) & 0xFF);
  }
  return vendor;
}

}  // namespace vantor
