// The stand-in runtime's state and the operations the command window drives.
#pragma once

#include <windows.h>

#include <WebView2.h>

#include <functional>
#include <string>
#include <vector>

#include "object.h"

namespace standin {

// How a creation completes when the test injects a failure.
struct InjectedFailure {
  HRESULT error = S_OK;   // completes with this error...
  int times = -1;         // ...this often (-1: always)
  bool noObject = false;  // completes with S_OK and no object
  // The error for the next completion, counting it down.
  HRESULT Take();
};

// Switches from VANTOR_STAND_IN_OPTIONS.
struct Options {
  bool runtimePresent = true;
  InjectedFailure environment, controller;
  bool controller2 = true;  // answers ICoreWebView2Controller2
  bool webview2 = true;     // answers ICoreWebView2_2
  bool webview22 = false;   // answers ICoreWebView2_22
  // Navigations raise NavigationStarting and NavigationCompleted; those to
  // the game fail with this COREWEBVIEW2_WEB_ERROR_STATUS (-1: succeed).
  bool navigationEvents = false;
  int gameNavigationFails = -1;
};
Options& CurrentOptions();
void ReadOptions();

// Registered handlers of one event, with their tokens; the stand-in holds one
// reference to each until it is removed or the controller is closed.
class Handlers {
 public:
  HRESULT Add(IUnknown* handler, EventRegistrationToken* token, const char* event);
  HRESULT Remove(EventRegistrationToken token, const char* event);
  void ReleaseAll();
  std::vector<IUnknown*> Snapshot() const;  // each with a reference the caller releases

 private:
  std::vector<std::pair<INT64, IUnknown*>> list_;
};

// Later, on the UI thread, through its message loop: never inside the call.
void Post(std::function<void()> work);

// Completes a creation later: the handler gets the injected error, or what
// `create` makes (with one reference, dropped after the handler returned).
// `owner` is kept alive until then.
template <typename Created, typename Handler>
void CompleteCreation(const char* operation, Handler* handler, InjectedFailure& failure,
                      const char* made, std::function<Object*()> create, Object* owner = nullptr) {
  handler->lpVtbl->AddRef(handler);
  if (owner) AddRefObject(owner);
  Post([=, &failure] {
    const HRESULT error = failure.Take();
    Object* created = error == S_OK && !failure.noObject ? create() : nullptr;
    Record("complete", operation, Hex(static_cast<unsigned long>(error)),
           created ? std::string(made) : "no " + std::string(made));
    const HRESULT result =
        handler->lpVtbl->Invoke(handler, error, reinterpret_cast<Created*>(created));
    Record("returned", operation, Hex(static_cast<unsigned long>(result)));
    if (created) ReleaseObject(created);
    handler->lpVtbl->Release(handler);
    if (owner) ReleaseObject(owner);
  });
}
void CreateCommandWindow();

// The test's commands.
void RunCommand(const std::string& command);

// The loader's entry points.
HRESULT CreateEnvironment(PCWSTR browserFolder, PCWSTR userDataFolder,
                          ICoreWebView2EnvironmentOptions* options,
                          ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);

}  // namespace standin
