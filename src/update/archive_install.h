#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vantor {

// The file operations an installation makes, each of which can fail; the
// tests make any one of them fail.
class InstallFiles {
 public:
  virtual ~InstallFiles() = default;
  virtual bool Write(const std::filesystem::path& file, const std::string& bytes);
  virtual bool Rename(const std::filesystem::path& from, const std::filesystem::path& to);
  virtual bool Remove(const std::filesystem::path& file);
};

// What installing an update archive did.
struct InstallReport {
  std::vector<std::string> installed;  // entry names, only when all of them went in
  std::vector<std::string> skipped;    // unsafe names, folders, missing sub-folders
  std::vector<std::string> failed;     // the entry that stopped the installation
  bool rolledBack = false;             // files had moved and were put back
  std::vector<std::string> log;        // what happened, a line each, for Vantor.log
};

// The folder beside the program where an archive is unpacked before anything
// is replaced; the clean-up at start removes one left by a crash.
inline constexpr char kUpdateStagingName[] = "update.staging";

// Installs the zip archive's file entries over the files of the same relative
// names in `folder`, all or nothing. Every entry is first unpacked, its CRC
// checked, into "update.staging"; only when all are there does each target
// move aside as "<name>.old" and its new file take its place. When any step
// fails, what had moved is put back: the folder is then the old release, byte
// for byte. Nothing is written outside `folder` and no folder is created: an
// entry whose name is absolute, has a drive letter, a ":", a "." or ".."
// segment or otherwise resolves elsewhere, whose folder is missing, or whose
// target is a folder, is skipped. A file that is not a readable archive
// installs nothing.
InstallReport InstallArchive(const std::filesystem::path& archive,
                             const std::filesystem::path& folder);
InstallReport InstallArchive(const std::filesystem::path& archive,
                             const std::filesystem::path& folder, InstallFiles& files);

}  // namespace vantor
