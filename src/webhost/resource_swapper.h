#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// The part of a request URI after the first "<game host>/" and before the
// first "?" that follows it; empty when the URI has no such marker. Nothing
// is decoded or normalised.
std::wstring UriToRelativePath(std::wstring_view uri);

// The relative path as a path below the swap folder, with "\" separators, or
// nothing when it could leave the folder or name a device (see SafeRelativePath).
std::optional<std::wstring> ConfineToSwapFolder(std::wstring_view relativePath);

// The swap folder below the Documents folder, with a trailing separator.
inline constexpr wchar_t kSwapFolderSuffix[] = L"\\Vantor\\ResourceSwapper\\";

// The headers of every answered request: exactly these two lines.
std::wstring SwapResponseHeaders();

}  // namespace vantor
