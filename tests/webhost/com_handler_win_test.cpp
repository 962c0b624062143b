// The program's COM handler objects, which WebView2 calls back.
#include "webhost/com_handler_win.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "webhost/webview2_win.h"

namespace vantor {
namespace {

TEST(ComHandler, CountsReferencesAndKeepsExceptionsInside) {
  int calls = 0;
  auto handler = MakeHandler<ICoreWebView2DOMContentLoadedEventHandler>(
      IID_ICoreWebView2DOMContentLoadedEventHandler,
      [&](ICoreWebView2*, ICoreWebView2DOMContentLoadedEventArgs*) -> HRESULT {
        ++calls;
        throw std::runtime_error("inside a handler");
      });
  EXPECT_EQ(handler->Invoke(nullptr, nullptr), S_OK);
  EXPECT_EQ(calls, 1);
  IUnknown* unknown = nullptr;
  EXPECT_EQ(handler->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(unknown->Release(), 1u);
  void* other = nullptr;
  EXPECT_EQ(handler->QueryInterface(IID_ICoreWebView2, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(handler.Detach()->Release(), 0u);
}

}  // namespace
}  // namespace vantor
