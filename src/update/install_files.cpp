#include "update/install_files.h"

#include "common/atomic_file.h"
#include "common/files.h"

namespace vantor {

namespace fs = std::filesystem;

bool NameTaken(const fs::path& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

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

bool InstallFiles::Replace(const fs::path& from, const fs::path& to) {
  MakeWritable(to);  // Windows refuses to replace a read-only file
  return RenameDurably(from, to, true);
}

bool InstallFiles::KeepCopy(const fs::path& file, const fs::path& copy) {
  std::error_code error;
  if (fs::exists(copy, error) && !Remove(copy)) return false;
  fs::create_hard_link(file, copy, error);
  if (!error) return true;
  const auto bytes = ReadWholeFile(file);
  return bytes && Write(copy, [&](std::FILE* out) {
           return std::fwrite(bytes->data(), 1, bytes->size(), out) == bytes->size();
         });
}

bool InstallFiles::Remove(const fs::path& file) {
  MakeWritable(file);
  std::error_code error;
  fs::remove(file, error);
  return !error;
}

bool InstallFiles::RemoveFolder(const fs::path& folder) {
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    MakeWritable(it->path());
  }
  error.clear();
  fs::remove_all(folder, error);
  return !error;
}

}  // namespace vantor
