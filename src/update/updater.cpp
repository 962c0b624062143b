#include "update/updater.h"

#include "common/constants.h"
#include "common/files.h"

namespace vantor {

Updater::Updater() : version(kVersion) {
#ifdef _WIN32
  updateZipPath = GetExecutableFolderA() + "\\update.zip";
#else
  updateZipPath = GetExecutableFolderA() + "/update.zip";
#endif
}

// The update server is not wired in yet: no build is ever offered.
bool Updater::CheckForUpdate() { return false; }

void Updater::InstallUpdate() {}

}  // namespace vantor
