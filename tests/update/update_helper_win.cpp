// A stand-in for the program in the updater's process tests. Copied under the
// names the updater looks for, it sleeps until ended, or plays the restart;
// or it installs "update.zip" slowly (to be killed midway), or plays the
// next start, which repairs the folder; or it updates itself from
// "served.zip" through the real finisher, and as the program started after
// that, records its command line; a start that steps aside for another's
// update ends with 5.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/files.h"
#include "common/log.h"
#include "common/text.h"
#include "update/archive_install.h"
#include "update/finish_request.h"
#include "update/finisher_win.h"
#include "update/updater_platform_win.h"

namespace {

// Real file operations, each rename a little late, so that a test can end
// the installation between any two.
class SlowFiles final : public vantor::InstallFiles {
 public:
  bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
    Sleep(50);
    return InstallFiles::Replace(from, to);
  }
};

// The start-up's updater work without the network: ends no one, restarts by
// writing "restart.txt".
class StartOnlyPlatform final : public vantor::UpdaterPlatform {
 public:
  void EndOtherProcessesNamed(const std::wstring&) override {}
  vantor::DownloadResult Download(const std::string&, const std::filesystem::path&,
                                  vantor::DownloadProgress&) override {
    return {};
  }
  void Restart(const std::filesystem::path& program) override {
    std::ofstream(program.parent_path() / L"restart.txt") << "restart";
  }
  bool HandOffToFinisher(const std::filesystem::path&) override { return false; }
};

// The real lock, hand-off and restart; the download is "served.zip" beside
// the program, moved into place.
class LocalUpdatePlatform final : public vantor::UpdaterPlatform {
 public:
  void EndOtherProcessesNamed(const std::wstring&) override {}
  vantor::DownloadResult Download(const std::string&, const std::filesystem::path& file,
                                  vantor::DownloadProgress&) override {
    std::filesystem::rename(file.parent_path() / L"served.zip", file);
    return {true, 0, 200, std::filesystem::file_size(file)};
  }
  void Restart(const std::filesystem::path& program) override { real.Restart(program); }
  bool TryLockInstallation(const std::filesystem::path& folder) override {
    return real.TryLockInstallation(folder);
  }
  void LockInstallation(const std::filesystem::path& folder) override {
    real.LockInstallation(folder);
  }
  void UnlockInstallation() override { real.UnlockInstallation(); }
  bool FinisherRunning(const std::filesystem::path& folder) override {
    return real.FinisherRunning(folder);
  }
  bool HandOffToFinisher(const std::filesystem::path& folder) override {
    return real.HandOffToFinisher(folder);
  }
  vantor::WindowsUpdaterPlatform real;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (const auto request =
          vantor::ReadFinishRequest(vantor::ArgumentsAfterProgram(GetCommandLineW()))) {
    return vantor::RunFinisher(*request, [](vantor::InstallRecovery::Outcome) {});
  }
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  const std::filesystem::path self = vantor::GetExecutableFolder();
  wchar_t own[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  const bool isProgram = std::filesystem::path(own).filename() == L"Vantor.exe";

  if (mode == L"sleep") {
    Sleep(60000);
    return 0;
  }
  if (mode == L"install-slowly") {
    SlowFiles files;
    return vantor::InstallArchive(self / L"update.zip", self, files).installed.empty() ? 1 : 0;
  }
  if (mode == L"start") {
    vantor::applog::Open({self});  // Vantor.log beside it, for a failing test to show
    StartOnlyPlatform platform;
    vantor::Updater updater(platform, self);
    return 0;
  }
  if (mode == L"update") {
    vantor::applog::Open({self});
    LocalUpdatePlatform platform;
    vantor::Updater updater(platform, self);
    if (updater.anotherStartIsUpdating) return 5;
    if (!std::filesystem::exists(self / L"served.zip")) {  // the program the update started
      std::ofstream(self / L"restarted.txt", std::ios::binary | std::ios::app)
          << vantor::WideToUtf8(GetCommandLineW());
      return 0;
    }
    updater.downloadUrl = "https://localhost/served.zip";
    updater.InstallUpdate();
    return 3;  // never reached: the finisher takes over
  }
  if (mode == L"restart" && isProgram) {
    // The restarted program: record the command line it was given.
    std::ofstream(self / L"restarted.txt", std::ios::binary)
        << vantor::WideToUtf8(GetCommandLineW());
    return 0;
  }
  if (mode == L"restart") {
    vantor::WindowsUpdaterPlatform().Restart(self / L"Vantor.exe");
    return 3;  // never reached: Restart ends the process
  }
  return 2;
}
