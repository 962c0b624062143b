#include "update/updater_platform_win.h"

// windows.h first: tlhelp32.h builds on it.
#include <windows.h>
// clang-format off
#include <tlhelp32.h>
// clang-format on

#include <cstdint>
#include <vector>

#include "common/files.h"
#include "common/log.h"
#include "common/text.h"
#include "update/finish_request.h"
#include "update/install_layout.h"
#include "update/install_lock_name.h"
#include "update/process_selection.h"
#include "update/url_download_win.h"

namespace vantor {

namespace {

std::vector<RunningProcess> SnapshotProcesses() {
  std::vector<RunningProcess> running;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return running;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    running.push_back({entry.th32ProcessID, entry.szExeFile});
  }
  CloseHandle(snapshot);
  return running;
}

// Ending a process, and reading which program it runs.
constexpr DWORD kEndRights = PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION;

// The full path of the program an opened process runs; empty when unknown.
std::wstring ImagePath(HANDLE process) {
  std::wstring image(32768, L'\0');
  DWORD length = static_cast<DWORD>(image.size());
  if (!QueryFullProcessImageNameW(process, 0, image.data(), &length)) return {};
  image.resize(length);
  return image;
}

bool StillVantor(HANDLE process) { return IsVantorImage(ImagePath(process)); }

// How long to wait for an ended process to let go of its files.
constexpr DWORD kExitWaitMilliseconds = 5000;
// How long a start waits for another process's installation: moving files
// on the local disk, never a download.
constexpr DWORD kInstallWaitMilliseconds = 60000;

// The path the file system gives the folder: its long name, on the drive
// letter Windows names for its volume.
std::optional<std::wstring> FinalFolderPath(const std::filesystem::path& folder) {
  HANDLE handle = CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  std::wstring path(32768, L'\0');
  const DWORD length = GetFinalPathNameByHandleW(
      handle, path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  CloseHandle(handle);
  if (length == 0 || length >= path.size()) return std::nullopt;
  path.resize(length);
  return path;
}

}  // namespace

void WindowsUpdaterPlatform::EndOtherProcessesNamed(const std::wstring& exeName) {
  for (std::uint32_t id : ProcessesToEnd(SnapshotProcesses(), exeName, GetCurrentProcessId())) {
    bool canWait = true;
    HANDLE process = openProcess_(kEndRights | SYNCHRONIZE, FALSE, id);
    if (process == nullptr) {
      // Ending it matters more than waiting for it: its files may unlock late.
      canWait = false;
      process = openProcess_(kEndRights, FALSE, id);
    }
    if (process == nullptr) {
      applog::Failure("Opening another Vantor to end it", GetLastError(), "it keeps running");
      continue;
    }
    if (!StillVantor(process)) {
      applog::Write("update: process " + std::to_string(id) +
                    " is no longer a Vantor (its id was reused); it is left alone");
    } else if (!TerminateProcess(process, 9)) {
      applog::Failure("Ending another Vantor", GetLastError(), "it keeps running");
    } else if (canWait) {
      WaitForSingleObject(process, kExitWaitMilliseconds);
    } else {
      applog::Write("update: ended another Vantor without waiting for it (no right to wait)");
    }
    CloseHandle(process);
  }
}

DownloadResult WindowsUpdaterPlatform::Download(const std::string& url,
                                                const std::filesystem::path& file,
                                                DownloadProgress& progress) {
  return DownloadWithUrlMon(url, file, progress);
}

std::wstring InstallLockNameFor(const std::filesystem::path& folder) {
  return InstallLockName(folder, &FinalFolderPath);
}

bool WindowsUpdaterPlatform::Lock(const std::filesystem::path& folder, DWORD milliseconds) {
  if (lockOwned_) return true;
  if (installLock_ == nullptr) {
    installLock_ = CreateMutexW(nullptr, FALSE, InstallLockNameFor(folder).c_str());
    if (installLock_ == nullptr) {
      applog::Failure("Creating the installation lock", GetLastError(), "going on without it");
      return true;
    }
  }
  const DWORD state = WaitForSingleObject(installLock_, milliseconds);
  lockOwned_ = state == WAIT_OBJECT_0 || state == WAIT_ABANDONED;
  return lockOwned_;
}

bool WindowsUpdaterPlatform::TryLockInstallation(const std::filesystem::path& folder) {
  return Lock(folder, 0);
}

void WindowsUpdaterPlatform::LockInstallation(const std::filesystem::path& folder) {
  if (Lock(folder, 0)) return;
  applog::Write("update: another process is changing the program's folder; waiting for it");
  if (!Lock(folder, kInstallWaitMilliseconds)) {
    applog::Write("update: the other process still holds the folder; going on");
  }
}

bool WindowsUpdaterPlatform::FinisherRunning(const std::filesystem::path& folder) {
  // No finisher file, no finisher: most starts take no process snapshot here.
  const auto finisher = FileIdentity(folder / kUpdateStagingName / kFinisherFileName);
  if (!finisher) return false;
  for (const RunningProcess& process : SnapshotProcesses()) {
    if (!SameFileName(process.exeName, Utf8ToWide(kFinisherFileName))) continue;
    HANDLE opened = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.id);
    if (opened == nullptr) continue;
    const std::wstring image = ImagePath(opened);
    CloseHandle(opened);
    if (!image.empty() && FileIdentity(image) == finisher) return true;
  }
  return false;
}

void WindowsUpdaterPlatform::UnlockInstallation() {
  if (installLock_ == nullptr) return;
  if (lockOwned_) ReleaseMutex(installLock_);
  CloseHandle(installLock_);
  installLock_ = nullptr;
  lockOwned_ = false;
}

bool WindowsUpdaterPlatform::HandOffToFinisher(const std::filesystem::path& folder) {
  const std::filesystem::path finisher = folder / kUpdateStagingName / kFinisherFileName;
  const std::wstring own = GetExecutablePath();
  if (own.empty() || !CopyFileW(own.c_str(), finisher.c_str(), FALSE)) {
    applog::Failure("Copying the program to finish the update", GetLastError(), "undoing it");
    return false;
  }
  const FinishRequest request{GetCurrentProcessId(),
                              std::wstring(ArgumentsAfterProgram(GetCommandLineW()))};
  // Started in the program's folder, whatever folder the player started
  // from: it needs nothing beside it but the system's DLLs.
  if (!StartProgram(finisher, FinisherArguments(request), folder)) {
    applog::Failure("Starting the program that finishes the update", GetLastError(), "undoing it");
    return false;
  }
  applog::Write("update: the finisher takes over; this process ends");
  ExitProcess(0);
}

bool StartProgram(const std::filesystem::path& program, std::wstring_view arguments,
                  const std::filesystem::path& workingFolder) {
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  if (!arguments.empty()) commandLine += L" " + std::wstring(arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                      &started)) {
    return false;
  }
  CloseHandle(started.hProcess);
  CloseHandle(started.hThread);
  return true;
}

void WindowsUpdaterPlatform::Restart(const std::filesystem::path& program) {
  std::wstring commandLine = GetCommandLineW();  // CreateProcessW may write to it
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                 &startup, &started);
  if (started.hProcess) CloseHandle(started.hProcess);
  if (started.hThread) CloseHandle(started.hThread);
  ExitProcess(0);
}

}  // namespace vantor
