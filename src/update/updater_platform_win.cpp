#include "update/updater_platform_win.h"

// windows.h first: the other two headers build on it.
#include <windows.h>
// clang-format off
#include <tlhelp32.h>
#include <urlmon.h>
// clang-format on

#include <vector>

#include "common/text.h"
#include "update/process_selection.h"

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

// How long to wait for an ended process to let go of its files.
constexpr DWORD kExitWaitMilliseconds = 5000;

}  // namespace

void WindowsUpdaterPlatform::EndOtherProcessesNamed(const std::wstring& exeName) {
  for (std::uint32_t id : ProcessesToEnd(SnapshotProcesses(), exeName, GetCurrentProcessId())) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process == nullptr) continue;  // not ours to end
    if (TerminateProcess(process, 9)) WaitForSingleObject(process, kExitWaitMilliseconds);
    CloseHandle(process);
  }
}

bool WindowsUpdaterPlatform::Download(const std::string& url, const std::filesystem::path& file) {
  return SUCCEEDED(URLDownloadToFileW(nullptr, Utf8ToWide(url).c_str(), file.c_str(), 0, nullptr));
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
