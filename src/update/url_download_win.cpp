#include "update/url_download_win.h"

// windows.h first: urlmon.h builds on it.
#include <windows.h>
// clang-format off
#include <urlmon.h>
// clang-format on

#include <wrl/client.h>

#include <atomic>

#include "common/text.h"

namespace vantor {

namespace {

// Watches one download: urlmon asks it for IHttpNegotiate and hands it the
// response's status line code and headers.
class DownloadWatch final : public IBindStatusCallback, public IHttpNegotiate {
 public:
  explicit DownloadWatch(DownloadProgress& progress) : progress_(progress) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBindStatusCallback)) {
      *object = static_cast<IBindStatusCallback*>(this);
    } else if (IsEqualIID(iid, IID_IHttpNegotiate)) {
      *object = static_cast<IHttpNegotiate*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IBindStatusCallback
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG done, ULONG total, ULONG status, LPCWSTR) override {
    if (progress_.Cancelled()) return E_ABORT;  // ends the transfer at once
    if (status == BINDSTATUS_DOWNLOADINGDATA || status == BINDSTATUS_ENDDOWNLOADDATA) {
      // 32-bit counts: the header's length (64-bit) wins over them.
      progress_.received = Widen32(progress_.received, done);
      if (total > 0 && progress_.total == 0) progress_.total = total;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO*) override {
    // Always from the server: a cached answer says nothing about this one.
    if (flags != nullptr) *flags |= BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

  // IHttpNegotiate
  HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                                 LPWSTR* additionalHeaders) override {
    if (additionalHeaders != nullptr) *additionalHeaders = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnResponse(DWORD code, LPCWSTR responseHeaders, LPCWSTR,
                                       LPWSTR* additionalHeaders) override {
    if (additionalHeaders != nullptr) *additionalHeaders = nullptr;
    try {
      status = static_cast<int>(code);
      headers = responseHeaders ? WideToUtf8(responseHeaders) : std::string();
      if (const auto length = ContentLengthOf(headers); length && code == 200) {
        progress_.total = *length;
      }
    } catch (...) {
      status = 0;  // unknown: the download will not count
    }
    return S_OK;
  }

  int status = 0;
  std::string headers;

 private:
  DownloadProgress& progress_;
  std::atomic<ULONG> references_{1};
};

}  // namespace

DownloadResult DownloadWithUrlMon(const std::string& url, const std::filesystem::path& file,
                                  DownloadProgress& progress) {
  Microsoft::WRL::ComPtr<DownloadWatch> watch;
  *watch.ReleaseAndGetAddressOf() = new DownloadWatch(progress);  // holds its first reference
  const HRESULT result = URLDownloadToFileW(nullptr, Utf8ToWide(url).c_str(), file.c_str(), 0,
                                            static_cast<IBindStatusCallback*>(watch.Get()));
  DownloadResult outcome;
  outcome.completed = SUCCEEDED(result);
  outcome.error = static_cast<std::uint32_t>(result);
  outcome.status = watch->status;
  outcome.announcedLength = ContentLengthOf(watch->headers);
  return outcome;
}

}  // namespace vantor
