#pragma once

#include <filesystem>
#include <string>

#include "update/download_check.h"

namespace vantor {

// URLDownloadToFileW with a binding callback that reads what the server
// answered: its status and announced length. The call alone reports success
// for an error page or a transfer cut short.
DownloadResult DownloadWithUrlMon(const std::string& url, const std::filesystem::path& file);

}  // namespace vantor
