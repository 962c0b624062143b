#include "webhost/resource_swapper.h"

#include "common/constants.h"
#include "common/game_origin.h"
#include "common/safe_path.h"

namespace vantor {

namespace {

// "vantor.io/" from "https://vantor.io": the filter the runtime matches.
std::wstring GameHostMarker() {
  std::wstring_view origin = kGameOrigin;
  const size_t schemeEnd = origin.find(L"://");
  if (schemeEnd != std::wstring_view::npos) origin.remove_prefix(schemeEnd + 3);
  return std::wstring(origin) + L'/';
}

}  // namespace

std::wstring UriToRelativePath(std::wstring_view uri) {
  const auto afterHost = GameUriRest(uri);
  if (!afterHost || afterHost->empty() || afterHost->front() != L'/') return {};
  const std::wstring_view rest = afterHost->substr(1);
  return std::wstring(rest.substr(0, rest.find(L'?')));
}

std::wstring SwapFilterPattern() { return L"*" + GameHostMarker() + L"*"; }

std::optional<std::wstring> FindSwapFile(std::wstring_view uri, SwapFolderAccess& access) {
  const auto relative = ConfineToSwapFolder(UriToRelativePath(uri));
  if (!relative) return std::nullopt;
  const std::wstring documents = access.DocumentsFolder();
  // Never the drive root when Documents cannot be resolved.
  if (documents.empty()) return std::nullopt;
  std::wstring file = documents + kSwapFolderSuffix;
  // Most players have no swap folder: one check, and no file is opened.
  if (!access.FolderExists(file.substr(0, file.size() - 1))) return std::nullopt;
  file += *relative;
  if (!access.FileReadable(file)) return std::nullopt;
  return file;
}

std::optional<std::wstring> ConfineToSwapFolder(std::wstring_view relativePath) {
  return SafeRelativePath(relativePath, L'\\');
}

std::wstring SwapResponseHeaders() {
  return std::wstring(L"access-control-allow-origin: ") + kGameOrigin +
         L"\naccess-control-expose-headers: Content-Length, Content-Type, Date, Server, "
         L"Transfer-Encoding, X-GUploader-UploadID, X-Google-Trace";
}

}  // namespace vantor
