#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/config.h"

namespace vantor {

// Flags the embedded browser always starts with (235 characters).
inline constexpr wchar_t kBaseBrowserFlags[] =
    L"--ignore-gpu-blacklist --disable-print-preview "
    L"--disable-features=msSmartScreenProtection --disable-background-timer-throttling "
    L"--high-dpi-support=1 --webrtc-max-cpu-consumption-percentage=100 "
    L"--autoplay-policy=no-user-gesture-required";

inline constexpr wchar_t kUnlimitedFpsFlags[] = L" --disable-frame-rate-limit --disable-gpu-vsync";
inline constexpr wchar_t kZeroCopyFlag[] = L" --enable-zero-copy";
// The user agent of the game's Steam build, sent when started with "--steam".
inline constexpr wchar_t kSteamUserAgent[] = L"io.vantor.client.steam";
inline constexpr wchar_t kSteamSwitch[] = L"--steam";
inline constexpr char kAmdVendor[] = "AuthenticAMD";

inline constexpr wchar_t kBrowserArgumentsVariable[] = L"WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS";

// The browser's start-up flags for the given command-line arguments (without
// the program name), settings and processor vendor string: the base flags, then
// the frame-rate, zero-copy and user-agent pieces, each only when it applies.
std::wstring ComposeBrowserArguments(std::wstring_view arguments, const Config& config,
                                     std::string_view vendor);

// The 12-character vendor string of CPUID leaf 0 (EBX, EDX, ECX), or empty
// where the instruction is not available.
std::string ReadProcessorVendor();

// The vendor string from CPUID leaf 0's registers, in the order the processor
// defines: EBX, EDX, ECX, four bytes each, lowest byte first.
std::string VendorFromRegisters(std::uint32_t ebx, std::uint32_t edx, std::uint32_t ecx);

// Publishes the composed flags in WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS, which
// the WebView2 loader reads when the environment is created. Call it before
// anything touches WebView2.
void SetBrowserLaunchOptions(std::wstring_view arguments, const Config& config);

}  // namespace vantor
