// The updater's process work on real processes: copies of a small helper
// running under the program's names.
#include "update/updater_platform_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "common/files.h"
#include "common/text.h"
#include "support/temp_folder.h"
#include "support/zip_writer.h"
#include "update/archive_install.h"
#include "update/interrupted_install.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

fs::path Helper() { return fs::path(GetExecutableFolder()) / L"helpers" / L"update_helper.exe"; }

struct Started {
  HANDLE process = nullptr;
  std::wstring commandLine;
};

Started Start(const fs::path& program, const std::wstring& arguments, fs::path folder = {}) {
  if (folder.empty()) folder = program.parent_path();
  Started started;
  started.commandLine = L"\"" + program.wstring() + L"\" " + arguments;
  std::wstring mutableLine = started.commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessW(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     folder.c_str(), &startup, &info)) {
    CloseHandle(info.hThread);
    started.process = info.hProcess;
  }
  return started;
}

DWORD ExitCode(HANDLE process, DWORD waitMilliseconds = 10000) {
  WaitForSingleObject(process, waitMilliseconds);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  return code;
}

ULONGLONG ExitTime(HANDLE process) {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  return (static_cast<ULONGLONG>(exited.dwHighDateTime) << 32) | exited.dwLowDateTime;
}

TEST(UpdaterProcesses, EndsOtherCopiesByExactNameTheOldBuildFirst) {
  test::TempFolder folder;
  fs::create_directories(folder / "second");
  for (const fs::path& copy : {folder / "Vantor.exe", folder / "second" / "Vantor.exe",
                               folder / "Vantor.exe.old", folder / "Renamed.exe"}) {
    fs::copy_file(Helper(), copy);
  }
  const Started first = Start(folder / "Vantor.exe", L"sleep");
  const Started second = Start(folder / "second" / "Vantor.exe", L"sleep");
  const Started old = Start(folder / "Vantor.exe.old", L"sleep");
  const Started renamed = Start(folder / "Renamed.exe", L"sleep");
  for (HANDLE h : {first.process, second.process, old.process, renamed.process})
    ASSERT_NE(h, nullptr);
  Sleep(300);  // let them appear in the process list

  WindowsUpdaterPlatform platform;
  platform.EndOtherProcessesNamed(L"Vantor.exe.old");
  platform.EndOtherProcessesNamed(L"Vantor.exe");

  EXPECT_EQ(ExitCode(first.process), 9u);
  EXPECT_EQ(ExitCode(second.process), 9u);
  EXPECT_EQ(ExitCode(old.process), 9u);
  EXPECT_LE(ExitTime(old.process), ExitTime(first.process));
  EXPECT_LE(ExitTime(old.process), ExitTime(second.process));
  // Another file name is not touched, and neither is the caller.
  EXPECT_EQ(WaitForSingleObject(renamed.process, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  TerminateProcess(renamed.process, 0);
  for (HANDLE h : {first.process, second.process, old.process, renamed.process}) {
    WaitForSingleObject(h, 5000);
    CloseHandle(h);
  }
}

TEST(UpdaterProcesses, RestartRunsTheProgramWithTheSameCommandLine) {
  test::TempFolder folder;
  fs::copy_file(Helper(), folder / "starter.exe");
  fs::copy_file(Helper(), folder / "Vantor.exe");
  const Started starter = Start(folder / "starter.exe", L"restart --steam \"two words\"");
  ASSERT_NE(starter.process, nullptr);
  EXPECT_EQ(ExitCode(starter.process), 0u);
  CloseHandle(starter.process);
  for (int waited = 0; waited < 10000 && !fs::exists(folder / "restarted.txt"); waited += 50) {
    Sleep(50);
  }
  Sleep(100);
  EXPECT_EQ(test::ReadBytes(folder / "restarted.txt"),
            "\"" + (folder / "starter.exe").string() + "\" restart --steam \"two words\"");
}

// The running program's file waits for a process that does not run from it.
TEST(UpdaterProcesses, TheRunningProgramIsReplacedOnceItEnded) {
  test::TempFolder folder;
  fs::copy_file(Helper(), folder / "Vantor.exe");
  const Started running = Start(folder / "Vantor.exe", L"sleep");
  ASSERT_NE(running.process, nullptr);
  Sleep(200);

  test::ZipWriter zip;
  zip.Add("Vantor.exe", "new build");
  zip.Add("data.bin", "new data");
  zip.WriteTo(folder / "update.zip");
  const InstallReport report = InstallArchive(folder / "update.zip", folder.path(), L"Vantor.exe");
  EXPECT_TRUE(report.programPending);
  EXPECT_EQ(test::ReadBytes(folder / "data.bin"), "new data");
  EXPECT_NE(test::ReadBytes(folder / "Vantor.exe"), "new build");

  TerminateProcess(running.process, 0);
  WaitForSingleObject(running.process, 5000);
  CloseHandle(running.process);
  EXPECT_EQ(RecoverInterruptedInstall(folder.path()).outcome, InstallRecovery::Outcome::Finished);
  EXPECT_EQ(test::ReadBytes(folder / "Vantor.exe"), "new build");
  EXPECT_FALSE(fs::exists(folder / "update.journal"));
}

// The helper as the program, and the update it serves itself: a new
// program and data; returns the new program's bytes.
std::string ServeUpdateOfTheProgram(const fs::path& folder) {
  fs::copy_file(Helper(), folder / "Vantor.exe");
  const std::string newProgram = test::ReadBytes(Helper()) + "new build";
  test::ZipWriter zip;
  zip.Add("Vantor.exe", newProgram);
  zip.Add("data.bin", "new data");
  zip.WriteTo(folder / "served.zip");
  return newProgram;
}

// The command line of every start of the updated program, once one came.
std::string WaitForTheRestartedProgram(const fs::path& folder) {
  for (int waited = 0; waited < 20000 && !fs::exists(folder / "restarted.txt"); waited += 50) {
    Sleep(50);
  }
  Sleep(300);
  return test::ReadBytes(folder / "restarted.txt");
}

// The whole way: the program installs, hands its file to the finisher in
// staging and ends; the finisher puts it in and starts the new program with
// the player's arguments, whose start leaves nothing of the update behind.
TEST(UpdaterProcesses, TheFinisherPutsTheProgramInAndStartsIt) {
  test::TempFolder folder;
  const std::string newProgram = ServeUpdateOfTheProgram(folder.path());
  test::WriteBytes(folder / "data.bin", "old data");
  const Started program = Start(folder / "Vantor.exe", L"update --steam");
  ASSERT_NE(program.process, nullptr);
  EXPECT_EQ(ExitCode(program.process), 0u);
  CloseHandle(program.process);
  EXPECT_EQ(WaitForTheRestartedProgram(folder.path()),
            "\"" + (folder / "Vantor.exe").string() + "\" update --steam");
  EXPECT_EQ(test::ReadBytes(folder / "Vantor.exe"), newProgram);
  EXPECT_EQ(test::ReadBytes(folder / "data.bin"), "new data");
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names, (std::set<std::string>{"Vantor.exe", "Vantor.log", "data.bin", "restarted.txt"}))
      << test::ReadBytes(folder / "Vantor.log");
}

// A second start while the update is handed to the finisher, and while the
// finisher cannot yet replace the program file (here a handle that denies
// it, as the second start's own mapping would): the second start steps
// aside, and the new program runs once.
TEST(UpdaterProcesses, ASecondStartDuringTheHandOffStepsAside) {
  test::TempFolder folder;
  const std::string newProgram = ServeUpdateOfTheProgram(folder.path());
  const Started first = Start(folder / "Vantor.exe", L"update");
  ASSERT_NE(first.process, nullptr);
  const fs::path finisher = folder / "update.staging" / "Vantor.finish.exe";
  for (int waited = 0; waited < 20000 && !fs::exists(finisher); waited += 5) Sleep(5);
  HANDLE held = CreateFileW((folder / "Vantor.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  const Started second = Start(folder / "Vantor.exe", L"update");
  ASSERT_NE(second.process, nullptr);
  EXPECT_EQ(ExitCode(second.process), 5u);
  CloseHandle(second.process);
  CloseHandle(held);
  EXPECT_EQ(ExitCode(first.process), 0u);
  CloseHandle(first.process);
  EXPECT_EQ(WaitForTheRestartedProgram(folder.path()),
            "\"" + (folder / "Vantor.exe").string() + "\" update")
      << test::ReadBytes(folder / "Vantor.log");
  EXPECT_EQ(test::ReadBytes(folder / "Vantor.exe"), newProgram);
  for (const char* gone : {"update.journal", "update.journal.failed", "update.staging"}) {
    EXPECT_FALSE(fs::exists(folder / gone)) << gone;
  }
}

// However the folder is spelled (case, separators, its 8.3 name, another
// drive letter for it), one lock.
TEST(UpdaterProcesses, OneInstallationLockPerFolderHoweverSpelled) {
  const fs::path driveT = L"T:\\";
  ASSERT_TRUE(fs::is_directory(driveT)) << "drive T: is not mapped";
  fs::remove_all(driveT / "Vantor Client Folder");
  fs::create_directories(driveT / "Vantor Client Folder");
  const std::wstring name = InstallLockNameFor(driveT / "Vantor Client Folder");
  // The same folder through the drive that holds the build (test.sh maps T:
  // to build/wine-drive-t).
  const fs::path build = fs::path(GetExecutableFolder()).parent_path().parent_path();
  std::vector<std::wstring> spellings = {
      L"t:\\vantor client folder", L"T:/Vantor Client Folder/",
      (build / L"wine-drive-t" / L"Vantor Client Folder").wstring()};
  wchar_t shortName[MAX_PATH] = {};
  const DWORD length =
      GetShortPathNameW((driveT / "Vantor Client Folder").c_str(), shortName, MAX_PATH);
  if (length > 0 && length < MAX_PATH && std::wstring(shortName).find(L'~') != std::wstring::npos) {
    spellings.push_back(shortName);
  }
  for (const std::wstring& spelling : spellings) {
    EXPECT_EQ(InstallLockNameFor(spelling), name) << WideToUtf8(spelling);
  }
  EXPECT_NE(InstallLockNameFor(build), name);
  fs::remove_all(driveT / "Vantor Client Folder");
}

// "T:" alone is the current folder of drive T:, so the program at its root
// must work in "T:\\" and leave the current folder alone. The test command
// maps T: to an empty folder of the build.
TEST(UpdaterProcesses, AProgramAtADriveRootLeavesTheCurrentFolderAlone) {
  const fs::path root = L"T:\\";
  ASSERT_TRUE(fs::is_directory(root)) << "drive T: is not mapped";
  for (const char* name : {"current", "Vantor.exe", "Vantor.log"}) fs::remove_all(root / name);
  fs::create_directories(root / "current" / "update.staging");
  for (const char* name : {"update.zip", "notes.txt", "notes.txt.old"}) {
    test::WriteBytes(root / "current" / name, "mine");
  }
  fs::copy_file(Helper(), root / "Vantor.exe");
  const Started program = Start(root / "Vantor.exe", L"start", root / "current");
  ASSERT_NE(program.process, nullptr);
  EXPECT_EQ(ExitCode(program.process), 0u);
  CloseHandle(program.process);
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(root / "current")) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names,
            (std::set<std::string>{"notes.txt", "notes.txt.old", "update.staging", "update.zip"}));
  EXPECT_TRUE(fs::exists(root / "Vantor.log"));
}

// A real installation of many files ended by TerminateProcess in the middle
// of its renames; the next start leaves one whole release and nothing else.
TEST(UpdaterProcesses, AnInstallationKilledMidwayIsWholeAfterTheNextStart) {
  test::TempFolder folder;
  test::ZipWriter zip;
  std::map<std::string, std::string> oldRelease, newRelease;
  for (int i = 0; i < 40; ++i) {
    const std::string name = "file" + std::to_string(i) + ".bin";
    test::WriteBytes(folder / name, "old " + name);
    oldRelease[name] = "old " + name;
    newRelease[name] = "new " + name;
    zip.Add(name, "new " + name);
  }
  zip.WriteTo(folder / "update.zip");
  fs::copy_file(Helper(), folder / "installer.exe");
  fs::copy_file(Helper(), folder / "starter.exe");

  const Started installer = Start(folder / "installer.exe", L"install-slowly");
  ASSERT_NE(installer.process, nullptr);
  const auto keptCopies = [&] {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder.path())) {
      count += entry.path().extension() == ".old";
    }
    return count;
  };
  for (int waited = 0; waited < 20000 && keptCopies() < 10; waited += 10) Sleep(10);
  ASSERT_GE(keptCopies(), 10);
  TerminateProcess(installer.process, 1);
  WaitForSingleObject(installer.process, 5000);
  CloseHandle(installer.process);

  const Started starter = Start(folder / "starter.exe", L"start");
  ASSERT_NE(starter.process, nullptr);
  EXPECT_EQ(ExitCode(starter.process), 0u);
  CloseHandle(starter.process);

  std::map<std::string, std::string> after;
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    const std::string name = entry.path().filename().string();
    if (name != "installer.exe" && name != "starter.exe" && name != "Vantor.log") {
      after[name] = test::ReadBytes(entry.path());
    }
  }
  // The journal was there: the start finished the update.
  EXPECT_EQ(after, newRelease) << test::ReadBytes(folder / "Vantor.log");
}

}  // namespace
}  // namespace vantor
