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
#include "update/finish_request.h"
#include "update/install_layout.h"
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

bool StillVantor(HANDLE process) {
  std::wstring image(32768, L'\0');
  DWORD length = static_cast<DWORD>(image.size());
  if (!QueryFullProcessImageNameW(process, 0, image.data(), &length)) return false;
  image.resize(length);
  return IsVantorImage(image);
}

// How long to wait for an ended process to let go of its files.
constexpr DWORD kExitWaitMilliseconds = 5000;
// How long a start waits for another process's installation: moving files
// on the local disk, never a download.
constexpr DWORD kInstallWaitMilliseconds = 60000;

// One name per program folder, as Windows compares paths: without case. The
// hash is FNV-1a, the same in every build, old and new alike.
std::wstring InstallLockName(const std::filesystem::path& folder) {
  std::wstring key = folder.lexically_normal().wstring();
  CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
  std::uint64_t hash = 14695981039346656037ull;
  for (wchar_t c : key) hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
  std::wstring name = L"Local\\Vantor.install.";
  for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 0xF];
  return name;
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

bool WindowsUpdaterPlatform::LockInstallation(const std::filesystem::path& folder) {
  if (installLock_ == nullptr) {
    installLock_ = CreateMutexW(nullptr, FALSE, InstallLockName(folder).c_str());
    if (installLock_ == nullptr) {
      applog::Failure("Creating the installation lock", GetLastError(), "going on without it");
      return false;
    }
  }
  DWORD state = WaitForSingleObject(installLock_, 0);
  const bool waited = state == WAIT_TIMEOUT;
  if (waited) {
    applog::Write("update: another start is installing; waiting for it");
    state = WaitForSingleObject(installLock_, kInstallWaitMilliseconds);
  }
  lockOwned_ = state == WAIT_OBJECT_0 || state == WAIT_ABANDONED;
  if (!lockOwned_) applog::Write("update: the other installation still runs; going on");
  return waited;
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
  if (!StartProgram(finisher, FinisherArguments(request))) {
    applog::Failure("Starting the program that finishes the update", GetLastError(), "undoing it");
    return false;
  }
  applog::Write("update: the finisher takes over; this process ends");
  ExitProcess(0);
}

bool StartProgram(const std::filesystem::path& program, std::wstring_view arguments) {
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  if (!arguments.empty()) commandLine += L" " + std::wstring(arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &started)) {
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
