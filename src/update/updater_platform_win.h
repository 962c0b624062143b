#pragma once

#include "update/updater.h"

namespace vantor {

// Processes, downloads and the restart, with the real Windows calls.
class WindowsUpdaterPlatform final : public UpdaterPlatform {
 public:
  void EndOtherProcessesNamed(const std::wstring& exeName) override;
  bool Download(const std::string& url, const std::filesystem::path& file) override;
  void Restart(const std::filesystem::path& program) override;
};

}  // namespace vantor
