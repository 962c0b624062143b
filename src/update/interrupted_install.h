#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "update/install_files.h"

namespace vantor {

// What the start found of an installation that a crash or a kill broke off.
struct InstallRecovery {
  bool programMoved = false;     // Vantor.exe itself was renamed
  std::vector<std::string> log;  // lines for Vantor.log
};

// Run at every start, before the clean-up: when "update.journal" is still in
// `folder`, the installation it names is finished (every new file not yet in
// place still waits in staging) or else undone from the kept copies; then the
// journal and the staging folder go. When neither can be completed (a file
// still locked) the journal stays for the next start; the clean-up then
// keeps the kept copies. Never throws.
InstallRecovery RecoverInterruptedInstall(const std::filesystem::path& folder);
InstallRecovery RecoverInterruptedInstall(const std::filesystem::path& folder, InstallFiles& files);

}  // namespace vantor
