#include "update/finisher_win.h"

#include <windows.h>

#include <filesystem>

#include "common/files.h"
#include "common/log.h"
#include "update/install_layout.h"
#include "update/interrupted_install.h"
#include "update/updater_platform_win.h"

namespace vantor {

namespace fs = std::filesystem;

namespace {

// How long the program that handed over may take to end.
constexpr DWORD kParentWaitMilliseconds = 30000;

// The installation's file calls, patient with a program file that Windows
// still holds for a moment after its process ended, and leaving this
// process's own file in staging for the program's next start to remove.
class FinisherFiles final : public InstallFiles {
 public:
  explicit FinisherFiles(fs::path self) : self_(std::move(self)) {}
  bool Replace(const fs::path& from, const fs::path& to) override {
    for (int attempt = 0; attempt < 50; ++attempt) {
      if (InstallFiles::Replace(from, to)) return true;
      Sleep(100);
    }
    return false;
  }
  bool RemoveFolder(const fs::path& folder) override {
    std::error_code error;
    if (fs::equivalent(folder, self_.parent_path(), error)) {
      bool removed = true;
      for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (fs::equivalent(entry.path(), self_, error)) continue;
        removed = (entry.is_directory(error) ? InstallFiles::RemoveFolder(entry.path())
                                             : Remove(entry.path())) &&
                  removed;
      }
      return removed && !error;
    }
    return InstallFiles::RemoveFolder(folder);
  }

 private:
  fs::path self_;
};

}  // namespace

int RunFinisher(const FinishRequest& request, void (*tellPlayer)(InstallRecovery::Outcome)) {
  const fs::path self = fs::path(GetExecutableFolder()) / kFinisherFileName;
  const fs::path folder = self.parent_path().parent_path();
  applog::Open({folder});
  applog::Write("Vantor finishing an update");
  if (HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, request.parentId)) {
    if (WaitForSingleObject(parent, kParentWaitMilliseconds) != WAIT_OBJECT_0) {
      applog::Write("update: the program that handed over still runs; going on");
    }
    CloseHandle(parent);
  }
  // Held until this process ends, so that the program's start waits for it.
  WindowsUpdaterPlatform platform;
  platform.LockInstallation(folder);
  FinisherFiles files(self);
  const InstallRecovery recovery = RecoverInterruptedInstall(folder, files);
  for (const std::string& line : recovery.log) applog::Write(line);
  if (recovery.outcome == InstallRecovery::Outcome::SetAside ||
      recovery.outcome == InstallRecovery::Outcome::Undone) {
    tellPlayer(recovery.outcome);
  }
  // Let go before the program starts, so that its start finds the folder
  // free (it waits a moment for this process to end).
  platform.UnlockInstallation();
  if (!StartProgram(folder / kProgramFileName, request.programArguments, folder)) {
    applog::Failure("Starting the updated program", GetLastError(), "the player starts it");
  }
  applog::Write("Vantor ending with code 0");
  ExitProcess(0);
}

}  // namespace vantor
