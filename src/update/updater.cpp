#include "update/updater.h"

#include <httplib.h>

#include <chrono>
#include <thread>

#include "common/constants.h"
#include "common/files.h"
#include "common/log.h"
#include "common/version.h"
#include "update/archive_install.h"
#include "update/install_layout.h"
#include "update/interrupted_install.h"
#include "update/leftovers.h"
#include "update/update_offer.h"

namespace vantor {

namespace fs = std::filesystem;

Updater::Updater(UpdaterPlatform& platform, std::filesystem::path programFolder,
                 UpdateServer server)
    : version(kVersion),
      platform_(platform),
      folder_(std::move(programFolder)),
      server_(std::move(server)) {
  updateZipPath = folder_ / kUpdateArchiveName;
  // An update being put in place is neither waited for (this process would
  // hold the program file the finisher must replace) nor ended.
  if (!TakeFolder()) {
    anotherStartIsUpdating = true;
    applog::Write(
        "update: another start is putting an update in place (or holds the folder); this start "
        "ends and leaves bringing up the game to it");
    return;
  }
  // The previous build, then every other instance: the newest start wins.
  platform_.EndOtherProcessesNamed(kKeptProgramFileName);
  platform_.EndOtherProcessesNamed(kProgramFileName);
  if (Recover()) return;  // only in tests: the finisher has taken over
  // What stays locked goes at a later start.
  RemoveUpdateLeftovers(folder_);
  platform_.UnlockInstallation();
}

bool Updater::TakeFolder() {
  // A finisher between taking over and taking the lock, or between letting
  // it go and ending, holds no lock: wait for it to take the lock (then
  // step aside) or to end. Bounded: it waits 30 s at most for its parent.
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(40);
  while (true) {
    if (!platform_.TryLockInstallation(folder_)) return false;
    if (!platform_.FinisherRunning(folder_)) return true;
    if (std::chrono::steady_clock::now() > giveUp) {
      applog::Write("update: the program finishing an update does not end; going on");
      return true;
    }
    platform_.UnlockInstallation();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

// An update that a crash broke off is finished or undone before the
// clean-up could take a kept copy it still needs.
bool Updater::Recover() {
  InstallRecovery recovery = RecoverInterruptedInstall(folder_, kProgramFileName);
  for (const std::string& line : recovery.log) applog::Write(line);
  if (recovery.outcome == InstallRecovery::Outcome::HandOff) {
    if (platform_.HandOffToFinisher(folder_)) return true;
    applog::Write("update: the program that finishes an update cannot be started");
    // Counted: this time the update is undone instead.
    recovery = RecoverInterruptedInstall(folder_, kProgramFileName);
    for (const std::string& line : recovery.log) applog::Write(line);
  }
  if (recovery.outcome == InstallRecovery::Outcome::SetAside) lastUpdateIncomplete = true;
  if (recovery.outcome == InstallRecovery::Outcome::Undone) lastUpdateUndone = true;
  return false;
}

UpdateCheckOutcome AskUpdateServer(const UpdateServer& server, const std::string& version) {
  UpdateCheckOutcome outcome;
  try {
    httplib::Client client(server.baseUrl);
    client.set_connection_timeout(10, 0);
    // What the update server has always been sent, whatever the library's version.
    client.set_default_headers({{"User-Agent", kUpdateCheckUserAgent}});
    client.enable_server_certificate_verification(true);
    if (!server.caCertFile.empty()) client.set_ca_cert_path(server.caCertFile.c_str());
    const httplib::Result result = client.Get(UpdateRequestPath(version).c_str());
    if (!result) {
      outcome.logLine = "update check: no answer from " + server.baseUrl + " (" +
                        httplib::to_string(result.error()) + ")";
      return outcome;
    }
    const UpdateAnswer answer = ReadUpdateAnswer(result->status, result->body);
    outcome.offer = answer.offer;
    outcome.logLine = answer.offer ? "update check: offered " + answer.offer->url +
                                         (answer.offer->sha256.empty() ? " (no digest named)"
                                                                       : " with its SHA-256")
                                   : "update check: no update: " + answer.whyNot;
  } catch (const std::exception&) {
    // A bad base URL or no memory: no update, start-up goes on.
    outcome.offer.reset();
    outcome.logLine = "update check: " + server.baseUrl + " is not a usable address";
  }
  return outcome;
}

bool Updater::TakeAnswer(const UpdateCheckOutcome& outcome) {
  applog::Write(outcome.logLine);
  if (!outcome.offer) return false;
  downloadUrl = outcome.offer->url;
  expectedSha256 = outcome.offer->sha256;
  return true;
}

// Why the downloaded archive must not be installed, or empty.
std::string Updater::RefuseDownload(const DownloadResult& result) const {
  const fs::path download = folder_ / kPartialDownloadName;
  std::error_code error;
  const auto size = std::filesystem::file_size(download, error);
  std::string problem = DownloadProblem(result, error ? 0 : size);
  if (!problem.empty() || expectedSha256.empty()) return problem;
  const std::string digest = FileSha256(download);
  if (digest != expectedSha256) {
    return "its SHA-256 is " + (digest.empty() ? std::string("unreadable") : digest) +
           ", the server named " + expectedSha256;
  }
  return {};
}

UpdateEnd Updater::InstallUpdate(DownloadProgress& progress) {
  UpdateEnd end;
  try {
    end = DownloadAndInstall(progress);
  } catch (const std::exception& e) {
    // The installation itself never throws; this is the download's check.
    applog::Write(std::string("update: stopped by an error (") + e.what() +
                  "); nothing was replaced");
    end = {UpdateEnd::Kind::NotInstalled, "an error stopped it"};
  } catch (...) {
    applog::Write("update: stopped by an unknown error; nothing was replaced");
    end = {UpdateEnd::Kind::NotInstalled, "an error stopped it"};
  }
  if (end.kind == UpdateEnd::Kind::Restarting) platform_.Restart(folder_ / kProgramFileName);
  return end;
}

UpdateEnd Updater::Cancelled(const fs::path& download) {
  std::error_code ignored;
  fs::remove(download, ignored);
  applog::Write("update: the player cancelled the download; nothing was replaced");
  return {UpdateEnd::Kind::Cancelled, {}};
}

UpdateEnd Updater::DownloadAndInstall(DownloadProgress& progress) {
  using Kind = UpdateEnd::Kind;
  // The transfer writes a name of its own, which this thread removes
  // whenever the archive does not count: a cancelled transfer that stalls
  // leaves no update.zip behind.
  const fs::path download = folder_ / kPartialDownloadName;
  std::error_code ignored;
  fs::remove(updateZipPath, ignored);
  fs::remove(download, ignored);
  if (downloadUrl.empty()) {
    applog::Write("update: nothing was offered to install");
    return {Kind::NotInstalled, "nothing was offered"};
  }
  const DownloadResult result = platform_.Download(downloadUrl, download, progress);
  if (progress.Cancelled()) return Cancelled(download);
  if (const std::string refused = RefuseDownload(result); !refused.empty()) {
    applog::Write("update: " + downloadUrl + " does not count: " + refused +
                  "; nothing was replaced");
    fs::remove(download, ignored);
    return {Kind::NotInstalled, !result.completed ? "the download did not complete"
                                : result.status != 200
                                    ? "the update server answered with an error"
                                    : "the download arrived incomplete or damaged"};
  }
  // From here on the player's Cancel is refused; one that came first wins.
  if (!progress.BeginInstalling()) return Cancelled(download);
  if (progress.onInstalling) progress.onInstalling();
  if (!RenameDurably(download, updateZipPath, true)) {
    applog::Write("update: the download cannot be renamed to update.zip; nothing was replaced");
    fs::remove(download, ignored);
    return {Kind::NotInstalled, "its files could not be put in place"};
  }
  platform_.LockInstallation(folder_);  // held until the next program starts
  const InstallReport report = InstallArchive(updateZipPath, folder_, kProgramFileName);
  for (const std::string& line : report.log) applog::Write(line);
  // The program file waits for this process to end: the finisher takes it
  // (and restarts), or else the update is undone.
  if (report.programPending && Recover()) return {Kind::HandedOff, {}};
  // Let go before the next program starts, so that its start finds the
  // folder free.
  platform_.UnlockInstallation();
  if (report.installed.empty() || report.programPending) {
    return {Kind::NotInstalled, report.rolledBack || report.programPending
                                    ? "its files could not be put in place, and the previous "
                                      "version was put back"
                                    : "its files could not be put in place"};
  }
  return {Kind::Restarting, {}};
}

}  // namespace vantor
