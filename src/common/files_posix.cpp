#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "common/files.h"
#include "common/text.h"

namespace vantor {

std::string GetExecutableFolderA() {
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return exe.parent_path().string();
}

std::wstring GetExecutableFolder() { return Utf8ToWide(GetExecutableFolderA()); }

bool FileExists(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

bool FileExists(const std::wstring& path) { return FileExists(WideToUtf8(path)); }

std::wstring PathToWide(const std::filesystem::path& path) { return Utf8ToWide(path.string()); }

std::filesystem::path LocalAppDataFolder() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data != '\0') {
    return std::filesystem::path(data) / "Vantor";
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return std::filesystem::path(home) / ".local" / "share" / "Vantor";
  }
  return {};
}

}  // namespace vantor
