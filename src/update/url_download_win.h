#pragma once

#include <filesystem>
#include <string>

#include "update/download_check.h"
#include "update/download_progress.h"

namespace vantor {

// URLDownloadToFileW with a binding callback that reads what the server
// answered: its status and announced length. The call alone reports success
// for an error page or a transfer cut short. The callback also reports the
// bytes as they arrive and aborts the transfer once the player cancelled.
DownloadResult DownloadWithUrlMon(const std::string& url, const std::filesystem::path& file,
                                  DownloadProgress& progress);

}  // namespace vantor
