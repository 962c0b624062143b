#include "update/download_check.h"

#include <openssl/evp.h>

#include <fstream>
#include <memory>

#include "common/text.h"

namespace vantor {

namespace {

bool NameIs(std::string_view line, std::string_view name) {
  if (line.size() <= name.size() || line[name.size()] != ':') return false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (AsciiLower(line[i]) != name[i]) return false;
  }
  return true;
}

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::optional<std::uint64_t> ContentLengthOf(std::string_view headers) {
  constexpr std::string_view kName = "content-length";
  while (!headers.empty()) {
    const size_t end = headers.find('\n');
    std::string_view line = headers.substr(0, end);
    headers = end == std::string_view::npos ? std::string_view() : headers.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!NameIs(line, kName)) continue;
    const std::string_view value = Trim(line.substr(kName.size() + 1));
    if (value.empty() || value.size() > 19) return std::nullopt;
    std::uint64_t length = 0;
    for (char c : value) {
      if (c < '0' || c > '9') return std::nullopt;
      length = length * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return length;
  }
  return std::nullopt;
}

std::string DownloadProblem(const DownloadResult& result, std::uint64_t receivedBytes) {
  if (!result.completed) {
    return "the download failed: " + HexCode(result.error);
  }
  if (result.status == 0) return "the download gave no HTTP status";
  if (result.status != 200) return "the server answered " + std::to_string(result.status);
  if (result.announcedLength && *result.announcedLength != receivedBytes) {
    return std::to_string(receivedBytes) + " of " + std::to_string(*result.announcedLength) +
           " bytes arrived";
  }
  return {};
}

std::string FileSha256(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                  &EVP_MD_CTX_free);
  if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) return {};
  char buffer[64 * 1024];
  while (in) {
    in.read(buffer, sizeof buffer);
    if (in.gcount() > 0 &&
        EVP_DigestUpdate(context.get(), buffer, static_cast<size_t>(in.gcount())) != 1) {
      return {};
    }
  }
  if (in.bad()) return {};
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1) return {};
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 0xF];
  }
  return hex;
}

}  // namespace vantor
