// The stand-in runtime's state and the operations the command window drives.
#pragma once

#include <windows.h>

#include <WebView2.h>

#include <functional>
#include <string>
#include <vector>

#include "object.h"

namespace standin {

// Switches from VANTOR_STAND_IN_OPTIONS.
struct Options {
  bool runtimePresent = true;
  HRESULT environmentError = S_OK;  // completes creation with this error
  int environmentErrorTimes = -1;   // how often; -1: always
  bool environmentNull = false;     // completes with S_OK and no object
  HRESULT controllerError = S_OK;
  int controllerErrorTimes = -1;
  bool controllerNull = false;
  bool controller2 = true;  // answers ICoreWebView2Controller2
  bool webview2 = true;     // answers ICoreWebView2_2
  bool webview22 = false;   // answers ICoreWebView2_22
};
const Options& CurrentOptions();
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
void CreateCommandWindow();

// The test's commands.
void RunCommand(const std::string& command);

// The loader's entry points.
HRESULT CreateEnvironment(PCWSTR browserFolder, PCWSTR userDataFolder,
                          ICoreWebView2EnvironmentOptions* options,
                          ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);

}  // namespace standin
