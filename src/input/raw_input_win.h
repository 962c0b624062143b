#pragma once

#include <windows.h>

#include "input/raw_mouse.h"

namespace vantor {

class ClientWindow;

// Reads the raw record behind a WM_INPUT message and forwards it to the page;
// the message itself is never dispatched. A failed read drops it.
void ConsumeRawInput(ClientWindow& window, LPARAM rawInputHandle);

// The five fields forwarding reads from a raw mouse record.
RawMouseReport ReadRawMouse(const RAWINPUT& input);

// Registers the mouse for WM_INPUT to the window, also when it is in the
// background; false when Windows refuses.
bool RegisterRawMouse(HWND target);

}  // namespace vantor
