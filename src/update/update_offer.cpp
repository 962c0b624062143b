#include "update/update_offer.h"

namespace vantor {

namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n";
constexpr std::string_view kDigestFragment = "#sha256=";
constexpr size_t kDigestLength = 64;

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kWhiteSpace);
  return text.substr(first, last - first + 1);
}

// One https URL with a host: only characters a URL may hold (no white space,
// quotes, angle or curly brackets, backslash, "|", "^" or "`"), nothing an
// error page would be made of.
bool IsHttpsUrl(std::string_view text) {
  constexpr std::string_view kScheme = "https://";
  if (text.substr(0, kScheme.size()) != kScheme || text.size() == kScheme.size()) return false;
  if (text[kScheme.size()] == '/') return false;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F ||
        std::string_view("\"<>\\{}|^`").find(c) != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

// The digest of a "#sha256=<64 hex>" fragment in lower case; empty otherwise.
std::string DigestOf(std::string_view fragment) {
  if (fragment.substr(0, kDigestFragment.size()) != kDigestFragment) return {};
  const std::string_view hex = fragment.substr(kDigestFragment.size());
  if (hex.size() != kDigestLength) return {};
  std::string digest;
  for (char c : hex) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return {};
    digest += c;
  }
  return digest;
}

UpdateAnswer NoOffer(std::string why) { return {std::nullopt, std::move(why)}; }

}  // namespace

std::string UpdateRequestPath(std::string_view version) {
  return "/v2/index.php?v=" + std::string(version);
}

UpdateAnswer ReadUpdateAnswer(int status, std::string_view body) {
  if (status != 200) return NoOffer("the server answered " + std::to_string(status));
  const std::string_view text = Trim(body);
  if (text.empty() || text == "0") return NoOffer("the server offers no newer build");
  if (!IsHttpsUrl(text)) return NoOffer("the answer is not one https URL");
  const size_t hash = text.find('#');
  if (hash == std::string_view::npos) return {UpdateOffer{std::string(text), {}}, {}};
  std::string digest = DigestOf(text.substr(hash));
  if (digest.empty()) {
    return NoOffer("the offered URL's fragment is not #sha256= and 64 hex digits");
  }
  return {UpdateOffer{std::string(text.substr(0, hash)), std::move(digest)}, {}};
}

}  // namespace vantor
