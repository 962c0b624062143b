// A stand-in for the program in the updater's process tests. Copied under the
// names the updater looks for, it sleeps until ended, or plays the restart.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/files.h"
#include "common/text.h"
#include "update/updater_platform_win.h"

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  const std::filesystem::path self = vantor::GetExecutableFolder();
  wchar_t own[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  const bool isProgram = std::filesystem::path(own).filename() == L"Vantor.exe";

  if (mode == L"sleep") {
    Sleep(60000);
    return 0;
  }
  if (mode == L"restart" && isProgram) {
    // The restarted program: record the command line it was given.
    std::ofstream(self / L"restarted.txt", std::ios::binary)
        << vantor::WideToUtf8(GetCommandLineW());
    return 0;
  }
  if (mode == L"restart") {
    vantor::WindowsUpdaterPlatform().Restart(self / L"Vantor.exe");
    return 3;  // never reached: Restart ends the process
  }
  return 2;
}
