#include "common/safe_path.h"

#include <algorithm>
#include <array>

#include "common/text.h"

namespace vantor {

namespace {

std::wstring Lower(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t& c : lower) c = AsciiLower(c);
  return lower;
}

// CON, PRN, AUX, NUL, COM0-9, LPT0-9 (also with superscript digits), with or
// without an extension: Windows opens the device, not a file.
bool IsReservedDeviceName(std::wstring_view segment) {
  std::wstring stem = Lower(segment.substr(0, segment.find(L'.')));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();  // "con .txt" is CON too
  static const std::array<const wchar_t*, 6> kNames = {L"con", L"prn",    L"aux",
                                                       L"nul", L"conin$", L"conout$"};
  for (const wchar_t* name : kNames) {
    if (stem == name) return true;
  }
  if (stem.size() == 4 && (stem.rfind(L"com", 0) == 0 || stem.rfind(L"lpt", 0) == 0)) {
    const wchar_t digit = stem[3];
    return (digit >= L'0' && digit <= L'9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
  }
  return false;
}

bool IsAllowedSegment(std::wstring_view segment) {
  if (segment.empty() || segment == L"." || segment == L"..") return false;
  if (segment.back() == L'.' || segment.back() == L' ') return false;
  for (wchar_t c : segment) {
    if (c < 0x20 || c == L':' || c == L'*' || c == L'?' || c == L'"' || c == L'<' || c == L'>' ||
        c == L'|') {
      return false;
    }
  }
  return !IsReservedDeviceName(segment);
}

}  // namespace

std::optional<std::wstring> SafeRelativePath(std::wstring_view path, wchar_t separator) {
  if (path.empty()) return std::nullopt;
  std::wstring result(path);
  std::replace(result.begin(), result.end(), L'\\', separator);
  std::replace(result.begin(), result.end(), L'/', separator);
  std::wstring_view rest = result;
  while (true) {
    const size_t cut = rest.find(separator);
    if (!IsAllowedSegment(rest.substr(0, cut))) return std::nullopt;
    if (cut == std::wstring_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  return result;
}

}  // namespace vantor
