#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
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

std::wstring GetExecutablePath() {
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::wstring() : Utf8ToWide(exe.string());
}

bool FileExists(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

bool FileExists(const std::wstring& path) { return FileExists(WideToUtf8(path)); }

std::wstring PathToWide(const std::filesystem::path& path) { return Utf8ToWide(path.string()); }

namespace {

// The upper case Windows compares names by, for the Latin, Greek and
// Cyrillic letters (the C library's towupper knows ASCII only in the "C"
// locale, and its result would depend on the locale anyway).
wchar_t NameUpper(wchar_t c) {
  const auto pairsFrom = [c](wchar_t first, wchar_t last, bool upperEven) {
    return c >= first && c <= last && ((c % 2 == 0) != upperEven);
  };
  if (c >= L'a' && c <= L'z') return c - 0x20;
  if (c < 0xE0) return c;
  if (c <= 0xFE) return c == 0xF7 ? c : c - 0x20;
  if (c == 0xFF) return 0x178;
  if (pairsFrom(0x100, 0x137, true) || pairsFrom(0x139, 0x148, false) ||
      pairsFrom(0x14A, 0x177, true) || pairsFrom(0x179, 0x17E, false)) {
    return c - 1;
  }
  if (c == 0x3AC) return 0x386;
  if (c >= 0x3AD && c <= 0x3AF) return c - 0x25;
  if (c == 0x3C2) return 0x3A3;  // final sigma
  if (c >= 0x3B1 && c <= 0x3CB) return c - 0x20;
  if (c == 0x3CC) return 0x38C;
  if (c == 0x3CD || c == 0x3CE) return c - 0x3F;
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  if (pairsFrom(0x460, 0x481, true) || pairsFrom(0x48A, 0x4BF, true)) return c - 1;
  return c;
}

}  // namespace

std::wstring FoldFileNameCase(std::wstring_view name) {
  std::wstring folded(name);
  for (wchar_t& c : folded) c = NameUpper(c);
  return folded;
}

bool SameFileName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (NameUpper(a[i]) != NameUpper(b[i])) return false;
  }
  return true;
}

std::optional<std::string> FileIdentity(const std::filesystem::path& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) return std::nullopt;
  return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
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
