#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <atomic>
#include <functional>
#include <utility>

namespace vantor {

// A reference-counted COM object for one WebView2 handler interface (every one
// of them has a single two-argument Invoke), wrapping a function or lambda.
// MinGW has no WRL Callback; this is the program's own, and no exception ever
// leaves Invoke: WebView2 calls it as a COM callback.
template <typename Interface, typename InvokeSignature>
class ComHandler;

template <typename Interface, typename A, typename B>
class ComHandler<Interface, HRESULT (STDMETHODCALLTYPE Interface::*)(A, B)> final
    : public Interface {
 public:
  using Function = std::function<HRESULT(A, B)>;

  ComHandler(REFIID iid, Function function) : iid_(iid), function_(std::move(function)) {}

  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, iid_)) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE Invoke(A first, B second) override {
    try {
      return function_(first, second);
    } catch (...) {
      return S_OK;  // reported by the handler itself where it matters
    }
  }

 private:
  ~ComHandler() = default;

  IID iid_;
  Function function_;
  std::atomic<ULONG> references_{1};
};

// A new handler, held by the returned pointer; WebView2 takes its own
// reference for as long as it needs it:
// MakeHandler<ICoreWebView2...Handler>(IID_ICoreWebView2...Handler, fn).
template <typename Interface, typename Function>
Microsoft::WRL::ComPtr<Interface> MakeHandler(REFIID iid, Function&& function) {
  using Handler = ComHandler<Interface, decltype(&Interface::Invoke)>;
  Microsoft::WRL::ComPtr<Interface> handler;
  // Not Attach: MinGW's adds a reference, where the new object already holds one.
  *handler.ReleaseAndGetAddressOf() =
      new Handler(iid, typename Handler::Function(std::forward<Function>(function)));
  return handler;
}

}  // namespace vantor
