#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cwctype>

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

bool SameFileName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towupper(static_cast<wint_t>(a[i])) != std::towupper(static_cast<wint_t>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::FILE* CreateFileForWriting(const std::filesystem::path& file) {
  return std::fopen(file.c_str(), "wb");
}

bool FlushToDisk(std::FILE* file) { return std::fflush(file) == 0 && ::fsync(fileno(file)) == 0; }

bool RenameDurably(const std::filesystem::path& from, const std::filesystem::path& to,
                   bool replace) {
  const unsigned flags = replace ? 0 : RENAME_NOREPLACE;
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), flags) != 0) return false;
  const int folder = ::open(to.parent_path().empty() ? "." : to.parent_path().c_str(),
                            O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return true;
}

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
