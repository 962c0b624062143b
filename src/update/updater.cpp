#include "update/updater.h"

#include <httplib.h>

#include "common/constants.h"
#include "common/log.h"
#include "common/version.h"
#include "update/archive_install.h"
#include "update/install_layout.h"
#include "update/interrupted_install.h"
#include "update/leftovers.h"
#include "update/update_offer.h"

namespace vantor {

Updater::Updater(UpdaterPlatform& platform, std::filesystem::path programFolder,
                 UpdateServer server)
    : version(kVersion),
      platform_(platform),
      folder_(std::move(programFolder)),
      server_(std::move(server)) {
  // The previous build first, then every other instance: the newest start wins.
  platform_.EndOtherProcessesNamed(kKeptProgramFileName);
  platform_.EndOtherProcessesNamed(kProgramFileName);
  updateZipPath = folder_ / kUpdateArchiveName;
  // An update that a crash broke off is finished or undone before the
  // clean-up could take a kept copy it still needs.
  const InstallRecovery recovery = RecoverInterruptedInstall(folder_);
  for (const std::string& line : recovery.log) applog::Write(line);
  RemoveUpdateLeftovers(folder_);  // what stays locked goes at a later start
  // This process runs the program file the recovery moved away: start the
  // one now in place, so the player runs what is installed.
  if (recovery.programMoved) platform_.Restart(folder_ / kProgramFileName);
}

bool Updater::CheckForUpdate() {
  try {
    httplib::Client client(server_.baseUrl);
    client.set_connection_timeout(10, 0);
    client.enable_server_certificate_verification(true);
    if (!server_.caCertFile.empty()) client.set_ca_cert_path(server_.caCertFile.c_str());
    const httplib::Result result = client.Get(UpdateRequestPath(version).c_str());
    if (!result) {
      applog::Write("update check: no answer from " + server_.baseUrl + " (" +
                    httplib::to_string(result.error()) + ")");
      return false;
    }
    const UpdateAnswer answer = ReadUpdateAnswer(result->status, result->body);
    if (!answer.offer) {
      applog::Write("update check: no update: " + answer.whyNot);
      return false;
    }
    downloadUrl = answer.offer->url;
    expectedSha256 = answer.offer->sha256;
    applog::Write("update check: offered " + downloadUrl +
                  (expectedSha256.empty() ? " (no digest named)" : " with its SHA-256"));
    return true;
  } catch (const std::exception&) {
    applog::Write("update check: " + server_.baseUrl + " is not a usable address");
    return false;  // a bad base URL or no memory: no update, start-up goes on
  }
}

// Why the downloaded archive must not be installed, or empty.
std::string Updater::RefuseDownload(const DownloadResult& result) const {
  std::error_code error;
  const auto size = std::filesystem::file_size(updateZipPath, error);
  std::string problem = DownloadProblem(result, error ? 0 : size);
  if (!problem.empty() || expectedSha256.empty()) return problem;
  const std::string digest = FileSha256(updateZipPath);
  if (digest != expectedSha256) {
    return "its SHA-256 is " + (digest.empty() ? std::string("unreadable") : digest) +
           ", the server named " + expectedSha256;
  }
  return {};
}

void Updater::InstallUpdate() {
  try {
    DownloadAndInstall();
  } catch (const std::exception& e) {
    // The installation itself never throws; this is the download's check.
    applog::Write(std::string("update: stopped by an error (") + e.what() +
                  "); nothing was replaced");
  } catch (...) {
    applog::Write("update: stopped by an unknown error; nothing was replaced");
  }
  platform_.Restart(folder_ / kProgramFileName);
}

void Updater::DownloadAndInstall() {
  std::error_code ignored;
  std::filesystem::remove(updateZipPath, ignored);
  if (downloadUrl.empty()) {
    applog::Write("update: nothing was offered to install");
  } else if (const std::string refused =
                 RefuseDownload(platform_.Download(downloadUrl, updateZipPath));
             !refused.empty()) {
    applog::Write("update: " + downloadUrl + " does not count: " + refused +
                  "; nothing was replaced");
    std::filesystem::remove(updateZipPath, ignored);
  } else {
    for (const std::string& line : InstallArchive(updateZipPath, folder_).log) applog::Write(line);
  }
}

}  // namespace vantor
