// Vantor.exe itself, started as a user would, in a folder of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "common/files.h"
#include "support/message_box.h"
#include "support/stand_in_session.h"
#include "support/temp_folder.h"
#include "update/install_layout.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

// The build copies the program under test beside the test executables.
fs::path BuiltProgramFolder() { return fs::path(GetExecutableFolder()) / L"program"; }

// Starts the program in `workingFolder`, answers the message it ends with,
// and returns that message and the exit code.
std::pair<test::Dialog, DWORD> RunToItsMessage(const fs::path& program,
                                               const fs::path& workingFolder) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                      workingFolder.c_str(), &startup, &process)) {
    ADD_FAILURE() << "the program did not start";
    return {};
  }
  const test::Dialog box = test::WaitForDialog(process.dwProcessId, 30000);
  EXPECT_NE(box.window, nullptr) << "no message appeared";
  test::Answer(box);
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 99);
  }
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return {box, code};
}

TEST(VantorExe, WithoutWebViewRuntimeOrInstallerWarnsAndExitsWithOne) {
  test::TempFolder folder;
  for (const wchar_t* name : {L"Vantor.exe", L"WebView2Loader.dll"}) {
    fs::copy_file(BuiltProgramFolder() / name, folder.path() / name);
  }
  const auto [box, code] = RunToItsMessage(folder / "Vantor.exe", folder.path());
  EXPECT_EQ(box.caption, L"Failed to install webview");
  EXPECT_EQ(box.text, L"Failed to install webview");
  EXPECT_EQ(code, 1u);
  // Nothing was written beside the program on this path.
  EXPECT_FALSE(fs::exists(folder.path() / L"config.json"));
}

// Started from another folder, which holds a planted loader: the program
// loads only the one beside it, and without a usable one it says so and ends
// with its own code, without running the runtime's installer.
TEST(VantorExe, WithoutAUsableLoaderBesideItSaysSoAndExitsWithFour) {
  for (const bool damaged : {false, true}) {
    SCOPED_TRACE(damaged ? "damaged" : "missing");
    test::TempFolder folder;
    test::TempFolder elsewhere;
    fs::copy_file(BuiltProgramFolder() / L"Vantor.exe", folder.path() / L"Vantor.exe");
    fs::copy_file(fs::path(GetExecutableFolder()) / L"stand_in" / L"WebView2Loader.dll",
                  elsewhere.path() / L"WebView2Loader.dll");
    if (damaged) test::WriteBytes(folder.path() / "WebView2Loader.dll", "MZ not a library");
    const auto [box, code] = RunToItsMessage(folder / "Vantor.exe", elsewhere.path());
    EXPECT_EQ(box.caption, L"Vantor");
    EXPECT_EQ(box.text, L"WebView2Loader.dll is missing or damaged. Reinstall Vantor.");
    EXPECT_EQ(code, 4u);
    EXPECT_NE(test::ReadBytes(folder / "Vantor.log").find("WebView2Loader.dll"), std::string::npos);
  }
}

// The window of a Vantor.exe that runs from `folder`, and its process.
std::pair<HWND, DWORD> ProgramWindowIn(const fs::path& folder) {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, L"Vantor", nullptr)) != nullptr) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (process == nullptr) continue;
    wchar_t image[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    const bool named = QueryFullProcessImageNameW(process, 0, image, &length);
    CloseHandle(process);
    if (named && SameFileName(image, (folder / L"Vantor.exe").wstring())) return {window, id};
  }
  return {nullptr, 0};
}

// An update the start finds staged with its journal written (as a start
// killed right then leaves it): the real program, with the loader mapped
// from the moment it starts, and its finisher must put the new loader and
// program in place. Started from another folder, the finisher must start.
TEST(VantorExe, AnUpdateOfTheLoaderOrTheProgramEndsWithTheNewVersionRunning) {
  for (const bool withProgram : {false, true}) {
    SCOPED_TRACE(withProgram ? "program and loader, from another folder" : "the loader");
    test::TempFolder elsewhere;
    test::StandInSession session;
    const fs::path folder = session.Folder();
    const std::string oldProgram = test::ReadBytes(folder / "Vantor.exe");
    // Bytes after the image make another file that still loads.
    std::vector<std::pair<std::string, std::string>> files = {
        {"WebView2Loader.dll", test::ReadBytes(folder / "WebView2Loader.dll") + "new loader"}};
    if (withProgram) files.insert(files.begin(), {"Vantor.exe", oldProgram + "new program"});
    fs::create_directories(folder / "update.staging");
    Journal journal;
    for (const auto& [name, bytes] : files) {
      SwapItem item = MakeSwapItem(folder, name, folder / name, journal.items.size(), true);
      test::WriteBytes(item.staged, bytes);
      item.oldContent = *ContentOf(item.target);
      item.newContent = *ContentOf(item.staged);
      journal.items.push_back(item);
    }
    test::WriteBytes(folder / "update.journal", FormatJournal(journal));

    session.Start(withProgram ? elsewhere.path() : fs::path());
    std::pair<HWND, DWORD> running{nullptr, 0};
    for (int waited = 0; waited < 30000 && !running.first; waited += 100) {
      Sleep(100);
      running = ProgramWindowIn(folder);
    }
    ASSERT_NE(running.first, nullptr) << session.LogText();
    EXPECT_EQ(running.second == session.ProcessId(), !withProgram);  // no restart for the loader
    for (const auto& [name, bytes] : files)
      EXPECT_EQ(test::ReadBytes(folder / name), bytes) << name;
    EXPECT_FALSE(fs::exists(folder / "update.journal")) << session.LogText();
    EXPECT_FALSE(fs::exists(folder / "update.journal.failed"));
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, running.second)) {
      TerminateProcess(process, 0);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
  }
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
