// Only the methods the program calls (and the event registrations it is about
// to use) are filled in; every other slot stays a stub that records the call
// as unexpected.
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

// One vtable per call site: every slot a stub, then `fill` sets the methods.
template <typename Vtbl, typename Fill>
const Vtbl& Table(Fill fill) {
  static const Vtbl table = [&] {
    Vtbl t = StubTable<Vtbl>();
    fill(t);
    return t;
  }();
  return table;
}

template <typename T, typename Vtbl>
T* NewObject(const Vtbl& table, const char* name, std::initializer_list<const IID*> answers) {
  static_assert(SlotNames<Vtbl>::count == SlotCount<Vtbl>(), "slot names out of step");
  auto* object = new T();
  object->vtable = &table;
  object->slots = SlotNames<Vtbl>::names;
  object->slotCount = SlotNames<Vtbl>::count;
  Register(object, name, answers);
  return object;
}

// Invokes each handler of an event with (sender, args), recording the event
// before and its result after; the handler's own calls fall in between. The
// stand-in's reference to the arguments is dropped afterwards.
template <typename Handler, typename SenderInterface, typename ArgsInterface>
void Raise(Handlers& handlers, const char* event, Object* sender, Object* args,
           const std::string& details) {
  for (IUnknown* unknown : handlers.Snapshot()) {
    Record("event", event, details);
    auto* handler = reinterpret_cast<Handler*>(unknown);
    const HRESULT result =
        handler->lpVtbl->Invoke(handler, reinterpret_cast<SenderInterface*>(sender),
                                reinterpret_cast<ArgsInterface*>(args));
    Record("returned", event, Hex(static_cast<unsigned long>(result)));
    unknown->lpVtbl->Release(unknown);
  }
  ReleaseObject(args);
}

// --- settings ------------------------------------------------------------------

struct Settings : Object {};

template <int Index>
HRESULT STDMETHODCALLTYPE PutSetting(ICoreWebView2Settings* This, BOOL value) {
  static const char* const kNames[] = {"ICoreWebView2Settings::put_IsScriptEnabled",
                                       "ICoreWebView2Settings::put_AreDefaultScriptDialogsEnabled",
                                       "ICoreWebView2Settings::put_IsWebMessageEnabled",
                                       "ICoreWebView2Settings::put_AreDevToolsEnabled",
                                       "ICoreWebView2Settings::put_AreDefaultContextMenusEnabled",
                                       "ICoreWebView2Settings::put_IsStatusBarEnabled"};
  Enter(Self<Settings>(This), kNames[Index], value ? "TRUE" : "FALSE");
  return S_OK;
}

Settings* NewSettings() {
  const auto& table = Table<ICoreWebView2SettingsVtbl>([](auto& t) {
    t.put_IsScriptEnabled = &PutSetting<0>;
    t.put_AreDefaultScriptDialogsEnabled = &PutSetting<1>;
    t.put_IsWebMessageEnabled = &PutSetting<2>;
    t.put_AreDevToolsEnabled = &PutSetting<3>;
    t.put_AreDefaultContextMenusEnabled = &PutSetting<4>;
    t.put_IsStatusBarEnabled = &PutSetting<5>;
  });
  return NewObject<Settings>(table, "ICoreWebView2Settings", {&IID_ICoreWebView2Settings});
}

// --- web view ------------------------------------------------------------------

struct Filter {
  std::wstring uri;
  int sourceKinds = 0;
  bool withSourceKinds = false;
};

struct WebView : Object {
  Settings* settings = nullptr;  // one reference
  std::wstring source;
  Handlers webMessage, domContentLoaded, resourceRequested, processFailed;
  Handlers navigationStarting, navigationCompleted;
  std::vector<Filter> filters;
  bool closed = false;

  void LetGoOfHandlers() {
    navigationStarting.ReleaseAll();
    navigationCompleted.ReleaseAll();
    webMessage.ReleaseAll();
    domContentLoaded.ReleaseAll();
    resourceRequested.ReleaseAll();
    processFailed.ReleaseAll();
  }
};

