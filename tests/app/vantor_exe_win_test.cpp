// Vantor.exe itself, started as a user would, in a folder of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

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

// Explorer and the taskbar show the first group icon: all five sizes.
TEST(VantorExe, CarriesItsIconInFiveSizes) {
  HMODULE program = LoadLibraryExW((BuiltProgramFolder() / L"Vantor.exe").c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(program, nullptr);
  HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  ASSERT_NE(found, nullptr);
  const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(program, found)));
  // GRPICONDIR: reserved, type, count; then 14-byte entries starting with width.
  const WORD count = *reinterpret_cast<const WORD*>(group + 4);
  std::vector<int> widths;
  for (WORD i = 0; i < count; ++i) {
    const BYTE width = group[6 + 14 * i];
    widths.push_back(width == 0 ? 256 : width);
  }
  EXPECT_EQ(widths, (std::vector<int>{16, 24, 32, 48, 256}));
  FreeLibrary(program);
}

}  // namespace
}  // namespace vantor
