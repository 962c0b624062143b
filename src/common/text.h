#pragma once

#include <string>
#include <string_view>

namespace vantor {

// UTF-8 <-> wide text. On Windows a wide string is UTF-16 and the conversion is
// MultiByteToWideChar / WideCharToMultiByte with CP_UTF8 and no flags; on other
// platforms it is UTF-32 with the same replacement of invalid input by U+FFFD.
// The result holds the text alone: no terminating character in its length.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

}  // namespace vantor
