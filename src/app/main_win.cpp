#include <objbase.h>
#include <windows.h>

#include "app/startup_win.h"

// The process entry point: the start-up sequence over the real platform.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  // WebView2 and the shell's stream calls want a single-threaded apartment.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  vantor::OpenProgramLog();
  vantor::WindowsStartup platform;
  return vantor::RunStartup(platform, commandLine ? commandLine : L"");
}
