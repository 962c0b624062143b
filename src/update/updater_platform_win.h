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
  bool LockInstallation(const std::filesystem::path& folder) override;
  void UnlockInstallation() override;
  bool HandOffToFinisher(const std::filesystem::path& folder) override;

 private:
  OpenProcessCall openProcess_;
  HANDLE installLock_ = nullptr;
  bool lockOwned_ = false;
};

// Starts `program` with these arguments after its quoted path, in the
// current folder; false when it cannot be started.
bool StartProgram(const std::filesystem::path& program, std::wstring_view arguments);

}  // namespace vantor
