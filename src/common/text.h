#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace vantor {

// UTF-8 <-> wide text. On Windows a wide string is UTF-16 and the conversion is
// MultiByteToWideChar / WideCharToMultiByte with CP_UTF8 and no flags; on other
// platforms it is UTF-32 with the same replacement of invalid input by U+FFFD.
// The result holds the text alone: no terminating character in its length.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// A letter A-Z in lower case, any other character as it is: for names the
// protocols and Windows compare without case (hosts, headers, device names).
template <typename Char>
constexpr Char AsciiLower(Char c) {
  return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

// An error code as the log and the messages show it: "0x80070005".
inline std::string HexCode(std::uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
  return text;
}

}  // namespace vantor
