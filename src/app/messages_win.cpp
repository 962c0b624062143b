#include "app/messages_win.h"

#include <windows.h>

namespace vantor {

namespace {

int ShowMessageBox(const wchar_t* text, const wchar_t* caption, unsigned style) {
  return MessageBoxW(nullptr, text, caption, style);
}

MessageHandler g_messageHandler = ShowMessageBox;

}  // namespace

int ShowMessage(const wchar_t* text, const wchar_t* caption, unsigned style) {
  return g_messageHandler(text, caption, style);
}

void ShowWarning(const wchar_t* text) { ShowMessage(text, text, MB_ICONWARNING); }

void SetMessageHandlerForTesting(MessageHandler handler) {
  g_messageHandler = handler ? handler : ShowMessageBox;
}

}  // namespace vantor
