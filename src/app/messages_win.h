#pragma once

#include <windows.h>
// commctrl.h builds on windows.h.
#include <commctrl.h>

#include <functional>
#include <optional>

namespace vantor {

// Every message box of the program goes through here (no owner window). The
// Wine tests read and answer the boxes themselves.
int ShowMessage(const wchar_t* text, const wchar_t* caption, unsigned style);

// The program's icon on a window's title bar (a task dialog has none).
void SetProgramIcon(HWND window);

// A warning whose text is also its caption, with MB_ICONWARNING.
void ShowWarning(const wchar_t* text);

// comctl32's TaskDialogIndirect (common controls 6, which the manifest asks
// for), looked up at run time so that the program still starts without it;
// null when it is not there.
using TaskDialogCall = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
TaskDialogCall TaskDialogFunction();

// Asks with two buttons that say what they do, in a box owned by `owner` (so
// that it stays above it); true for the first. The second is the default,
// and closing the box counts as it. `closeNow` is asked a few times a second
// and closes the box unanswered once it says so, and so does CloseQuestion:
// then nothing is returned.
std::optional<bool> AskWithButtons(HWND owner, const wchar_t* text, const wchar_t* caption,
                                   const wchar_t* doIt, const wchar_t* dont,
                                   const std::function<bool()>& closeNow);
// Closes the question AskWithButtons shows, if one is up.
void CloseQuestion();

}  // namespace vantor
