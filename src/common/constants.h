#pragma once

// Program-wide constants shared by every subsystem.

namespace vantor {

// The game's https origin: scheme and host, no trailing slash. First navigation,
// the F4/F6 shortcuts and the resource swapper all use it.
inline constexpr wchar_t kGameOrigin[] = L"https://vantor.io";

}  // namespace vantor
