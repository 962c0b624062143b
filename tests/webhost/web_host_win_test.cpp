// The web host's WebView2 handlers, fed with event arguments of our own: the
// runtime itself is not available here.
#include <gtest/gtest.h>

#include <memory>

#include "app/client_window_win.h"
#include "app/messages_win.h"
#include "common/constants.h"
#include "config/config_fixture.h"
#include "support/fake_web_view.h"
#include "webhost/com_handler_win.h"
#include "webhost/page_scripts.h"

namespace vantor {
namespace {

// Hands out copies the receiver must free with CoTaskMemFree, as WebView2 does.
LPWSTR HandOut(const std::wstring& text) {
  auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
  wcscpy(copy, text.c_str());
  return copy;
}

class FakeMessageArgs final : public ICoreWebView2WebMessageReceivedEventArgs {
 public:
  FakeMessageArgs(std::wstring source, std::wstring text, bool isString = true)
      : source_(std::move(source)), text_(std::move(text)), isString_(isString) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* value) override {
    *value = HandOut(source_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_WebMessageAsJson(LPWSTR* value) override {
    *value = HandOut(L"\"" + text_ + L"\"");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE TryGetWebMessageAsString(LPWSTR* value) override {
    *value = nullptr;
    if (!isString_) return E_INVALIDARG;
    *value = HandOut(text_);
    return S_OK;
  }

 private:
  std::wstring source_, text_;
  bool isString_;
};

class FakeKeyArgs final : public ICoreWebView2AcceleratorKeyPressedEventArgs {
 public:
  FakeKeyArgs(UINT key, INT lParam) : key_(key), lParam_(lParam) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE get_KeyEventKind(COREWEBVIEW2_KEY_EVENT_KIND* kind) override {
    *kind = COREWEBVIEW2_KEY_EVENT_KIND_KEY_UP;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_VirtualKey(UINT* key) override {
    *key = key_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_KeyEventLParam(INT* lParam) override {
    *lParam = lParam_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_PhysicalKeyStatus(COREWEBVIEW2_PHYSICAL_KEY_STATUS*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_Handled(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Handled(BOOL) override {
    handledTouched = true;
    return S_OK;
  }
  bool handledTouched = false;

 private:
  UINT key_;
  INT lParam_;
};

int AnswerMessage(const wchar_t*, const wchar_t*, unsigned) { return IDOK; }

class WebHostHandlers : public test::ConfigFixture {
 protected:
  void SetUp() override {
    SetMessageHandlerForTesting(AnswerMessage);
    Load();
    window_ = std::make_unique<ClientWindow>(config.get(), L"2.0.9");
    auto page = std::make_unique<test::RecordingWebView>();
    page_ = page.get();
    window_->page = std::move(page);
  }
  void TearDown() override {
    window_.reset();
    SetMessageHandlerForTesting(nullptr);
  }
  void Post(const std::wstring& text, const std::wstring& source = GamePage()) {
    FakeMessageArgs args(source, text);
    EXPECT_EQ(window_->OnWebMessageReceived(&args), S_OK);
  }
  static std::wstring GamePage() { return std::wstring(kGameOrigin) + L"/"; }

  std::unique_ptr<ClientWindow> window_;
  test::RecordingWebView* page_ = nullptr;
};

TEST_F(WebHostHandlers, HookMessagesSwitchCapture) {
  Post(L"startHook");
  EXPECT_TRUE(window_->captureActive);
  Post(L"startHook ");
  EXPECT_TRUE(window_->captureActive);
  Post(L"stopHook");
  EXPECT_FALSE(window_->captureActive);
}

TEST_F(WebHostHandlers, ClientLoadedRunsTheFourMenuScriptsInOrder) {
  Post(L"clientLoaded");
  EXPECT_EQ(page_->calls, (std::vector<std::wstring>{
                              L"ExecuteScript(" + BuildVersionBanner(L"2.0.9") + L")",
                              L"ExecuteScript(" + std::wstring(kExitMenuButtonScript) + L")",
                              L"ExecuteScript(" + std::wstring(kClientMenuButtonScript) + L")",
                              L"ExecuteScript(" + std::wstring(kMenuTimerScript) + L")"}));
}

TEST_F(WebHostHandlers, SettingsOpenThePanelAndStoreChanges) {
  Post(L"clientSettings");
  ASSERT_EQ(page_->calls.size(), 1u);
  EXPECT_EQ(page_->calls[0].rfind(L"ExecuteScript(showWindow(1);", 0), 0u);
  Post(L"clientSettings_Raw Input_true");
  EXPECT_TRUE(config->GetBool("Raw Input", false));
  EXPECT_EQ(FileBytes(), "{\r\n    \"Raw Input\": true\r\n}\r\n");
}

TEST_F(WebHostHandlers, ForeignPagesAndNonStringsChangeNothing) {
  Post(L"startHook", L"https://evil.example/");
  Post(L"clientSettings_Raw Input_true", L"https://evil.example/");
  FakeMessageArgs notString(GamePage(), L"startHook", false);
  EXPECT_EQ(window_->OnWebMessageReceived(&notString), S_OK);
  EXPECT_FALSE(window_->captureActive);
  EXPECT_FALSE(FileThere());
  EXPECT_TRUE(page_->calls.empty());
}

TEST_F(WebHostHandlers, AcceleratorKeysActOnReleaseOnly) {
  FakeKeyArgs down(VK_F5, 0x003F0001);
  FakeKeyArgs repeat(VK_F5, 0x403F0001);
  FakeKeyArgs up(VK_F5, static_cast<INT>(0xC03F0001));
  EXPECT_EQ(window_->OnAcceleratorKeyPressed(&down), S_OK);
  EXPECT_EQ(window_->OnAcceleratorKeyPressed(&repeat), S_OK);
  EXPECT_TRUE(page_->calls.empty());
  EXPECT_EQ(window_->OnAcceleratorKeyPressed(&up), S_OK);
  EXPECT_EQ(page_->calls, std::vector<std::wstring>{L"Reload()"});
  EXPECT_FALSE(up.handledTouched);
  // A system key-up (Alt+F10) has bit 31 set too; Developer Mode is off.
  FakeKeyArgs f10(VK_F10, static_cast<INT>(0xE0440001));
  window_->OnAcceleratorKeyPressed(&f10);
  EXPECT_EQ(page_->calls.size(), 1u);
}

TEST(ComHandler, CountsReferencesAndKeepsExceptionsInside) {
  int calls = 0;
  auto* handler = MakeHandler<ICoreWebView2DOMContentLoadedEventHandler>(
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
  EXPECT_EQ(handler->Release(), 0u);
}

}  // namespace
}  // namespace vantor
