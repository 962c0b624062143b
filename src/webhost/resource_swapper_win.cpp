// Answers the page's requests from files under Documents\Vantor\ResourceSwapper.
#include <shlobj.h>
#include <shlwapi.h>

#include "app/client_window_win.h"
#include "common/files.h"
#include "webhost/co_task_string_win.h"
#include "webhost/resource_swapper.h"

namespace vantor {

namespace {

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

HRESULT ClientWindow::OnWebResourceRequested(ICoreWebView2WebResourceRequestedEventArgs* args) {
  Released<ICoreWebView2WebResourceRequest> request;
  if (FAILED(args->get_Request(request.Put())) || !request) return S_OK;
  CoTaskString uri;
  if (FAILED(request->get_Uri(uri.Put())) || uri.Empty()) return S_OK;

  if (environment == nullptr) return S_OK;
  WindowsSwapFolder folder;
  const auto file = FindSwapFile(uri.View(), folder);
  if (!file) return S_OK;  // to the network

  Released<IStream> stream;
  if (SHCreateStreamOnFileEx(file->c_str(), STGM_READ | STGM_SHARE_DENY_WRITE, 0, FALSE, nullptr,
                             stream.Put()) != S_OK) {
    return S_OK;
  }
  Released<ICoreWebView2WebResourceResponse> response;
  const std::wstring headers = SwapResponseHeaders();
  environment->CreateWebResourceResponse(stream.Get(), 200, L"OK", headers.c_str(), response.Put());
  if (response) args->put_Response(response.Get());
  return S_OK;
}

}  // namespace vantor
