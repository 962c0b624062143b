// Finds the message box a program under test shows, reads it and answers it.
#pragma once

#include <windows.h>

#include <string>

namespace vantor::test {

struct Dialog {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;
};

// The first message box of the process, once it shows: a dialog (class
// #32770) whose static text control carries the message. Null when none
// appeared in time.
inline Dialog WaitForDialog(DWORD processId, int milliseconds) {
  for (int waited = 0; waited < milliseconds; waited += 50) {
    HWND box = nullptr;
    while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(box, &owner);
      if (owner != processId) continue;
      wchar_t caption[512] = {};
      wchar_t text[4096] = {};
      GetWindowTextW(box, caption, 512);
      GetDlgItemTextW(box, 0xFFFF, text, 4096);  // the message's static control
      if (text[0] == L'\0') continue;            // not filled in yet
      return {box, caption, text};
    }
    Sleep(50);
  }
  return {};
}

// How many dialogs the process shows now.
inline int CountDialogs(DWORD processId) {
  int count = 0;
  HWND box = nullptr;
  while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(box, &owner);
    count += owner == processId;
  }
  return count;
}

// Presses OK on the box.
inline void Answer(const Dialog& box) {
  if (box.window != nullptr) PostMessageW(box.window, WM_COMMAND, IDOK, 0);
}

}  // namespace vantor::test
