#include "update/updater_platform_win.h"

// windows.h first: tlhelp32.h builds on it.
#include <windows.h>
// clang-format off
#include <tlhelp32.h>
// clang-format on

#include <vector>

#include "common/log.h"
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
                                                const std::filesystem::path& file) {
  return DownloadWithUrlMon(url, file);
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
