// The loader's exports, as WebView2.h declares them.
#include "objects.h"
#include "runtime.h"

using namespace standin;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    OpenRecord();
    ReadOptions();
    Record("loaded", CurrentOptions().runtimePresent ? "runtime present" : "no runtime");
  } else if (reason == DLL_PROCESS_DETACH) {
    ReportLiveObjects();
    Record("exit");
  }
  return TRUE;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE
    GetAvailableCoreWebView2BrowserVersionString(PCWSTR browserExecutableFolder,
                                                 LPWSTR* versionInfo) {
  Record("call", "GetAvailableCoreWebView2BrowserVersionString", Text(browserExecutableFolder));
  if (versionInfo == nullptr) return E_POINTER;
  *versionInfo = nullptr;
  if (!CurrentOptions().runtimePresent) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  *versionInfo = HandOut(L"0.0.0.0 stand-in");
  return S_OK;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE
    GetAvailableCoreWebView2BrowserVersionStringWithOptions(PCWSTR,
                                                            ICoreWebView2EnvironmentOptions*,
                                                            LPWSTR* versionInfo) {
  Record("unexpected", "GetAvailableCoreWebView2BrowserVersionStringWithOptions", "E_NOTIMPL");
  if (versionInfo) *versionInfo = nullptr;
  return E_NOTIMPL;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE CompareBrowserVersions(PCWSTR, PCWSTR, int*) {
  Record("unexpected", "CompareBrowserVersions", "E_NOTIMPL");
  return E_NOTIMPL;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE CreateCoreWebView2EnvironmentWithOptions(
    PCWSTR browserExecutableFolder, PCWSTR userDataFolder,
    ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
  return CreateEnvironment(browserExecutableFolder, userDataFolder, environmentOptions, handler);
}

__declspec(dllexport) HRESULT STDAPICALLTYPE CreateCoreWebView2Environment(
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
  return CreateEnvironment(nullptr, nullptr, nullptr, handler);
}

}  // extern "C"
