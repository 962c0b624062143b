#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vantor {

// What installing an update archive did, entry by entry.
struct InstallReport {
  std::vector<std::string> installed;  // entry names written
  std::vector<std::string> skipped;    // unsafe names, folders, missing sub-folders
  std::vector<std::string> failed;     // could not be written; the old file is back
};

// Writes each file entry of the zip archive over the file of the same relative
// name in `folder`, keeping a replaced file as "<name>.old". No folder is
// created and nothing is ever written outside `folder`: an entry whose name is
// absolute, has a drive letter, a ":", a "." or ".." segment, or otherwise
// resolves elsewhere is skipped. An entry that fails to extract gets its old
// file back, so a failed update never leaves a file missing. A file that is
// not a readable archive installs nothing.
InstallReport InstallArchive(const std::filesystem::path& archive,
                             const std::filesystem::path& folder);

}  // namespace vantor
