#include "webhost/webview2_loader_win.h"

#include <filesystem>

namespace vantor {

namespace {

template <typename Call>
Call Lookup(HMODULE library, const char* name) {
  return reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

std::unique_ptr<WebViewLoader> WebViewLoader::Load(const std::wstring& programFolder,
                                                   HRESULT& error) {
  const std::wstring path = (std::filesystem::path(programFolder) / kFileName).wstring();
  // Its own dependencies from its folder and System32 only: nothing from the
  // current folder or PATH.
  HMODULE library = LoadLibraryExW(path.c_str(), nullptr,
                                   LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (library == nullptr) {
    error = HRESULT_FROM_WIN32(GetLastError());
    if (SUCCEEDED(error)) error = E_FAIL;
    return nullptr;
  }
  const auto version = Lookup<VersionCall>(library, "GetAvailableCoreWebView2BrowserVersionString");
  const auto create = Lookup<CreateCall>(library, "CreateCoreWebView2EnvironmentWithOptions");
  if (version == nullptr || create == nullptr) {
    error = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    FreeLibrary(library);
    return nullptr;
  }
  error = S_OK;
  return std::unique_ptr<WebViewLoader>(new WebViewLoader(version, create));
}

HRESULT WebViewLoader::InstalledRuntimeVersion(LPWSTR* version) const {
  return version_(nullptr, version);
}

HRESULT WebViewLoader::CreateEnvironment(
    PCWSTR userDataFolder,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) const {
  return create_(nullptr, userDataFolder, nullptr, handler);
}

}  // namespace vantor
