#include "app/messages_win.h"

#include <windows.h>
// commctrl.h builds on windows.h.
#include <commctrl.h>

#include <string>
#include <utility>

namespace vantor {

int ShowMessage(const wchar_t* text, const wchar_t* caption, unsigned style) {
  return MessageBoxW(nullptr, text, caption, style);
}

void ShowWarning(const wchar_t* text) { ShowMessage(text, text, MB_ICONWARNING); }

void SetProgramIcon(HWND window) {
  const HINSTANCE self = GetModuleHandleW(nullptr);
  for (const int size : {ICON_SMALL, ICON_BIG}) {
    const int pixels = GetSystemMetrics(size == ICON_SMALL ? SM_CXSMICON : SM_CXICON);
    if (HANDLE icon = LoadImageW(self, MAKEINTRESOURCEW(1), IMAGE_ICON, pixels, pixels, 0)) {
      SendMessageW(window, WM_SETICON, size, reinterpret_cast<LPARAM>(icon));
    }
  }
}

TaskDialogCall TaskDialogFunction() {
  const HMODULE controls = LoadLibraryW(L"comctl32.dll");
  return controls == nullptr ? nullptr
                             : reinterpret_cast<TaskDialogCall>(reinterpret_cast<void*>(
                                   GetProcAddress(controls, "TaskDialogIndirect")));
}

namespace {

// The question that is up; one at a time, on the UI thread.
struct Question {
  HWND window = nullptr;
  bool closedUnanswered = false;
  const std::function<bool()>* closeNow = nullptr;
};
Question* g_question = nullptr;

HRESULT CALLBACK OnQuestion(HWND window, UINT note, WPARAM, LPARAM, LONG_PTR data) {
  auto& question = *reinterpret_cast<Question*>(data);
  try {
    if (note == TDN_CREATED) question.window = window;
    if (note == TDN_TIMER && !question.closedUnanswered && (*question.closeNow)()) {
      question.closedUnanswered = true;
      SendMessageW(window, TDM_CLICK_BUTTON, IDNO, 0);
    }
  } catch (...) {
    // nothing leaves a callback of Windows'
  }
  return S_OK;
}

}  // namespace

std::optional<bool> AskWithButtons(HWND owner, const wchar_t* text, const wchar_t* caption,
                                   const wchar_t* doIt, const wchar_t* dont,
                                   const std::function<bool()>& closeNow) {
  Question question;
  question.closeNow = &closeNow;
  g_question = &question;
  int pressed = IDNO;
  bool asked = false;
  if (const TaskDialogCall taskDialog = TaskDialogFunction()) {
    const TASKDIALOG_BUTTON buttons[] = {{IDYES, doIt}, {IDNO, dont}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_CALLBACK_TIMER;
    config.pszWindowTitle = caption;
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszContent = text;
    config.pButtons = buttons;
    config.cButtons = 2;
    config.nDefaultButton = IDNO;
    config.pfCallback = &OnQuestion;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(&question);
    asked = SUCCEEDED(taskDialog(&config, &pressed, nullptr, nullptr));
  }
  if (!asked) {
    const std::wstring withButtons = std::wstring(text) + L"\n\nYes: " + doIt + L"\nNo: " + dont;
    pressed =
        MessageBoxW(owner, withButtons.c_str(), caption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
  }
  g_question = nullptr;
  if (question.closedUnanswered) return std::nullopt;
  return pressed == IDYES;
}

void CloseQuestion() {
  if (g_question == nullptr || g_question->window == nullptr || g_question->closedUnanswered) {
    return;
  }
  g_question->closedUnanswered = true;
  SendMessageW(g_question->window, TDM_CLICK_BUTTON, IDNO, 0);
}

}  // namespace vantor
