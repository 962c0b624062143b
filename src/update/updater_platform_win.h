#pragma once

#include <windows.h>

#include "update/updater.h"

namespace vantor {

// Processes, downloads and the restart, with the real Windows calls.
class WindowsUpdaterPlatform final : public UpdaterPlatform {
 public:
  // OpenProcess, or a test's stand-in for it that refuses some rights.
  using OpenProcessCall = HANDLE(WINAPI*)(DWORD access, BOOL inherit, DWORD processId);
  explicit WindowsUpdaterPlatform(OpenProcessCall openProcess = &OpenProcess)
      : openProcess_(openProcess) {}

  ~WindowsUpdaterPlatform() override { UnlockInstallation(); }
  WindowsUpdaterPlatform(const WindowsUpdaterPlatform&) = delete;
  WindowsUpdaterPlatform& operator=(const WindowsUpdaterPlatform&) = delete;

  void EndOtherProcessesNamed(const std::wstring& exeName) override;
  DownloadResult Download(const std::string& url, const std::filesystem::path& file,
                          DownloadProgress& progress) override;
  void Restart(const std::filesystem::path& program) override;
  // A named mutex per program folder; an owner that ended lets it go.
  bool TryLockInstallation(const std::filesystem::path& folder) override;
  void LockInstallation(const std::filesystem::path& folder) override;
  void UnlockInstallation() override;
  // A process running this folder's "update.staging\Vantor.finish.exe".
  bool FinisherRunning(const std::filesystem::path& folder) override;
  bool HandOffToFinisher(const std::filesystem::path& folder) override;

 private:
  bool Lock(const std::filesystem::path& folder, DWORD milliseconds);

  OpenProcessCall openProcess_;
  HANDLE installLock_ = nullptr;
  bool lockOwned_ = false;
};

// Starts `program` with these arguments after its quoted path, in
// `workingFolder` (empty: the current folder); false when it cannot be started.
bool StartProgram(const std::filesystem::path& program, std::wstring_view arguments,
                  const std::filesystem::path& workingFolder = {});

// The installation lock's name for a folder, from its final path.
std::wstring InstallLockNameFor(const std::filesystem::path& folder);

}  // namespace vantor
