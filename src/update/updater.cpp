#include "update/updater.h"

#include <httplib.h>

#include "common/constants.h"
#include "common/version.h"
#include "update/archive_install.h"
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
  RemoveUpdateLeftovers(folder_);  // what stays locked goes at a later start
}

bool Updater::CheckForUpdate() {
  try {
    httplib::Client client(server_.baseUrl);
    client.set_connection_timeout(10, 0);
    client.enable_server_certificate_verification(true);
    if (!server_.caCertFile.empty()) client.set_ca_cert_path(server_.caCertFile.c_str());
    const httplib::Result result = client.Get(UpdateRequestPath(version).c_str());
    if (!result) return false;
    const auto offer = UpdateOfferFrom(result->status, result->body);
    if (!offer) return false;
    downloadUrl = *offer;
    return true;
  } catch (const std::exception&) {
    return false;  // a bad base URL or no memory: no update, start-up goes on
  }
}

void Updater::InstallUpdate() {
  std::error_code ignored;
  std::filesystem::remove(updateZipPath, ignored);
  // A failed download replaces nothing; the program restarts as it was.
  if (!downloadUrl.empty() && platform_.Download(downloadUrl, updateZipPath)) {
    InstallArchive(updateZipPath, folder_);
  }
  platform_.Restart(folder_ / kProgramFileName);
}

}  // namespace vantor
