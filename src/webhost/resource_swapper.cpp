#include "webhost/resource_swapper.h"

#include <algorithm>
#include <array>

#include "common/constants.h"

namespace vantor {

namespace {

// "vantor.io/" from "https://vantor.io".
std::wstring GameHostMarker() {
  std::wstring_view origin = kGameOrigin;
  const size_t schemeEnd = origin.find(L"://");
  if (schemeEnd != std::wstring_view::npos) origin.remove_prefix(schemeEnd + 3);
  return std::wstring(origin) + L'/';
}

std::wstring Lower(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t& c : lower) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
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

std::wstring UriToRelativePath(std::wstring_view uri) {
  static const std::wstring marker = GameHostMarker();
  const size_t found = uri.find(marker);
  if (found == std::wstring_view::npos) return {};
  std::wstring_view rest = uri.substr(found + marker.size());
  return std::wstring(rest.substr(0, rest.find(L'?')));
}

std::optional<std::wstring> ConfineToSwapFolder(std::wstring_view relativePath) {
  if (relativePath.empty()) return std::nullopt;
  std::wstring path(relativePath);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  std::wstring_view rest = path;
  while (true) {
    const size_t cut = rest.find(L'\\');
    if (!IsAllowedSegment(rest.substr(0, cut))) return std::nullopt;
    if (cut == std::wstring_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  return path;
}

std::wstring SwapResponseHeaders() {
  return std::wstring(L"access-control-allow-origin: ") + kGameOrigin +
         L"\naccess-control-expose-headers: Content-Length, Content-Type, Date, Server, "
         L"Transfer-Encoding, X-GUploader-UploadID, X-Google-Trace";
}

}  // namespace vantor
