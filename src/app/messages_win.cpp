#include "app/messages_win.h"

#include <windows.h>

namespace vantor {

int ShowMessage(const wchar_t* text, const wchar_t* caption, unsigned style) {
  return MessageBoxW(nullptr, text, caption, style);
}

void ShowWarning(const wchar_t* text) { ShowMessage(text, text, MB_ICONWARNING); }

}  // namespace vantor
