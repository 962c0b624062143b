// Vantor.exe itself, started as a user would, in a folder of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "common/files.h"
#include "support/message_box.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

// The build copies the program under test beside the test executables.
fs::path BuiltProgramFolder() { return fs::path(GetExecutableFolder()) / L"program"; }

TEST(VantorExe, WithoutWebViewRuntimeOrInstallerWarnsAndExitsWithOne) {
  test::TempFolder folder;
  for (const wchar_t* name : {L"Vantor.exe", L"WebView2Loader.dll"}) {
    fs::copy_file(BuiltProgramFolder() / name, folder.path() / name);
  }
  const std::wstring program = (folder.path() / L"Vantor.exe").wstring();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                             folder.path().wstring().c_str(), &startup, &process));

  const test::Dialog box = test::WaitForDialog(process.dwProcessId, 30000);
  EXPECT_NE(box.window, nullptr) << "no warning appeared";
  EXPECT_EQ(box.caption, L"Failed to install webview");
  EXPECT_EQ(box.text, L"Failed to install webview");
  test::Answer(box);
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 99);
  }
  GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(code, 1u);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // Nothing was written beside the program on this path.
  EXPECT_FALSE(fs::exists(folder.path() / L"config.json"));
}

}  // namespace
}  // namespace vantor
