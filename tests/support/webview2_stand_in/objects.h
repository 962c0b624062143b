// The runtime's objects as the program sees them.
#pragma once

#include "runtime.h"

namespace standin {

struct Settings;
struct WebView;
struct Controller;
struct Environment;

Environment* NewEnvironment();
// The controller the environment completes creation with, hosting a new web view.
Controller* NewController(Environment* environment, HWND parent);

// The live web view and controller (null before creation, or once closed), for
// the commands that raise events.
WebView* CurrentWebView();
Controller* CurrentController();
bool IsClosed();

void RaiseDomContentLoaded();
void RaiseWebMessage(const std::wstring& source, const std::wstring& body, bool isString);
void RaiseAcceleratorKey(int kind, UINT key, INT lParam);
void RaiseResourceRequest(const std::string& origin, const std::wstring& uri);
void RaiseProcessFailed(int kind);

}  // namespace standin
