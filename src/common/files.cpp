#include <fstream>
#include <iterator>

#include "common/files.h"

namespace vantor {

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void MakeWritable(const std::filesystem::path& file) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::symlink_status(file, error);
  if (error || !fs::exists(status) || fs::is_symlink(status)) return;
  if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) {
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, error);
  }
}

}  // namespace vantor
