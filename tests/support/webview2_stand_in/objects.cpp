#include "objects.h"

#include <string>

#include "slot_names.h"

namespace standin {

namespace {

std::string Decimal(long long value) { return std::to_string(value); }

// Wildcards as the SDK documents them for resource filters: "*" any run of
// characters, "?" exactly one.
bool WildcardMatch(const wchar_t* pattern, const wchar_t* text) {
  if (*pattern == L'\0') return *text == L'\0';
  if (*pattern == L'*') {
    for (const wchar_t* rest = text;; ++rest) {
      if (WildcardMatch(pattern + 1, rest)) return true;
      if (*rest == L'\0') return false;
    }
  }
  if (*text == L'\0') return false;
  if (*pattern != L'?' && *pattern != *text) return false;
  return WildcardMatch(pattern + 1, text + 1);
}

template <typename Vtbl>
void Fill(Object* object, const Vtbl& table, const char* const* slots) {
  object->vtable = &table;
  object->slots = slots;
  object->slotCount = SlotCount<Vtbl>();
}

}  // namespace

// --- settings ------------------------------------------------------------------

struct Settings : Object {
  BOOL values[6] = {TRUE, TRUE, TRUE, TRUE, TRUE, TRUE};
};

namespace {

enum SettingIndex { kScript, kDialogs, kWebMessage, kDevTools, kContextMenus, kStatusBar };

template <int Index>
HRESULT STDMETHODCALLTYPE PutSetting(ICoreWebView2Settings* This, BOOL value) {
  static const char* const kNames[] = {"ICoreWebView2Settings::put_IsScriptEnabled",
                                       "ICoreWebView2Settings::put_AreDefaultScriptDialogsEnabled",
                                       "ICoreWebView2Settings::put_IsWebMessageEnabled",
                                       "ICoreWebView2Settings::put_AreDevToolsEnabled",
                                       "ICoreWebView2Settings::put_AreDefaultContextMenusEnabled",
                                       "ICoreWebView2Settings::put_IsStatusBarEnabled"};
  auto* self = Self<Settings>(This);
  Enter(self, kNames[Index], value ? "TRUE" : "FALSE");
  self->values[Index] = value;
  return S_OK;
}

template <int Index>
HRESULT STDMETHODCALLTYPE GetSetting(ICoreWebView2Settings* This, BOOL* value) {
  auto* self = Self<Settings>(This);
  Enter(self, "ICoreWebView2Settings::get_(a setting)");
  if (value == nullptr) return E_POINTER;
  *value = self->values[Index];
  return S_OK;
}

const ICoreWebView2SettingsVtbl& SettingsTable() {
  static const ICoreWebView2SettingsVtbl table = [] {
    auto t = StubTable<ICoreWebView2SettingsVtbl>();
    t.put_IsScriptEnabled = &PutSetting<kScript>;
    t.get_IsScriptEnabled = &GetSetting<kScript>;
    t.put_AreDefaultScriptDialogsEnabled = &PutSetting<kDialogs>;
    t.get_AreDefaultScriptDialogsEnabled = &GetSetting<kDialogs>;
    t.put_IsWebMessageEnabled = &PutSetting<kWebMessage>;
    t.get_IsWebMessageEnabled = &GetSetting<kWebMessage>;
    t.put_AreDevToolsEnabled = &PutSetting<kDevTools>;
    t.get_AreDevToolsEnabled = &GetSetting<kDevTools>;
    t.put_AreDefaultContextMenusEnabled = &PutSetting<kContextMenus>;
    t.get_AreDefaultContextMenusEnabled = &GetSetting<kContextMenus>;
    t.put_IsStatusBarEnabled = &PutSetting<kStatusBar>;
    t.get_IsStatusBarEnabled = &GetSetting<kStatusBar>;
    return t;
  }();
  return table;
}

Settings* NewSettings() {
  auto* settings = new Settings();
  Fill(settings, SettingsTable(), kSlots_ICoreWebView2SettingsVtbl);
  Register(settings, "ICoreWebView2Settings", {&IID_ICoreWebView2Settings});
  return settings;
}

}  // namespace

// --- web view ------------------------------------------------------------------

struct Filter {
  std::wstring uri;
  int context = 0;
  int sourceKinds = 0;
  bool withSourceKinds = false;
};

struct WebView : Object {
  Settings* settings = nullptr;  // one reference
  std::wstring source;
  Handlers webMessage, domContentLoaded, resourceRequested, processFailed;
  std::vector<Filter> filters;
  UINT64 navigationId = 0;
  bool closed = false;
};

namespace {

WebView* g_webView = nullptr;
struct Controller* g_controller = nullptr;

using WV = ICoreWebView2_22;

HRESULT STDMETHODCALLTYPE WebViewGetSettings(WV* This, ICoreWebView2Settings** settings) {
  auto* self = Self<WebView>(This);
  Enter(self, "ICoreWebView2::get_Settings");
  if (settings == nullptr) return E_POINTER;
  AddRefObject(self->settings);
  *settings = reinterpret_cast<ICoreWebView2Settings*>(self->settings);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE WebViewGetSource(WV* This, LPWSTR* uri) {
  auto* self = Self<WebView>(This);
  Enter(self, "ICoreWebView2::get_Source");
  if (uri == nullptr) return E_POINTER;
  *uri = HandOut(self->source.empty() ? L"about:blank" : self->source);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE WebViewNavigate(WV* This, LPCWSTR uri) {
  auto* self = Self<WebView>(This);
  Enter(self, "ICoreWebView2::Navigate", Text(uri));
  if (uri == nullptr) return E_INVALIDARG;
  self->source = uri;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE WebViewReload(WV* This) {
  Enter(Self<WebView>(This), "ICoreWebView2::Reload");
  return S_OK;
}

HRESULT STDMETHODCALLTYPE WebViewOpenDevTools(WV* This) {
  Enter(Self<WebView>(This), "ICoreWebView2::OpenDevToolsWindow");
  return S_OK;
}

HRESULT STDMETHODCALLTYPE WebViewExecuteScript(WV* This, LPCWSTR script,
                                               ICoreWebView2ExecuteScriptCompletedHandler* done) {
  Enter(Self<WebView>(This), "ICoreWebView2::ExecuteScript", Text(script),
        done ? "handler" : "no handler");
  if (done != nullptr) {
    done->lpVtbl->AddRef(done);
    Post([done] {
      done->lpVtbl->Invoke(done, S_OK, L"null");
      done->lpVtbl->Release(done);
    });
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE
WebViewAddDocumentScript(WV* This, LPCWSTR script,
                         ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* done) {
  Enter(Self<WebView>(This), "ICoreWebView2::AddScriptToExecuteOnDocumentCreated", Text(script),
        done ? "handler" : "no handler");
  if (done != nullptr) {
    done->lpVtbl->AddRef(done);
    Post([done] {
      done->lpVtbl->Invoke(done, S_OK, L"1");
      done->lpVtbl->Release(done);
    });
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE WebViewPostJson(WV* This, LPCWSTR json) {
  Enter(Self<WebView>(This), "ICoreWebView2::PostWebMessageAsJson", Text(json));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE WebViewAddWebMessage(WV* This,
                                               ICoreWebView2WebMessageReceivedEventHandler* handler,
                                               EventRegistrationToken* token) {
  auto* self = Self<WebView>(This);
  Enter(self, "ICoreWebView2::add_WebMessageReceived");
  return self->webMessage.Add(reinterpret_cast<IUnknown*>(handler), token, "WebMessageReceived");
}

HRESULT STDMETHODCALLTYPE WebViewRemoveWebMessage(WV* This, EventRegistrationToken token) {
  auto* self = Self<WebView>(This);
  Enter(self, "ICoreWebView2::remove_WebMessageReceived", Decimal(token.value));
  return self->webMessage.Remove(token, "WebMessageReceived");
}

HRESULT STDMETHODCALLTYPE WebViewAddDomContentLoaded(
    WV* This, ICoreWebView2DOMContentLoadedEventHandler* handler, EventRegistrationToken* token) {
  auto* self = Self<WebView>(This);
  Enter(self, "ICoreWebView2_2::add_DOMContentLoaded");
  return self->domContentLoaded.Add(reinterpret_cast<IUnknown*>(handler), token,
                                    "DOMContentLoaded");
}

HRESULT STDMETHODCALLTYPE WebViewRemoveDomContentLoaded(WV* This, EventRegistrationToken token) {
  auto* self = Self<WebView>(This);
  Enter(self, "ICoreWebView2_2::remove_DOMContentLoaded", Decimal(token.value));
  return self->domContentLoaded.Remove(token, "DOMContentLoaded");
}

HRESULT STDMETHODCALLTYPE
WebViewAddResourceRequested(WV* This, ICoreWebView2WebResourceRequestedEventHandler* handler,
                            EventRegistrationToken* token) {
  auto* self = Self<WebView>(This);
  Enter(self, "ICoreWebView2::add_WebResourceRequested");
  return self->resourceRequested.Add(reinterpret_cast<IUnknown*>(handler), token,
                                     "WebResourceRequested");
}

HRESULT STDMETHODCALLTYPE WebViewRemoveResourceRequested(WV* This, EventRegistrationToken token) {
  auto* self = Self<WebView>(This);
  Enter(self, "ICoreWebView2::remove_WebResourceRequested", Decimal(token.value));
  return self->resourceRequested.Remove(token, "WebResourceRequested");
}

HRESULT STDMETHODCALLTYPE WebViewAddProcessFailed(WV* This,
                                                  ICoreWebView2ProcessFailedEventHandler* handler,
                                                  EventRegistrationToken* token) {
  auto* self = Self<WebView>(This);
  Enter(self, "ICoreWebView2::add_ProcessFailed");
  return self->processFailed.Add(reinterpret_cast<IUnknown*>(handler), token, "ProcessFailed");
}

HRESULT STDMETHODCALLTYPE WebViewRemoveProcessFailed(WV* This, EventRegistrationToken token) {
  auto* self = Self<WebView>(This);
  Enter(self, "ICoreWebView2::remove_ProcessFailed", Decimal(token.value));
  return self->processFailed.Remove(token, "ProcessFailed");
}

HRESULT STDMETHODCALLTYPE WebViewAddFilter(WV* This, LPCWSTR uri,
                                           COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
  auto* self = Self<WebView>(This);
  Enter(self, "ICoreWebView2::AddWebResourceRequestedFilter", Text(uri), Decimal(context));
  if (uri == nullptr) return E_INVALIDARG;
  self->filters.push_back(
      {uri, context, COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_DOCUMENT, false});
  return S_OK;
}

HRESULT STDMETHODCALLTYPE
WebViewAddFilterWithKinds(WV* This, LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context,
                          COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS kinds) {
  auto* self = Self<WebView>(This);
  Enter(self, "ICoreWebView2_22::AddWebResourceRequestedFilterWithRequestSourceKinds", Text(uri),
        Decimal(context), Hex(static_cast<unsigned long>(kinds)));
  if (uri == nullptr) return E_INVALIDARG;
  self->filters.push_back({uri, context, static_cast<int>(kinds), true});
  return S_OK;
}

const ICoreWebView2_22Vtbl& WebViewTable() {
  static const ICoreWebView2_22Vtbl table = [] {
    auto t = StubTable<ICoreWebView2_22Vtbl>();
    t.get_Settings = &WebViewGetSettings;
    t.get_Source = &WebViewGetSource;
    t.Navigate = &WebViewNavigate;
    t.Reload = &WebViewReload;
    t.OpenDevToolsWindow = &WebViewOpenDevTools;
    t.ExecuteScript = &WebViewExecuteScript;
    t.AddScriptToExecuteOnDocumentCreated = &WebViewAddDocumentScript;
    t.PostWebMessageAsJson = &WebViewPostJson;
    t.add_WebMessageReceived = &WebViewAddWebMessage;
    t.remove_WebMessageReceived = &WebViewRemoveWebMessage;
    t.add_DOMContentLoaded = &WebViewAddDomContentLoaded;
    t.remove_DOMContentLoaded = &WebViewRemoveDomContentLoaded;
    t.add_WebResourceRequested = &WebViewAddResourceRequested;
    t.remove_WebResourceRequested = &WebViewRemoveResourceRequested;
    t.add_ProcessFailed = &WebViewAddProcessFailed;
    t.remove_ProcessFailed = &WebViewRemoveProcessFailed;
    t.AddWebResourceRequestedFilter = &WebViewAddFilter;
    t.AddWebResourceRequestedFilterWithRequestSourceKinds = &WebViewAddFilterWithKinds;
    return t;
  }();
  return table;
}

void ReleaseWebViewParts(Object* object) {
  auto* self = static_cast<WebView*>(object);
  self->webMessage.ReleaseAll();
  self->domContentLoaded.ReleaseAll();
  self->resourceRequested.ReleaseAll();
  self->processFailed.ReleaseAll();
  if (self->settings) ReleaseObject(self->settings);
  self->settings = nullptr;
}

WebView* NewWebView() {
  const Options& options = CurrentOptions();
  auto* webview = new WebView();
  Fill(webview, WebViewTable(), kSlots_ICoreWebView2_22Vtbl);
  std::initializer_list<const IID*> all = {&IID_ICoreWebView2, &IID_ICoreWebView2_2,
                                           &IID_ICoreWebView2_22};
  Register(webview, "ICoreWebView2", all);
  webview->answers = {&IID_ICoreWebView2};
  if (options.webview2) webview->answers.push_back(&IID_ICoreWebView2_2);
  if (options.webview22) webview->answers.push_back(&IID_ICoreWebView2_22);
  webview->settings = NewSettings();
  webview->onFinalRelease = &ReleaseWebViewParts;
  return webview;
}

}  // namespace

// --- controller ------------------------------------------------------------------

struct Controller : Object {
  WebView* webview = nullptr;          // one reference
  Environment* environment = nullptr;  // one reference
  Handlers acceleratorKey;
  RECT bounds{};
  bool closed = false;
};

namespace {

using CT = ICoreWebView2Controller2;

HRESULT STDMETHODCALLTYPE ControllerGetWebView(CT* This, ICoreWebView2** webview) {
  auto* self = Self<Controller>(This);
  Enter(self, "ICoreWebView2Controller::get_CoreWebView2");
  if (webview == nullptr) return E_POINTER;
  *webview = nullptr;
  if (self->closed) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
  AddRefObject(self->webview);
  *webview = reinterpret_cast<ICoreWebView2*>(self->webview);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ControllerPutBounds(CT* This, RECT bounds) {
  auto* self = Self<Controller>(This);
  Enter(self, "ICoreWebView2Controller::put_Bounds",
        Decimal(bounds.left) + "," + Decimal(bounds.top) + "," + Decimal(bounds.right) + "," +
            Decimal(bounds.bottom));
  self->bounds = bounds;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ControllerGetBounds(CT* This, RECT* bounds) {
  auto* self = Self<Controller>(This);
  Enter(self, "ICoreWebView2Controller::get_Bounds");
  if (bounds == nullptr) return E_POINTER;
  *bounds = self->bounds;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ControllerClose(CT* This) {
  auto* self = Self<Controller>(This);
  Enter(self, "ICoreWebView2Controller::Close");
  if (self->closed) return S_OK;
  // After Close nothing more is raised: the handlers are let go.
  self->closed = true;
  self->acceleratorKey.ReleaseAll();
  if (self->webview) {
    self->webview->closed = true;
    self->webview->webMessage.ReleaseAll();
    self->webview->domContentLoaded.ReleaseAll();
    self->webview->resourceRequested.ReleaseAll();
    self->webview->processFailed.ReleaseAll();
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ControllerAddKey(CT* This,
                                           ICoreWebView2AcceleratorKeyPressedEventHandler* handler,
                                           EventRegistrationToken* token) {
  auto* self = Self<Controller>(This);
  Enter(self, "ICoreWebView2Controller::add_AcceleratorKeyPressed");
  return self->acceleratorKey.Add(reinterpret_cast<IUnknown*>(handler), token,
                                  "AcceleratorKeyPressed");
}

HRESULT STDMETHODCALLTYPE ControllerRemoveKey(CT* This, EventRegistrationToken token) {
  auto* self = Self<Controller>(This);
  Enter(self, "ICoreWebView2Controller::remove_AcceleratorKeyPressed", Decimal(token.value));
  return self->acceleratorKey.Remove(token, "AcceleratorKeyPressed");
}

HRESULT STDMETHODCALLTYPE ControllerPutBackground(CT* This, COREWEBVIEW2_COLOR color) {
  Enter(Self<Controller>(This), "ICoreWebView2Controller2::put_DefaultBackgroundColor",
        "A=" + Decimal(color.A) + " R=" + Decimal(color.R) + " G=" + Decimal(color.G) +
            " B=" + Decimal(color.B));
  return S_OK;
}

const ICoreWebView2Controller2Vtbl& ControllerTable() {
  static const ICoreWebView2Controller2Vtbl table = [] {
    auto t = StubTable<ICoreWebView2Controller2Vtbl>();
    t.get_CoreWebView2 = &ControllerGetWebView;
    t.put_Bounds = &ControllerPutBounds;
    t.get_Bounds = &ControllerGetBounds;
    t.Close = &ControllerClose;
    t.add_AcceleratorKeyPressed = &ControllerAddKey;
    t.remove_AcceleratorKeyPressed = &ControllerRemoveKey;
    t.put_DefaultBackgroundColor = &ControllerPutBackground;
    return t;
  }();
  return table;
}

void ReleaseControllerParts(Object* object) {
  auto* self = static_cast<Controller*>(object);
  self->acceleratorKey.ReleaseAll();
  if (g_controller == self) g_controller = nullptr;
  if (g_webView == self->webview) g_webView = nullptr;
  if (self->webview) ReleaseObject(self->webview);
  if (self->environment) ReleaseObject(reinterpret_cast<Object*>(self->environment));
  self->webview = nullptr;
  self->environment = nullptr;
}

}  // namespace

// --- environment -----------------------------------------------------------------

struct Environment : Object {};

namespace {

using EV = ICoreWebView2Environment;

struct Response;
Response* NewResponse(IStream* content, int status, LPCWSTR reason, LPCWSTR headers);

std::string WindowClassOf(HWND window) {
  wchar_t name[128] = {};
  if (window == nullptr || !IsWindow(window)) return "(no window)";
  GetClassNameW(window, name, 128);
  return Text(name);
}

HRESULT STDMETHODCALLTYPE EnvironmentCreateController(
    EV* This, HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) {
  auto* self = Self<Environment>(This);
  Enter(self, "ICoreWebView2Environment::CreateCoreWebView2Controller",
        "parent=" + WindowClassOf(parent));
  if (handler == nullptr) return E_POINTER;
  handler->lpVtbl->AddRef(handler);
  AddRefObject(self);
  Post([self, parent, handler] {
    Options& options = const_cast<Options&>(CurrentOptions());
    HRESULT error = S_OK;
    Controller* controller = nullptr;
    if (options.controllerError != S_OK && options.controllerErrorTimes != 0) {
      error = options.controllerError;
      if (options.controllerErrorTimes > 0) --options.controllerErrorTimes;
    } else if (!options.controllerNull) {
      controller = NewController(self, parent);
    }
    Record("complete", "CreateCoreWebView2Controller", Hex(static_cast<unsigned long>(error)),
           controller ? "controller" : "no controller");
    const HRESULT result = handler->lpVtbl->Invoke(
        handler, error, reinterpret_cast<ICoreWebView2Controller*>(controller));
    Record("returned", "CreateCoreWebView2Controller", Hex(static_cast<unsigned long>(result)));
    if (controller) ReleaseObject(controller);
    handler->lpVtbl->Release(handler);
    ReleaseObject(self);
  });
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EnvironmentCreateResponse(EV* This, IStream* content, int status,
                                                    LPCWSTR reason, LPCWSTR headers,
                                                    ICoreWebView2WebResourceResponse** response) {
  Enter(Self<Environment>(This), "ICoreWebView2Environment::CreateWebResourceResponse",
        content ? "stream" : "no stream", Decimal(status), Text(reason), Text(headers));
  if (response == nullptr) return E_POINTER;
  *response = reinterpret_cast<ICoreWebView2WebResourceResponse*>(
      NewResponse(content, status, reason, headers));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EnvironmentBrowserVersion(EV* This, LPWSTR* version) {
  Enter(Self<Environment>(This), "ICoreWebView2Environment::get_BrowserVersionString");
  if (version == nullptr) return E_POINTER;
  *version = HandOut(L"0.0.0.0 stand-in");
  return S_OK;
}

const ICoreWebView2EnvironmentVtbl& EnvironmentTable() {
  static const ICoreWebView2EnvironmentVtbl table = [] {
    auto t = StubTable<ICoreWebView2EnvironmentVtbl>();
    t.CreateCoreWebView2Controller = &EnvironmentCreateController;
    t.CreateWebResourceResponse = &EnvironmentCreateResponse;
    t.get_BrowserVersionString = &EnvironmentBrowserVersion;
    return t;
  }();
  return table;
}

}  // namespace

Environment* NewEnvironment() {
  auto* environment = new Environment();
  Fill(environment, EnvironmentTable(), kSlots_ICoreWebView2EnvironmentVtbl);
  Register(environment, "ICoreWebView2Environment", {&IID_ICoreWebView2Environment});
  return environment;
}

Controller* NewController(Environment* environment, HWND) {
  const Options& options = CurrentOptions();
  auto* controller = new Controller();
  Fill(controller, ControllerTable(), kSlots_ICoreWebView2Controller2Vtbl);
  Register(controller, "ICoreWebView2Controller", {&IID_ICoreWebView2Controller});
  if (options.controller2) controller->answers.push_back(&IID_ICoreWebView2Controller2);
  controller->webview = NewWebView();
  controller->environment = environment;
  AddRefObject(environment);
  controller->onFinalRelease = &ReleaseControllerParts;
  g_controller = controller;
  g_webView = controller->webview;
  return controller;
}

WebView* CurrentWebView() { return g_webView && !g_webView->closed ? g_webView : nullptr; }
Controller* CurrentController() {
  return g_controller && !g_controller->closed ? g_controller : nullptr;
}
bool IsClosed() { return g_controller == nullptr || g_controller->closed; }

// --- event arguments -------------------------------------------------------------

namespace {

struct DomArgs : Object {
  UINT64 navigationId = 0;
};

HRESULT STDMETHODCALLTYPE DomArgsNavigationId(ICoreWebView2DOMContentLoadedEventArgs* This,
                                              UINT64* id) {
  auto* self = Self<DomArgs>(This);
  Enter(self, "ICoreWebView2DOMContentLoadedEventArgs::get_NavigationId");
  if (id == nullptr) return E_POINTER;
  *id = self->navigationId;
  return S_OK;
}

struct MessageArgs : Object {
  std::wstring source, body;
  bool isString = true;
};

HRESULT STDMETHODCALLTYPE MessageArgsSource(ICoreWebView2WebMessageReceivedEventArgs* This,
                                            LPWSTR* source) {
  auto* self = Self<MessageArgs>(This);
  Enter(self, "ICoreWebView2WebMessageReceivedEventArgs::get_Source");
  if (source == nullptr) return E_POINTER;
  *source = HandOut(self->source);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MessageArgsJson(ICoreWebView2WebMessageReceivedEventArgs* This,
                                          LPWSTR* json) {
  auto* self = Self<MessageArgs>(This);
  Enter(self, "ICoreWebView2WebMessageReceivedEventArgs::get_WebMessageAsJson");
  if (json == nullptr) return E_POINTER;
  *json = HandOut(self->isString ? L"\"" + self->body + L"\"" : self->body);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MessageArgsString(ICoreWebView2WebMessageReceivedEventArgs* This,
                                            LPWSTR* text) {
  auto* self = Self<MessageArgs>(This);
  Enter(self, "ICoreWebView2WebMessageReceivedEventArgs::TryGetWebMessageAsString");
  if (text == nullptr) return E_POINTER;
  *text = nullptr;
  if (!self->isString) return E_INVALIDARG;  // what the runtime answers for non-strings
  *text = HandOut(self->body);
  return S_OK;
}

struct KeyArgs : Object {
  int kind = 0;
  UINT key = 0;
  INT lParam = 0;
  BOOL handled = FALSE;
};

HRESULT STDMETHODCALLTYPE KeyArgsKind(ICoreWebView2AcceleratorKeyPressedEventArgs* This,
                                      COREWEBVIEW2_KEY_EVENT_KIND* kind) {
  auto* self = Self<KeyArgs>(This);
  Enter(self, "ICoreWebView2AcceleratorKeyPressedEventArgs::get_KeyEventKind");
  if (kind == nullptr) return E_POINTER;
  *kind = static_cast<COREWEBVIEW2_KEY_EVENT_KIND>(self->kind);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE KeyArgsKey(ICoreWebView2AcceleratorKeyPressedEventArgs* This, UINT* key) {
  auto* self = Self<KeyArgs>(This);
  Enter(self, "ICoreWebView2AcceleratorKeyPressedEventArgs::get_VirtualKey");
  if (key == nullptr) return E_POINTER;
  *key = self->key;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE KeyArgsLParam(ICoreWebView2AcceleratorKeyPressedEventArgs* This,
                                        INT* lParam) {
  auto* self = Self<KeyArgs>(This);
  Enter(self, "ICoreWebView2AcceleratorKeyPressedEventArgs::get_KeyEventLParam");
  if (lParam == nullptr) return E_POINTER;
  *lParam = self->lParam;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE KeyArgsPutHandled(ICoreWebView2AcceleratorKeyPressedEventArgs* This,
                                            BOOL handled) {
  auto* self = Self<KeyArgs>(This);
  Enter(self, "ICoreWebView2AcceleratorKeyPressedEventArgs::put_Handled",
        handled ? "TRUE" : "FALSE");
  self->handled = handled;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE KeyArgsGetHandled(ICoreWebView2AcceleratorKeyPressedEventArgs* This,
                                            BOOL* handled) {
  auto* self = Self<KeyArgs>(This);
  Enter(self, "ICoreWebView2AcceleratorKeyPressedEventArgs::get_Handled");
  if (handled == nullptr) return E_POINTER;
  *handled = self->handled;
  return S_OK;
}

struct FailedArgs : Object {
  int kind = 0;
};

HRESULT STDMETHODCALLTYPE FailedArgsKind(ICoreWebView2ProcessFailedEventArgs* This,
                                         COREWEBVIEW2_PROCESS_FAILED_KIND* kind) {
  auto* self = Self<FailedArgs>(This);
  Enter(self, "ICoreWebView2ProcessFailedEventArgs::get_ProcessFailedKind");
  if (kind == nullptr) return E_POINTER;
  *kind = static_cast<COREWEBVIEW2_PROCESS_FAILED_KIND>(self->kind);
  return S_OK;
}

// --- resource requests -------------------------------------------------------------

struct Request : Object {
  std::wstring uri;
};

HRESULT STDMETHODCALLTYPE RequestUri(ICoreWebView2WebResourceRequest* This, LPWSTR* uri) {
  auto* self = Self<Request>(This);
  Enter(self, "ICoreWebView2WebResourceRequest::get_Uri");
  if (uri == nullptr) return E_POINTER;
  *uri = HandOut(self->uri);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE RequestMethod(ICoreWebView2WebResourceRequest* This, LPWSTR* method) {
  Enter(Self<Request>(This), "ICoreWebView2WebResourceRequest::get_Method");
  if (method == nullptr) return E_POINTER;
  *method = HandOut(L"GET");
  return S_OK;
}

struct Response : Object {
  IStream* content = nullptr;  // one reference
  int status = 0;
  std::wstring reason, headers;
};

HRESULT STDMETHODCALLTYPE ResponseContent(ICoreWebView2WebResourceResponse* This,
                                          IStream** content) {
  auto* self = Self<Response>(This);
  Enter(self, "ICoreWebView2WebResourceResponse::get_Content");
  if (content == nullptr) return E_POINTER;
  *content = self->content;
  if (self->content) self->content->lpVtbl->AddRef(self->content);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ResponseStatus(ICoreWebView2WebResourceResponse* This, int* status) {
  auto* self = Self<Response>(This);
  Enter(self, "ICoreWebView2WebResourceResponse::get_StatusCode");
  if (status == nullptr) return E_POINTER;
  *status = self->status;
  return S_OK;
}

void ReleaseResponseParts(Object* object) {
  auto* self = static_cast<Response*>(object);
  if (self->content) self->content->lpVtbl->Release(self->content);
  self->content = nullptr;
}

Response* NewResponse(IStream* content, int status, LPCWSTR reason, LPCWSTR headers) {
  static const ICoreWebView2WebResourceResponseVtbl table = [] {
    auto t = StubTable<ICoreWebView2WebResourceResponseVtbl>();
    t.get_Content = &ResponseContent;
    t.get_StatusCode = &ResponseStatus;
    return t;
  }();
  auto* response = new Response();
  Fill(response, table, kSlots_ICoreWebView2WebResourceResponseVtbl);
  Register(response, "ICoreWebView2WebResourceResponse", {&IID_ICoreWebView2WebResourceResponse});
  response->content = content;
  if (content) content->lpVtbl->AddRef(content);
  response->status = status;
  response->reason = reason ? reason : L"";
  response->headers = headers ? headers : L"";
  response->onFinalRelease = &ReleaseResponseParts;
  return response;
}

struct ResourceArgs : Object {
  Request* request = nullptr;    // one reference
  Response* response = nullptr;  // one reference, once set
  int sourceKind = 0;
};

using RA = ICoreWebView2WebResourceRequestedEventArgs2;

HRESULT STDMETHODCALLTYPE ResourceArgsRequest(RA* This, ICoreWebView2WebResourceRequest** request) {
  auto* self = Self<ResourceArgs>(This);
  Enter(self, "ICoreWebView2WebResourceRequestedEventArgs::get_Request");
  if (request == nullptr) return E_POINTER;
  AddRefObject(self->request);
  *request = reinterpret_cast<ICoreWebView2WebResourceRequest*>(self->request);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ResourceArgsPutResponse(RA* This,
                                                  ICoreWebView2WebResourceResponse* response) {
  auto* self = Self<ResourceArgs>(This);
  Enter(self, "ICoreWebView2WebResourceRequestedEventArgs::put_Response");
  if (response != nullptr) AddRefObject(reinterpret_cast<Object*>(response));
  if (self->response) ReleaseObject(self->response);
  self->response = reinterpret_cast<Response*>(response);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ResourceArgsGetResponse(RA* This,
                                                  ICoreWebView2WebResourceResponse** response) {
  auto* self = Self<ResourceArgs>(This);
  Enter(self, "ICoreWebView2WebResourceRequestedEventArgs::get_Response");
  if (response == nullptr) return E_POINTER;
  if (self->response) AddRefObject(self->response);
  *response = reinterpret_cast<ICoreWebView2WebResourceResponse*>(self->response);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ResourceArgsContext(RA* This,
                                              COREWEBVIEW2_WEB_RESOURCE_CONTEXT* context) {
  Enter(Self<ResourceArgs>(This),
        "ICoreWebView2WebResourceRequestedEventArgs::get_ResourceContext");
  if (context == nullptr) return E_POINTER;
  *context = COREWEBVIEW2_WEB_RESOURCE_CONTEXT_DOCUMENT;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE
ResourceArgsSourceKind(RA* This, COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS* kind) {
  auto* self = Self<ResourceArgs>(This);
  Enter(self, "ICoreWebView2WebResourceRequestedEventArgs2::get_RequestedSourceKind");
  if (kind == nullptr) return E_POINTER;
  *kind = static_cast<COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS>(self->sourceKind);
  return S_OK;
}

void ReleaseResourceArgsParts(Object* object) {
  auto* self = static_cast<ResourceArgs*>(object);
  if (self->request) ReleaseObject(self->request);
  if (self->response) ReleaseObject(self->response);
  self->request = nullptr;
  self->response = nullptr;
}

// Invokes each handler of a list with (sender, args), recording the event
// before and its result after; the handler's calls fall in between.
template <typename Handler, typename Sender, typename Args>
void Raise(Handlers& handlers, const char* event, Sender* sender, Args* args,
           const std::string& details) {
  for (IUnknown* unknown : handlers.Snapshot()) {
    Record("event", event, details);
    auto* handler = reinterpret_cast<Handler*>(unknown);
    const HRESULT result = handler->lpVtbl->Invoke(handler, sender, args);
    Record("returned", event, Hex(static_cast<unsigned long>(result)));
    unknown->lpVtbl->Release(unknown);
  }
}

std::string ReadStream(IStream* stream) {
  std::string bytes;
  if (stream == nullptr) return bytes;
  LARGE_INTEGER start{};
  stream->lpVtbl->Seek(stream, start, STREAM_SEEK_SET, nullptr);
  char buffer[4096];
  for (;;) {
    ULONG read = 0;
    const HRESULT hr = stream->lpVtbl->Read(stream, buffer, sizeof buffer, &read);
    bytes.append(buffer, read);
    if (FAILED(hr) || read == 0) break;
  }
  return bytes;
}

}  // namespace

void RaiseDomContentLoaded() {
  WebView* webview = CurrentWebView();
  if (webview == nullptr) return Record("dropped", "DOMContentLoaded", "no live web view");
  static const ICoreWebView2DOMContentLoadedEventArgsVtbl table = [] {
    auto t = StubTable<ICoreWebView2DOMContentLoadedEventArgsVtbl>();
    t.get_NavigationId = &DomArgsNavigationId;
    return t;
  }();
  auto* args = new DomArgs();
  Fill(args, table, kSlots_ICoreWebView2DOMContentLoadedEventArgsVtbl);
  Register(args, "ICoreWebView2DOMContentLoadedEventArgs",
           {&IID_ICoreWebView2DOMContentLoadedEventArgs});
  args->navigationId = ++webview->navigationId;
  Raise<ICoreWebView2DOMContentLoadedEventHandler>(
      webview->domContentLoaded, "DOMContentLoaded", reinterpret_cast<ICoreWebView2*>(webview),
      reinterpret_cast<ICoreWebView2DOMContentLoadedEventArgs*>(args),
      Text(webview->source.c_str()));
  ReleaseObject(args);
}

void RaiseWebMessage(const std::wstring& source, const std::wstring& body, bool isString) {
  WebView* webview = CurrentWebView();
  if (webview == nullptr) return Record("dropped", "WebMessageReceived", "no live web view");
  static const ICoreWebView2WebMessageReceivedEventArgsVtbl table = [] {
    auto t = StubTable<ICoreWebView2WebMessageReceivedEventArgsVtbl>();
    t.get_Source = &MessageArgsSource;
    t.get_WebMessageAsJson = &MessageArgsJson;
    t.TryGetWebMessageAsString = &MessageArgsString;
    return t;
  }();
  auto* args = new MessageArgs();
  Fill(args, table, kSlots_ICoreWebView2WebMessageReceivedEventArgsVtbl);
  Register(args, "ICoreWebView2WebMessageReceivedEventArgs",
           {&IID_ICoreWebView2WebMessageReceivedEventArgs});
  args->source = source;
  args->body = body;
  args->isString = isString;
  Raise<ICoreWebView2WebMessageReceivedEventHandler>(
      webview->webMessage, "WebMessageReceived", reinterpret_cast<ICoreWebView2*>(webview),
      reinterpret_cast<ICoreWebView2WebMessageReceivedEventArgs*>(args),
      Text(source.c_str()) + "\t" + Text(body.c_str()));
  ReleaseObject(args);
}

void RaiseAcceleratorKey(int kind, UINT key, INT lParam) {
  Controller* controller = CurrentController();
  if (controller == nullptr) return Record("dropped", "AcceleratorKeyPressed", "no controller");
  static const ICoreWebView2AcceleratorKeyPressedEventArgsVtbl table = [] {
    auto t = StubTable<ICoreWebView2AcceleratorKeyPressedEventArgsVtbl>();
    t.get_KeyEventKind = &KeyArgsKind;
    t.get_VirtualKey = &KeyArgsKey;
    t.get_KeyEventLParam = &KeyArgsLParam;
    t.put_Handled = &KeyArgsPutHandled;
    t.get_Handled = &KeyArgsGetHandled;
    return t;
  }();
  auto* args = new KeyArgs();
  Fill(args, table, kSlots_ICoreWebView2AcceleratorKeyPressedEventArgsVtbl);
  Register(args, "ICoreWebView2AcceleratorKeyPressedEventArgs",
           {&IID_ICoreWebView2AcceleratorKeyPressedEventArgs});
  args->kind = kind;
  args->key = key;
  args->lParam = lParam;
  Raise<ICoreWebView2AcceleratorKeyPressedEventHandler>(
      controller->acceleratorKey, "AcceleratorKeyPressed",
      reinterpret_cast<ICoreWebView2Controller*>(controller),
      reinterpret_cast<ICoreWebView2AcceleratorKeyPressedEventArgs*>(args),
      Decimal(kind) + "\t" + Decimal(key) + "\t" + Hex(static_cast<unsigned long>(lParam)));
  ReleaseObject(args);
}

void RaiseResourceRequest(const std::string& origin, const std::wstring& uri) {
  WebView* webview = CurrentWebView();
  if (webview == nullptr) return Record("dropped", "WebResourceRequested", "no live web view");
  // Where the request comes from decides which filters can see it: the
  // original filter call only sees the page's own documents.
  int kind = COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_DOCUMENT;
  bool legacyVisible = true;
  if (origin == "cross-origin-frame") {
    legacyVisible = false;
  } else if (origin == "shared-worker") {
    kind = COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_SHARED_WORKER;
    legacyVisible = false;
  } else if (origin == "service-worker") {
    kind = COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_SERVICE_WORKER;
    legacyVisible = false;
  }
  bool matched = false;
  for (const Filter& filter : webview->filters) {
    const bool visible = filter.withSourceKinds ? (filter.sourceKinds & kind) != 0 : legacyVisible;
    if (visible && WildcardMatch(filter.uri.c_str(), uri.c_str())) matched = true;
  }
  if (!matched) return Record("unfiltered", Text(uri.c_str()), origin);

  static const ICoreWebView2WebResourceRequestVtbl requestTable = [] {
    auto t = StubTable<ICoreWebView2WebResourceRequestVtbl>();
    t.get_Uri = &RequestUri;
    t.get_Method = &RequestMethod;
    return t;
  }();
  static const ICoreWebView2WebResourceRequestedEventArgs2Vtbl argsTable = [] {
    auto t = StubTable<ICoreWebView2WebResourceRequestedEventArgs2Vtbl>();
    t.get_Request = &ResourceArgsRequest;
    t.get_Response = &ResourceArgsGetResponse;
    t.put_Response = &ResourceArgsPutResponse;
    t.get_ResourceContext = &ResourceArgsContext;
    t.get_RequestedSourceKind = &ResourceArgsSourceKind;
    return t;
  }();
  auto* request = new Request();
  Fill(request, requestTable, kSlots_ICoreWebView2WebResourceRequestVtbl);
  Register(request, "ICoreWebView2WebResourceRequest", {&IID_ICoreWebView2WebResourceRequest});
  request->uri = uri;
  auto* args = new ResourceArgs();
  Fill(args, argsTable, kSlots_ICoreWebView2WebResourceRequestedEventArgs2Vtbl);
  Register(args, "ICoreWebView2WebResourceRequestedEventArgs",
           {&IID_ICoreWebView2WebResourceRequestedEventArgs,
            &IID_ICoreWebView2WebResourceRequestedEventArgs2});
  args->request = request;
  args->sourceKind = kind;
  args->onFinalRelease = &ReleaseResourceArgsParts;
  Raise<ICoreWebView2WebResourceRequestedEventHandler>(
      webview->resourceRequested, "WebResourceRequested", reinterpret_cast<ICoreWebView2*>(webview),
      reinterpret_cast<ICoreWebView2WebResourceRequestedEventArgs*>(args),
      Text(uri.c_str()) + "\t" + origin);
  // What the browser would serve, read once the handler has returned.
  if (Response* response = args->response) {
    Record("response", Text(uri.c_str()), Decimal(response->status), Text(response->reason.c_str()),
           Text(response->headers.c_str()), Bytes(ReadStream(response->content)));
  } else {
    Record("network", Text(uri.c_str()));
  }
  ReleaseObject(args);
}

void RaiseProcessFailed(int kind) {
  WebView* webview = CurrentWebView();
  if (webview == nullptr) return Record("dropped", "ProcessFailed", "no live web view");
  static const ICoreWebView2ProcessFailedEventArgsVtbl table = [] {
    auto t = StubTable<ICoreWebView2ProcessFailedEventArgsVtbl>();
    t.get_ProcessFailedKind = &FailedArgsKind;
    return t;
  }();
  auto* args = new FailedArgs();
  Fill(args, table, kSlots_ICoreWebView2ProcessFailedEventArgsVtbl);
  Register(args, "ICoreWebView2ProcessFailedEventArgs", {&IID_ICoreWebView2ProcessFailedEventArgs});
  args->kind = kind;
  Raise<ICoreWebView2ProcessFailedEventHandler>(
      webview->processFailed, "ProcessFailed", reinterpret_cast<ICoreWebView2*>(webview),
      reinterpret_cast<ICoreWebView2ProcessFailedEventArgs*>(args), Decimal(kind));
  ReleaseObject(args);
}

}  // namespace standin
