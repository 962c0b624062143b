#pragma once

#include <windows.h>

namespace vantor {

// The low-level mouse hook procedure (WH_MOUSE_LL), installed by the
// ClientWindow and reaching it through g_clientWindow.
LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam);

}  // namespace vantor
