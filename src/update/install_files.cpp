#include "update/install_files.h"

#include "common/atomic_file.h"
#include "common/files.h"

namespace vantor {

namespace fs = std::filesystem;

bool InstallFiles::MakeFolder(const fs::path& folder) {
  std::error_code error;
  fs::create_directory(folder, error);
  return !error && fs::is_directory(folder, error);
}

bool InstallFiles::Write(const fs::path& file, const std::function<bool(std::FILE*)>& fill) {
  std::FILE* out = CreateFileForWriting(file);
  if (out == nullptr) return false;
  const bool written = fill(out) && FlushToDisk(out);
  return std::fclose(out) == 0 && written;
}

bool InstallFiles::WriteWhole(const fs::path& file, std::string_view bytes) {
  return WriteFileAtomically(file, bytes);
}

bool InstallFiles::Rename(const fs::path& from, const fs::path& to) {
  return RenameDurably(from, to, false);
}

bool InstallFiles::Remove(const fs::path& file) {
  std::error_code error;
  fs::remove(file, error);
  return !error;
}

bool InstallFiles::RemoveFolder(const fs::path& folder) {
  std::error_code error;
  fs::remove_all(folder, error);
  return !error;
}

}  // namespace vantor
