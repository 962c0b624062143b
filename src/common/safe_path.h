#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// A relative path from outside (a page's request, an update archive's entry
// name) as a path below some folder, with "/" and "\" both taken as separators
// and `separator` between the segments in the result. Nothing when it could
// name a file outside that folder or a device: an empty, "." or ".." segment,
// a segment ending in a dot or blank (Windows drops those), a ":" (drive
// letters, alternate streams), a character Windows does not allow in names,
// or a reserved device name such as "con" or "com1.txt".
std::optional<std::wstring> SafeRelativePath(std::wstring_view path, wchar_t separator);

}  // namespace vantor
