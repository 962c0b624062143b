#pragma once

namespace vantor {

// Every message box of the program goes through here (no owner window), so
// that the tests can answer them instead of a person.
using MessageHandler = int (*)(const wchar_t* text, const wchar_t* caption, unsigned style);

int ShowMessage(const wchar_t* text, const wchar_t* caption, unsigned style);

// A warning whose text is also its caption, with MB_ICONWARNING.
void ShowWarning(const wchar_t* text);

// Replaces the message box for tests; nullptr restores it.
void SetMessageHandlerForTesting(MessageHandler handler);

}  // namespace vantor
