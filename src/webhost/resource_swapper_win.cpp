// Answers the page's requests from files under Documents\Vantor\ResourceSwapper.
#include <shlobj.h>
#include <shlwapi.h>

#include "common/co_task_string_win.h"
#include "common/files.h"
#include "common/hresult_win.h"
#include "common/log.h"
#include "common/text.h"
#include "webhost/resource_swapper.h"
#include "webhost/web_host_win.h"

namespace vantor {

namespace {

using Microsoft::WRL::ComPtr;

class WindowsSwapFolder final : public SwapFolderAccess {
 public:
  // Resolved for every request: nothing is cached, so a moved Documents folder
  // counts at once. Empty when it cannot be resolved.
  std::wstring DocumentsFolder() override {
    CoTaskString folder;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_DEFAULT, nullptr, folder.Put()))) {
      return {};
    }
    return std::wstring(folder.View());
  }
  bool FolderExists(const std::wstring& path) override {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
  bool FileReadable(const std::wstring& path) override { return FileExists(path); }
};

}  // namespace

// Only requests the swapper can answer are held for the UI thread. Where the
// runtime offers it, the filter also covers workers and frames of other
// origins; the older call sees only the page's own documents.
void WebHost::AddSwapFilter() {
  const std::wstring pattern = SwapFilterPattern();
  ComPtr<ICoreWebView2_22> webview22;
  if (SUCCEEDED(QueryFor(webview_, IID_ICoreWebView2_22, webview22))) {
    if (Succeeded(webview22->AddWebResourceRequestedFilterWithRequestSourceKinds(
                      pattern.c_str(), COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL,
                      COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_ALL),
                  "Adding the resource swapper's filter", "nothing is swapped")) {
      applog::Write("resource swapper: filter " + WideToUtf8(pattern) +
                    " for pages, workers and frames");
    }
    return;
  }
  if (Succeeded(webview_->AddWebResourceRequestedFilter(pattern.c_str(),
                                                        COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL),
                "Adding the resource swapper's filter", "nothing is swapped")) {
    applog::Write("resource swapper: filter " + WideToUtf8(pattern) +
                  " for the page's own documents only (the runtime has no ICoreWebView2_22)");
  }
}

HRESULT WebHost::OnWebResourceRequested(ICoreWebView2WebResourceRequestedEventArgs* args) {
  ComPtr<ICoreWebView2WebResourceRequest> request;
  if (FAILED(args->get_Request(&request)) || !request) return S_OK;
  CoTaskString uri;
  if (FAILED(request->get_Uri(uri.Put())) || uri.Empty()) return S_OK;

  if (!environment_) return S_OK;
  WindowsSwapFolder folder;
  const auto file = FindSwapFile(uri.View(), folder);
  if (!file) return S_OK;  // to the network

  ComPtr<IStream> stream;
  if (SHCreateStreamOnFileEx(file->c_str(), STGM_READ | STGM_SHARE_DENY_WRITE, 0, FALSE, nullptr,
                             &stream) != S_OK) {
    return S_OK;
  }
  ComPtr<ICoreWebView2WebResourceResponse> response;
  const std::wstring headers = SwapResponseHeaders();
  if (Succeeded(environment_->CreateWebResourceResponse(stream.Get(), 200, L"OK", headers.c_str(),
                                                        &response),
                "Creating a swapped response", "the request goes to the network") &&
      response) {
    Succeeded(args->put_Response(response.Get()), "Answering from the swap folder",
              "the request goes to the network");
  }
  return S_OK;
}

}  // namespace vantor
