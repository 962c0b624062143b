#include "runtime.h"

#include <deque>
#include <sstream>

#include "objects.h"

namespace standin {

namespace {

Options g_options;
HWND g_window = nullptr;
std::deque<std::function<void()>> g_work;
std::deque<std::string> g_commands;
INT64 g_nextToken = 1;
int g_commandSerial = 0;

constexpr UINT kRunWork = WM_APP + 1;
constexpr UINT kRunCommand = WM_APP + 2;
constexpr wchar_t kWindowClass[] = L"VantorWebView2StandIn";

// "0x80004004" or "0x80004004:1" (fails once, then succeeds).
void ParseFailure(const std::string& value, InjectedFailure& failure) {
  const size_t colon = value.find(':');
  failure.error = static_cast<HRESULT>(std::stoul(value.substr(0, colon), nullptr, 0));
  failure.times = colon == std::string::npos ? -1 : std::stoi(value.substr(colon + 1));
}

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

LRESULT CALLBACK CommandWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA: {
      // Queued and run later from the loop, as the runtime would raise it.
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      g_commands.emplace_back(static_cast<const char*>(data->lpData), data->cbData);
      PostMessageW(window, kRunCommand, 0, 0);
      return ++g_commandSerial;
    }
    case kRunCommand: {
      if (g_commands.empty()) return 0;
      const std::string command = std::move(g_commands.front());
      g_commands.pop_front();
      static int serial = 0;
      const std::string number = std::to_string(++serial);
      Record("command", number, Text(command));
      RunCommand(command);
      Record("done", number);
      return 0;
    }
    case kRunWork: {
      if (g_work.empty()) return 0;
      auto work = std::move(g_work.front());
      g_work.pop_front();
      work();
      return 0;
    }
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

Options& CurrentOptions() { return g_options; }

HRESULT InjectedFailure::Take() {
  if (error == S_OK || times == 0) return S_OK;
  if (times > 0) --times;
  return error;
}

void ReadOptions() {
  wchar_t buffer[1024] = {};
  if (!GetEnvironmentVariableW(L"VANTOR_STAND_IN_OPTIONS", buffer, 1024)) return;
  char narrow[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, buffer, -1, narrow, sizeof narrow, nullptr, nullptr);
  std::istringstream words(narrow);
  for (std::string word; words >> word;) {
    const size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const std::string value = equals == std::string::npos ? "" : word.substr(equals + 1);
    if (name == "no-runtime") g_options.runtimePresent = false;
    if (name == "environment-fails") ParseFailure(value, g_options.environment);
    if (name == "environment-null") g_options.environment.noObject = true;
    if (name == "controller-fails") ParseFailure(value, g_options.controller);
    if (name == "controller-null") g_options.controller.noObject = true;
    if (name == "no-controller2") g_options.controller2 = false;
    if (name == "no-webview2") g_options.webview2 = false;
    if (name == "webview22") g_options.webview22 = true;
    if (name == "navigation-events") g_options.navigationEvents = true;
    if (name == "game-navigations-fail") {
      g_options.navigationEvents = true;
      g_options.gameNavigationFails = std::stoi(value);
    }
  }
}

HRESULT Handlers::Add(IUnknown* handler, EventRegistrationToken* token, const char* event) {
  if (handler == nullptr || token == nullptr) return E_POINTER;
  handler->lpVtbl->AddRef(handler);
  token->value = g_nextToken++;
  list_.emplace_back(token->value, handler);
  Record("registered", event, std::to_string(token->value));
  return S_OK;
}

HRESULT Handlers::Remove(EventRegistrationToken token, const char* event) {
  for (auto it = list_.begin(); it != list_.end(); ++it) {
    if (it->first == token.value) {
      IUnknown* handler = it->second;
      list_.erase(it);
      handler->lpVtbl->Release(handler);
      Record("unregistered", event, std::to_string(token.value));
      return S_OK;
    }
  }
  Record("breach", "removed a token never registered", event, std::to_string(token.value));
  return S_OK;  // the runtime ignores unknown tokens
}

void Handlers::ReleaseAll() {
  auto list = std::move(list_);
  list_.clear();
  for (auto& [token, handler] : list) handler->lpVtbl->Release(handler);
}

std::vector<IUnknown*> Handlers::Snapshot() const {
  std::vector<IUnknown*> handlers;
  for (const auto& [token, handler] : list_) {
    handler->lpVtbl->AddRef(handler);
    handlers.push_back(handler);
  }
  return handlers;
}

void CreateCommandWindow() {
  if (g_window != nullptr) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = CommandWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExW(&windowClass);
  const std::wstring title = std::to_wstring(GetCurrentProcessId());
  g_window = CreateWindowExW(0, kWindowClass, title.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  Record("ready", g_window ? "commands" : "no command window");
}

void Post(std::function<void()> work) {
  g_work.push_back(std::move(work));
  PostMessageW(g_window, kRunWork, 0, 0);
}

void RunCommand(const std::string& command) {
  std::istringstream in(command);
  std::string verb;
  in >> verb;
  std::string rest;
  std::getline(in >> std::ws, rest);
  if (verb == "dom-content-loaded") return RaiseDomContentLoaded();
  if (verb == "web-message" || verb == "web-message-json") {
    const size_t space = rest.find(' ');
    const std::string source = rest.substr(0, space);
    const std::string body = space == std::string::npos ? "" : rest.substr(space + 1);
    return RaiseWebMessage(Widen(source), Widen(body), verb == "web-message");
  }
  if (verb == "key") {
    std::istringstream numbers(rest);
    std::string kind, key, lParam;
    numbers >> kind >> key >> lParam;
    return RaiseAcceleratorKey(std::stoi(kind, nullptr, 0), std::stoul(key, nullptr, 0),
                               static_cast<INT>(std::stoul(lParam, nullptr, 0)));
  }
  if (verb == "request") {
    const size_t space = rest.find(' ');
    return RaiseResourceRequest(rest.substr(0, space), Widen(rest.substr(space + 1)));
  }
  if (verb == "process-failed") return RaiseProcessFailed(std::stoi(rest));
  if (verb == "game-navigations") {  // "succeed", or "fail STATUS"
    g_options.gameNavigationFails = rest == "succeed" ? -1 : std::stoi(rest.substr(5));
    return;
  }
  Record("breach", "unknown command", Text(command));
}

HRESULT CreateEnvironment(PCWSTR browserFolder, PCWSTR userDataFolder,
                          ICoreWebView2EnvironmentOptions* options,
                          ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
  SetUiThread();
  CreateCommandWindow();
  wchar_t arguments[2048] = {};
  GetEnvironmentVariableW(L"WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS", arguments, 2048);
  Record("call", "CreateCoreWebView2EnvironmentWithOptions", Text(browserFolder),
         Text(userDataFolder), options ? "options" : "(null)", Text(arguments));
  if (handler == nullptr) return E_POINTER;
  CompleteCreation<ICoreWebView2Environment>("CreateCoreWebView2EnvironmentWithOptions", handler,
                                             g_options.environment, "environment",
                                             [] { return NewEnvironment(); });
  return S_OK;
}

}  // namespace standin
