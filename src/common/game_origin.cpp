#include "common/game_origin.h"

#include "common/constants.h"
#include "common/text.h"

namespace vantor {

namespace {

bool EqualIgnoringCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

constexpr std::wstring_view kScheme = L"https://";

// "vantor.io" from "https://vantor.io".
std::wstring_view GameHost() { return std::wstring_view(kGameOrigin).substr(kScheme.size()); }

}  // namespace

std::optional<std::wstring_view> GameUriRest(std::wstring_view uri) {
  if (!EqualIgnoringCase(uri.substr(0, kScheme.size()), kScheme)) return std::nullopt;
  uri.remove_prefix(kScheme.size());
  const size_t end = uri.find_first_of(L"/?#");
  const std::wstring_view host = uri.substr(0, end);
  const std::wstring_view game = GameHost();
  if (host.size() < game.size() ||
      !EqualIgnoringCase(host.substr(host.size() - game.size()), game)) {
    return std::nullopt;
  }
  // A subdomain: labels of letters, digits and hyphens, then a dot.
  const std::wstring_view sub = host.substr(0, host.size() - game.size());
  if (!sub.empty()) {
    if (sub.back() != L'.' || sub.front() == L'.') return std::nullopt;
    for (size_t i = 0; i + 1 < sub.size(); ++i) {
      const wchar_t c = AsciiLower(sub[i]);
      const bool label = (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'-';
      if (!label && !(c == L'.' && sub[i + 1] != L'.')) return std::nullopt;
    }
  }
  return end == std::wstring_view::npos ? std::wstring_view() : uri.substr(end);
}

bool IsGameUri(std::wstring_view uri) { return GameUriRest(uri).has_value(); }

}  // namespace vantor
