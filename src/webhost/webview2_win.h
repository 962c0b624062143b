#pragma once

// The WebView2 SDK header, with what MinGW needs around it.
#include <windows.h>
// clang-format off
#include <WebView2.h>
// clang-format on

#include <wrl/client.h>

namespace vantor {

// ComPtr::As needs __uuidof, which MinGW has for none of WebView2's
// interfaces: the interface's IID is passed instead.
template <typename Wanted, typename Source>
HRESULT QueryFor(const Microsoft::WRL::ComPtr<Source>& source, REFIID iid,
                 Microsoft::WRL::ComPtr<Wanted>& wanted) {
  const HRESULT result =
      source->QueryInterface(iid, reinterpret_cast<void**>(wanted.ReleaseAndGetAddressOf()));
  if (SUCCEEDED(result) && !wanted) return E_NOINTERFACE;
  return result;
}

}  // namespace vantor
