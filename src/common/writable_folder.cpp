#include "common/writable_folder.h"

#include <fstream>

namespace vantor {

namespace {

bool TakesANewFile(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder, error)) return false;
  const std::filesystem::path probe = folder / ".vantor-write-check";
  bool written = false;
  {
    std::ofstream out(probe, std::ios::binary | std::ios::trunc);
    written = out.good() && out.put('.').good();
  }
  std::filesystem::remove(probe, error);
  return written;
}

}  // namespace

std::optional<std::filesystem::path> FirstWritableFolder(
    const std::vector<std::filesystem::path>& folders) {
  for (const auto& folder : folders) {
    if (TakesANewFile(folder)) return folder;
  }
  return std::nullopt;
}

}  // namespace vantor
