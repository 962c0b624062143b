#include "update/update_offer.h"

namespace vantor {

namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n";

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kWhiteSpace);
  return text.substr(first, last - first + 1);
}

// One https URL with a host: no white space, quotes or angle brackets, nothing
// an error page would be made of.
bool IsHttpsUrl(std::string_view text) {
  constexpr std::string_view kScheme = "https://";
  if (text.substr(0, kScheme.size()) != kScheme || text.size() == kScheme.size()) return false;
  if (text[kScheme.size()] == '/') return false;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\') {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string UpdateRequestPath(std::string_view version) {
  return "/v2/index.php?v=" + std::string(version);
}

std::optional<std::string> UpdateOfferFrom(int status, std::string_view body) {
  if (status != 200) return std::nullopt;
  const std::string_view url = Trim(body);
  if (!IsHttpsUrl(url)) return std::nullopt;
  return std::string(url);
}

}  // namespace vantor