struct Controller : Object {
  WebView* webview = nullptr;     // one reference
  Object* environment = nullptr;  // one reference
  Handlers acceleratorKey;
  bool closed = false;
};

WebView* g_webView = nullptr;
Controller* g_controller = nullptr;

// The live web view and controller: null before creation and once closed.
WebView* CurrentWebView() { return g_webView && !g_webView->closed ? g_webView : nullptr; }
Controller* CurrentController() {
  return g_controller && !g_controller->closed ? g_controller : nullptr;
}

using WV = ICoreWebView2_22;

HRESULT STDMETHODCALLTYPE WebViewGetSettings(WV* This, ICoreWebView2Settings** settings) {
  auto* self = Self<WebView>(This);
  Enter(self, "ICoreWebView2::get_Settings");
  if (settings == nullptr) return E_POINTER;
  AddRefObject(self->settings);
  *settings = reinterpret_cast<ICoreWebView2Settings*>(self->settings);
  return S_OK;
}

void NavigateLater(WebView* webview, const std::wstring& uri);

HRESULT STDMETHODCALLTYPE WebViewNavigate(WV* This, LPCWSTR uri) {
  auto* self = Self<WebView>(This);
  Enter(self, "ICoreWebView2::Navigate", Text(uri));
  if (uri == nullptr) return E_INVALIDARG;
  self->source = uri;
  NavigateLater(self, uri);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE WebViewNavigateToString(WV* This, LPCWSTR html) {
  auto* self = Self<WebView>(This);
  Enter(self, "ICoreWebView2::NavigateToString", Text(html));
  if (html == nullptr) return E_INVALIDARG;
  self->source = L"about:blank";
  NavigateLater(self, L"data:text/html;charset=utf-8,");
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

// A completion the caller asked for arrives later, as the runtime's would.
template <typename Handler>
void CompleteLater(Handler* done, LPCWSTR result) {
  if (done == nullptr) return;
  done->lpVtbl->AddRef(done);
  Post([done, result] {
    done->lpVtbl->Invoke(done, S_OK, result);
    done->lpVtbl->Release(done);
  });
}

HRESULT STDMETHODCALLTYPE WebViewExecuteScript(WV* This, LPCWSTR script,
                                               ICoreWebView2ExecuteScriptCompletedHandler* done) {
  Enter(Self<WebView>(This), "ICoreWebView2::ExecuteScript", Text(script),
        done ? "handler" : "no handler");
  CompleteLater(done, L"null");
  return S_OK;
}

HRESULT STDMETHODCALLTYPE
WebViewAddDocumentScript(WV* This, LPCWSTR script,
                         ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* done) {
  Enter(Self<WebView>(This), "ICoreWebView2::AddScriptToExecuteOnDocumentCreated", Text(script),
        done ? "handler" : "no handler");
  CompleteLater(done, L"1");
  return S_OK;
}

HRESULT STDMETHODCALLTYPE WebViewPostJson(WV* This, LPCWSTR json) {
  Enter(Self<WebView>(This), "ICoreWebView2::PostWebMessageAsJson", Text(json));
  return S_OK;
}

// add_X and remove_X of one event of the web view.
template <Handlers WebView::*List>
struct EventOf {
  template <typename Handler>
  static HRESULT STDMETHODCALLTYPE Add(WV* This, Handler* handler, EventRegistrationToken* token) {
    auto* self = Self<WebView>(This);
    Enter(self, AddName());
    return (self->*List).Add(reinterpret_cast<IUnknown*>(handler), token, Name());
  }
  static HRESULT STDMETHODCALLTYPE Remove(WV* This, EventRegistrationToken token) {
    auto* self = Self<WebView>(This);
    Enter(self, RemoveName(), Decimal(token.value));
    return (self->*List).Remove(token, Name());
  }
  static const char* Name();
  static const char* AddName();
  static const char* RemoveName();
};

#define STAND_IN_EVENT(list, interface, event)        \
  template <>                                         \
  const char* EventOf<&WebView::list>::Name() {       \
    return #event;                                    \
  }                                                   \
  template <>                                         \
  const char* EventOf<&WebView::list>::AddName() {    \
    return #interface "::add_" #event;                \
  }                                                   \
  template <>                                         \
  const char* EventOf<&WebView::list>::RemoveName() { \
    return #interface "::remove_" #event;             \
  }
STAND_IN_EVENT(webMessage, ICoreWebView2, WebMessageReceived)
STAND_IN_EVENT(domContentLoaded, ICoreWebView2_2, DOMContentLoaded)
STAND_IN_EVENT(resourceRequested, ICoreWebView2, WebResourceRequested)
STAND_IN_EVENT(processFailed, ICoreWebView2, ProcessFailed)
STAND_IN_EVENT(navigationStarting, ICoreWebView2, NavigationStarting)
STAND_IN_EVENT(navigationCompleted, ICoreWebView2, NavigationCompleted)
#undef STAND_IN_EVENT

struct StartingArgs : Object {
  std::wstring uri;
  UINT64 id = 0;
};
struct CompletedArgs : Object {
  UINT64 id = 0;
  int status = -1;  // -1: success
};

HRESULT STDMETHODCALLTYPE StartingUri(ICoreWebView2NavigationStartingEventArgs* This, LPWSTR* uri) {
  auto* self = Self<StartingArgs>(This);
  Enter(self, "ICoreWebView2NavigationStartingEventArgs::get_Uri");
  if (uri == nullptr) return E_POINTER;
  *uri = HandOut(self->uri.c_str());
  return S_OK;
}

HRESULT STDMETHODCALLTYPE StartingId(ICoreWebView2NavigationStartingEventArgs* This, UINT64* id) {
  auto* self = Self<StartingArgs>(This);
  Enter(self, "ICoreWebView2NavigationStartingEventArgs::get_NavigationId");
  if (id == nullptr) return E_POINTER;
  *id = self->id;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CompletedSuccess(ICoreWebView2NavigationCompletedEventArgs* This,
                                           BOOL* success) {
  auto* self = Self<CompletedArgs>(This);
  Enter(self, "ICoreWebView2NavigationCompletedEventArgs::get_IsSuccess");
  if (success == nullptr) return E_POINTER;
  *success = self->status < 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CompletedStatus(ICoreWebView2NavigationCompletedEventArgs* This,
                                          COREWEBVIEW2_WEB_ERROR_STATUS* status) {
  auto* self = Self<CompletedArgs>(This);
  Enter(self, "ICoreWebView2NavigationCompletedEventArgs::get_WebErrorStatus");
  if (status == nullptr) return E_POINTER;
  *status = static_cast<COREWEBVIEW2_WEB_ERROR_STATUS>(self->status < 0 ? 0 : self->status);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CompletedId(ICoreWebView2NavigationCompletedEventArgs* This, UINT64* id) {
  auto* self = Self<CompletedArgs>(This);
  Enter(self, "ICoreWebView2NavigationCompletedEventArgs::get_NavigationId");
  if (id == nullptr) return E_POINTER;
  *id = self->id;
  return S_OK;
}

// As the runtime does, later: NavigationStarting, then NavigationCompleted;
// the game's navigations fail while a test says so.
void NavigateLater(WebView* webview, const std::wstring& uri) {
  if (!CurrentOptions().navigationEvents) return;
  static UINT64 lastId = 0;
  const UINT64 id = ++lastId;
  AddRefObject(webview);
  Post([webview, uri, id] {
    if (!webview->closed) {
      const auto& table = Table<ICoreWebView2NavigationStartingEventArgsVtbl>([](auto& t) {
        t.get_Uri = &StartingUri;
        t.get_NavigationId = &StartingId;
      });
      auto* starting = NewObject<StartingArgs>(table, "ICoreWebView2NavigationStartingEventArgs",
                                               {&IID_ICoreWebView2NavigationStartingEventArgs});
      starting->uri = uri;
      starting->id = id;
      Raise<ICoreWebView2NavigationStartingEventHandler, ICoreWebView2,
            ICoreWebView2NavigationStartingEventArgs>(
          webview->navigationStarting, "NavigationStarting", webview, starting,
          Decimal(static_cast<long long>(id)) + "\t" + Text(uri.c_str()));
    }
    Post([webview, uri, id] {
      if (!webview->closed) {
        const auto& table = Table<ICoreWebView2NavigationCompletedEventArgsVtbl>([](auto& t) {
          t.get_IsSuccess = &CompletedSuccess;
          t.get_WebErrorStatus = &CompletedStatus;
          t.get_NavigationId = &CompletedId;
        });
        auto* completed =
            NewObject<CompletedArgs>(table, "ICoreWebView2NavigationCompletedEventArgs",
                                     {&IID_ICoreWebView2NavigationCompletedEventArgs});
        completed->id = id;
        if (uri.rfind(L"https://vantor.io", 0) == 0) {
          completed->status = CurrentOptions().gameNavigationFails;
        }
        Raise<ICoreWebView2NavigationCompletedEventHandler, ICoreWebView2,
              ICoreWebView2NavigationCompletedEventArgs>(
            webview->navigationCompleted, "NavigationCompleted", webview, completed,
            Decimal(static_cast<long long>(id)) + "\t" + Decimal(completed->status));
      }
      ReleaseObject(webview);
    });
  });
}

HRESULT STDMETHODCALLTYPE WebViewAddFilter(WV* This, LPCWSTR uri,
                                           COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
  auto* self = Self<WebView>(This);
  Enter(self, "ICoreWebView2::AddWebResourceRequestedFilter", Text(uri), Decimal(context));
  if (uri == nullptr) return E_INVALIDARG;
  self->filters.push_back({uri, COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_DOCUMENT, false});
  return S_OK;
}

HRESULT STDMETHODCALLTYPE
WebViewAddFilterWithKinds(WV* This, LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context,
                          COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS kinds) {
  auto* self = Self<WebView>(This);
  Enter(self, "ICoreWebView2_22::AddWebResourceRequestedFilterWithRequestSourceKinds", Text(uri),
        Decimal(context), Hex(static_cast<unsigned long>(kinds)));
  if (uri == nullptr) return E_INVALIDARG;
  self->filters.push_back({uri, static_cast<int>(kinds), true});
  return S_OK;
}

void ReleaseWebViewParts(Object* object) {
  auto* self = static_cast<WebView*>(object);
  self->LetGoOfHandlers();
  if (self->settings) ReleaseObject(self->settings);
  self->settings = nullptr;
}

WebView* NewWebView() {
  const auto& table = Table<ICoreWebView2_22Vtbl>([](auto& t) {
    using WebMessage = EventOf<&WebView::webMessage>;
    using DomContentLoaded = EventOf<&WebView::domContentLoaded>;
    using ResourceRequested = EventOf<&WebView::resourceRequested>;
    using ProcessFailed = EventOf<&WebView::processFailed>;
    using NavStarting = EventOf<&WebView::navigationStarting>;
    using NavCompleted = EventOf<&WebView::navigationCompleted>;
    t.get_Settings = &WebViewGetSettings;
    t.Navigate = &WebViewNavigate;
    t.NavigateToString = &WebViewNavigateToString;
    t.add_NavigationStarting = &NavStarting::Add<ICoreWebView2NavigationStartingEventHandler>;
    t.remove_NavigationStarting = &NavStarting::Remove;
    t.add_NavigationCompleted = &NavCompleted::Add<ICoreWebView2NavigationCompletedEventHandler>;
    t.remove_NavigationCompleted = &NavCompleted::Remove;
    t.Reload = &WebViewReload;
    t.OpenDevToolsWindow = &WebViewOpenDevTools;
    t.ExecuteScript = &WebViewExecuteScript;
    t.AddScriptToExecuteOnDocumentCreated = &WebViewAddDocumentScript;
    t.PostWebMessageAsJson = &WebViewPostJson;
    t.add_WebMessageReceived = &WebMessage::Add<ICoreWebView2WebMessageReceivedEventHandler>;
    t.remove_WebMessageReceived = &WebMessage::Remove;
    t.add_DOMContentLoaded = &DomContentLoaded::Add<ICoreWebView2DOMContentLoadedEventHandler>;
    t.remove_DOMContentLoaded = &DomContentLoaded::Remove;
    t.add_WebResourceRequested =
        &ResourceRequested::Add<ICoreWebView2WebResourceRequestedEventHandler>;
    t.remove_WebResourceRequested = &ResourceRequested::Remove;
    t.add_ProcessFailed = &ProcessFailed::Add<ICoreWebView2ProcessFailedEventHandler>;
    t.remove_ProcessFailed = &ProcessFailed::Remove;
    t.AddWebResourceRequestedFilter = &WebViewAddFilter;
    t.AddWebResourceRequestedFilterWithRequestSourceKinds = &WebViewAddFilterWithKinds;
  });
  const Options& options = CurrentOptions();
  auto* webview = NewObject<WebView>(table, "ICoreWebView2", {&IID_ICoreWebView2});
  if (options.webview2) webview->answers.push_back(&IID_ICoreWebView2_2);
  if (options.webview22) webview->answers.push_back(&IID_ICoreWebView2_22);
  webview->settings = NewSettings();
  webview->onFinalRelease = &ReleaseWebViewParts;
  return webview;
}

// --- controller ------------------------------------------------------------------

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
  Enter(Self<Controller>(This), "ICoreWebView2Controller::put_Bounds",
        Decimal(bounds.left) + "," + Decimal(bounds.top) + "," + Decimal(bounds.right) + "," +
            Decimal(bounds.bottom));
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
    self->webview->LetGoOfHandlers();
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

void ReleaseControllerParts(Object* object) {
  auto* self = static_cast<Controller*>(object);
  self->acceleratorKey.ReleaseAll();
  if (g_controller == self) g_controller = nullptr;
  if (g_webView == self->webview) g_webView = nullptr;
  if (self->webview) ReleaseObject(self->webview);
  if (self->environment) ReleaseObject(self->environment);
  self->webview = nullptr;
  self->environment = nullptr;
}

Controller* NewController(Object* environment) {
  const auto& table = Table<ICoreWebView2Controller2Vtbl>([](auto& t) {
    t.get_CoreWebView2 = &ControllerGetWebView;
    t.put_Bounds = &ControllerPutBounds;
    t.Close = &ControllerClose;
    t.add_AcceleratorKeyPressed = &ControllerAddKey;
    t.remove_AcceleratorKeyPressed = &ControllerRemoveKey;
    t.put_DefaultBackgroundColor = &ControllerPutBackground;
  });
  auto* controller =
      NewObject<Controller>(table, "ICoreWebView2Controller", {&IID_ICoreWebView2Controller});
  if (CurrentOptions().controller2) controller->answers.push_back(&IID_ICoreWebView2Controller2);
  controller->webview = NewWebView();
  controller->environment = environment;
  AddRefObject(environment);
  controller->onFinalRelease = &ReleaseControllerParts;
  g_controller = controller;
  g_webView = controller->webview;
  return controller;
}

// --- environment, requests and responses -------------------------------------------

using EV = ICoreWebView2Environment;

std::string WindowClassOf(HWND window) {
  wchar_t name[128] = {};
  if (window == nullptr || !IsWindow(window)) return "(no window)";
  GetClassNameW(window, name, 128);
  return Text(name);
}

HRESULT STDMETHODCALLTYPE EnvironmentCreateController(
    EV* This, HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) {
  auto* self = Self<Object>(This);
  Enter(self, "ICoreWebView2Environment::CreateCoreWebView2Controller",
        "parent=" + WindowClassOf(parent));
  if (handler == nullptr) return E_POINTER;
  CompleteCreation<ICoreWebView2Controller>(
      "CreateCoreWebView2Controller", handler, CurrentOptions().controller, "controller",
      [self] { return NewController(self); }, self);
  return S_OK;
}

struct Response : Object {
  IStream* content = nullptr;  // one reference
  int status = 0;
  std::wstring reason, headers;
};

void ReleaseResponseParts(Object* object) {
  auto* self = static_cast<Response*>(object);
  if (self->content) self->content->lpVtbl->Release(self->content);
  self->content = nullptr;
}

HRESULT STDMETHODCALLTYPE EnvironmentCreateResponse(EV* This, IStream* content, int status,
                                                    LPCWSTR reason, LPCWSTR headers,
                                                    ICoreWebView2WebResourceResponse** response) {
  Enter(Self<Object>(This), "ICoreWebView2Environment::CreateWebResourceResponse",
        content ? "stream" : "no stream", Decimal(status), Text(reason), Text(headers));
  if (response == nullptr) return E_POINTER;
  // Read by the stand-in itself once the handler has returned.
  const auto& table = Table<ICoreWebView2WebResourceResponseVtbl>([](auto&) {});
  auto* made = NewObject<Response>(table, "ICoreWebView2WebResourceResponse",
                                   {&IID_ICoreWebView2WebResourceResponse});
  made->content = content;
  if (content) content->lpVtbl->AddRef(content);
  made->status = status;
  made->reason = reason ? reason : L"";
  made->headers = headers ? headers : L"";
  made->onFinalRelease = &ReleaseResponseParts;
  *response = reinterpret_cast<ICoreWebView2WebResourceResponse*>(made);
  return S_OK;
}

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

struct ResourceArgs : Object {
  Request* request = nullptr;    // one reference
  Response* response = nullptr;  // one reference, once set
};

using RA = ICoreWebView2WebResourceRequestedEventArgs;

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

void ReleaseResourceArgsParts(Object* object) {
  auto* self = static_cast<ResourceArgs*>(object);
  if (self->request) ReleaseObject(self->request);
  if (self->response) ReleaseObject(self->response);
  self->request = nullptr;
  self->response = nullptr;
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

// --- the other event arguments -------------------------------------------------------

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
  UINT key = 0;
  INT lParam = 0;
};

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

}  // namespace

Object* NewEnvironment() {
  const auto& table = Table<ICoreWebView2EnvironmentVtbl>([](auto& t) {
    t.CreateCoreWebView2Controller = &EnvironmentCreateController;
    t.CreateWebResourceResponse = &EnvironmentCreateResponse;
  });
  return NewObject<Object>(table, "ICoreWebView2Environment", {&IID_ICoreWebView2Environment});
}

void RaiseDomContentLoaded() {
  WebView* webview = CurrentWebView();
  if (webview == nullptr) return Record("dropped", "DOMContentLoaded", "no live web view");
  const auto& table = Table<ICoreWebView2DOMContentLoadedEventArgsVtbl>([](auto&) {});
  auto* args = NewObject<Object>(table, "ICoreWebView2DOMContentLoadedEventArgs",
                                 {&IID_ICoreWebView2DOMContentLoadedEventArgs});
  Raise<ICoreWebView2DOMContentLoadedEventHandler, ICoreWebView2,
        ICoreWebView2DOMContentLoadedEventArgs>(webview->domContentLoaded, "DOMContentLoaded",
                                                webview, args, Text(webview->source.c_str()));
}

void RaiseWebMessage(const std::wstring& source, const std::wstring& body, bool isString) {
  WebView* webview = CurrentWebView();
  if (webview == nullptr) return Record("dropped", "WebMessageReceived", "no live web view");
  const auto& table = Table<ICoreWebView2WebMessageReceivedEventArgsVtbl>([](auto& t) {
    t.get_Source = &MessageArgsSource;
    t.TryGetWebMessageAsString = &MessageArgsString;
  });
  auto* args = NewObject<MessageArgs>(table, "ICoreWebView2WebMessageReceivedEventArgs",
                                      {&IID_ICoreWebView2WebMessageReceivedEventArgs});
  args->source = source;
  args->body = body;
  args->isString = isString;
  Raise<ICoreWebView2WebMessageReceivedEventHandler, ICoreWebView2,
        ICoreWebView2WebMessageReceivedEventArgs>(webview->webMessage, "WebMessageReceived",
                                                  webview, args,
                                                  Text(source.c_str()) + "\t" + Text(body.c_str()));
}

void RaiseAcceleratorKey(int kind, UINT key, INT lParam) {
  Controller* controller = CurrentController();
  if (controller == nullptr) return Record("dropped", "AcceleratorKeyPressed", "no controller");
  // The key's kind is only recorded: the program must not need it.
  const auto& table = Table<ICoreWebView2AcceleratorKeyPressedEventArgsVtbl>([](auto& t) {
    t.get_VirtualKey = &KeyArgsKey;
    t.get_KeyEventLParam = &KeyArgsLParam;
  });
  auto* args = NewObject<KeyArgs>(table, "ICoreWebView2AcceleratorKeyPressedEventArgs",
                                  {&IID_ICoreWebView2AcceleratorKeyPressedEventArgs});
  args->key = key;
  args->lParam = lParam;
  Raise<ICoreWebView2AcceleratorKeyPressedEventHandler, ICoreWebView2Controller,
        ICoreWebView2AcceleratorKeyPressedEventArgs>(
      controller->acceleratorKey, "AcceleratorKeyPressed", controller, args,
      Decimal(kind) + "\t" + Decimal(key) + "\t" + Hex(static_cast<unsigned long>(lParam)));
}

void RaiseResourceRequest(const std::string& origin, const std::wstring& uri) {
  WebView* webview = CurrentWebView();
  if (webview == nullptr) return Record("dropped", "WebResourceRequested", "no live web view");
  // Where the request comes from decides which filters can see it: the
  // original filter call only sees the page's own documents.
  int kind = COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_DOCUMENT;
  const bool legacyVisible = origin == "main-frame" || origin == "same-origin-frame";
  if (origin == "shared-worker")
    kind = COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_SHARED_WORKER;
  if (origin == "service-worker")
    kind = COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_SERVICE_WORKER;
  bool matched = false;
  for (const Filter& filter : webview->filters) {
    const bool visible = filter.withSourceKinds ? (filter.sourceKinds & kind) != 0 : legacyVisible;
    if (visible && WildcardMatch(filter.uri.c_str(), uri.c_str())) matched = true;
  }
  if (!matched) return Record("unfiltered", Text(uri.c_str()), origin);

  const auto& requestTable =
      Table<ICoreWebView2WebResourceRequestVtbl>([](auto& t) { t.get_Uri = &RequestUri; });
  const auto& argsTable = Table<ICoreWebView2WebResourceRequestedEventArgsVtbl>([](auto& t) {
    t.get_Request = &ResourceArgsRequest;
    t.put_Response = &ResourceArgsPutResponse;
  });
  auto* request = NewObject<Request>(requestTable, "ICoreWebView2WebResourceRequest",
                                     {&IID_ICoreWebView2WebResourceRequest});
  request->uri = uri;
  auto* args = NewObject<ResourceArgs>(argsTable, "ICoreWebView2WebResourceRequestedEventArgs",
                                       {&IID_ICoreWebView2WebResourceRequestedEventArgs});
  args->request = request;
  args->onFinalRelease = &ReleaseResourceArgsParts;
  AddRefObject(args);  // kept to read the response once the handlers are done
  Raise<ICoreWebView2WebResourceRequestedEventHandler, ICoreWebView2,
        ICoreWebView2WebResourceRequestedEventArgs>(webview->resourceRequested,
                                                    "WebResourceRequested", webview, args,
                                                    Text(uri.c_str()) + "\t" + origin);
  // What the browser would serve, read after the handler returned.
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
  const auto& table = Table<ICoreWebView2ProcessFailedEventArgsVtbl>(
      [](auto& t) { t.get_ProcessFailedKind = &FailedArgsKind; });
  auto* args = NewObject<FailedArgs>(table, "ICoreWebView2ProcessFailedEventArgs",
                                     {&IID_ICoreWebView2ProcessFailedEventArgs});
  args->kind = kind;
  Raise<ICoreWebView2ProcessFailedEventHandler, ICoreWebView2, ICoreWebView2ProcessFailedEventArgs>(
      webview->processFailed, "ProcessFailed", webview, args, Decimal(kind));
}

}  // namespace standin
