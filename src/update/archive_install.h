#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "update/install_files.h"

namespace vantor {

// What installing an update archive did.
struct InstallReport {
  std::vector<std::string> installed;  // entry names, only when all of them went in
  std::vector<std::string> skipped;    // unsafe names, folders, missing sub-folders
  std::vector<std::string> failed;     // what stopped the installation
  bool rolledBack = false;             // files had moved and were put back
  // Every file is in place but the running program's: the journal stays for
  // a process that does not run from it (RecoverInterruptedInstall).
  bool programPending = false;
  std::vector<std::string> log;  // what happened, a line each, for Vantor.log
};

// Installs the zip archive's file entries over the files of the same relative
// names in `folder`, all or nothing, and so that a crash at any instant leaves
// a folder the next start repairs (RecoverInterruptedInstall):
//   1. every entry is unpacked, its CRC checked, into "update.staging";
//   2. the journal names every file that is about to change, with the size
//      and SHA-256 of its old and new content;
//   3. each old file is kept as "<name>.old" and its new file takes its
//      place in one step, so that no file is ever missing; the file of
//      `runningProgram` (which this process cannot replace) is left pending;
//   4. the kept copies, the staging folder and then the journal are removed.
// When a step fails, what had moved is put back. An archive naming one file
// twice (as Windows compares names) installs nothing. Nothing is written
// outside `folder` and no folder is created: an entry whose name could lead
// elsewhere, names the updater's own files, or whose folder is missing or
// whose target is a folder, is skipped, and so is one that names the
// player's settings, log or browser data, or whose name is not UTF-8. Never
// throws.
InstallReport InstallArchive(const std::filesystem::path& archive,
                             const std::filesystem::path& folder,
                             std::wstring_view runningProgram = {});
InstallReport InstallArchive(const std::filesystem::path& archive,
                             const std::filesystem::path& folder, InstallFiles& files,
                             std::wstring_view runningProgram = {});

}  // namespace vantor
