#include "app/messages_win.h"

#include <windows.h>
// commctrl.h builds on windows.h.
#include <commctrl.h>

#include <string>

namespace vantor {

int ShowMessage(const wchar_t* text, const wchar_t* caption, unsigned style) {
  return MessageBoxW(nullptr, text, caption, style);
}

void ShowWarning(const wchar_t* text) { ShowMessage(text, text, MB_ICONWARNING); }

TaskDialogCall TaskDialogFunction() {
  const HMODULE controls = LoadLibraryW(L"comctl32.dll");
  return controls == nullptr ? nullptr
                             : reinterpret_cast<TaskDialogCall>(reinterpret_cast<void*>(
                                   GetProcAddress(controls, "TaskDialogIndirect")));
}

bool AskWithButtons(const wchar_t* text, const wchar_t* caption, const wchar_t* doIt,
                    const wchar_t* dont) {
  if (const TaskDialogCall taskDialog = TaskDialogFunction()) {
    const TASKDIALOG_BUTTON buttons[] = {{IDYES, doIt}, {IDNO, dont}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
    config.pszWindowTitle = caption;
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszContent = text;
    config.pButtons = buttons;
    config.cButtons = 2;
    config.nDefaultButton = IDNO;
    int pressed = IDNO;
    if (SUCCEEDED(taskDialog(&config, &pressed, nullptr, nullptr))) return pressed == IDYES;
  }
  const std::wstring withButtons = std::wstring(text) + L"\n\nYes: " + doIt + L"\nNo: " + dont;
  return ShowMessage(withButtons.c_str(), caption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) ==
         IDYES;
}

}  // namespace vantor
