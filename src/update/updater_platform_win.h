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

  void EndOtherProcessesNamed(const std::wstring& exeName) override;
  DownloadResult Download(const std::string& url, const std::filesystem::path& file) override;
  void Restart(const std::filesystem::path& program) override;

 private:
  OpenProcessCall openProcess_;
};

}  // namespace vantor
