// The runtime's objects as the program sees them, and the events they raise.
#pragma once

#include "runtime.h"

namespace standin {

// A new environment, with one reference for the creator.
Object* NewEnvironment();

void RaiseDomContentLoaded();
void RaiseWebMessage(const std::wstring& source, const std::wstring& body, bool isString);
void RaiseAcceleratorKey(int kind, UINT key, INT lParam);
void RaiseResourceRequest(const std::string& origin, const std::wstring& uri);
void RaiseProcessFailed(int kind);

}  // namespace standin
