#include <shlobj.h>
#include <windows.h>

#include <io.h>

#include <cstdio>

#include "common/co_task_string_win.h"
#include "common/files.h"

namespace vantor {

namespace {

// GetModuleFileName truncates silently when the buffer is too small, so the
// buffer starts at MAX_PATH and grows until the whole path fits.
template <typename Char, typename Getter>
std::basic_string<Char> ModulePath(Getter getter) {
  std::basic_string<Char> buffer(MAX_PATH, Char(0));
  for (;;) {
    const DWORD length = getter(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

template <typename String>
String CutBeforeLastSeparator(const String& path) {
  using Char = typename String::value_type;
  const Char separators[] = {Char('\\'), Char('/'), Char(0)};
  const auto cut = path.find_last_of(separators);
  if (cut == String::npos) return String();
  // "E:" alone names the drive's current folder, not its root.
  if (cut == 2 && path[1] == Char(':')) return path.substr(0, cut + 1);
  return path.substr(0, cut);
}

}  // namespace

std::wstring GetExecutablePath() { return ModulePath<wchar_t>(GetModuleFileNameW); }

std::wstring GetExecutableFolder() { return CutBeforeLastSeparator(GetExecutablePath()); }

std::string GetExecutableFolderA() {
  return CutBeforeLastSeparator(ModulePath<char>(GetModuleFileNameA));
}

bool FileExists(const std::wstring& path) {
  FILE* file = nullptr;
  if (_wfopen_s(&file, path.c_str(), L"r") != 0 || file == nullptr) return false;
  fclose(file);
  return true;
}

bool FileExists(const std::string& path) {
  FILE* file = nullptr;
  if (fopen_s(&file, path.c_str(), "r") != 0 || file == nullptr) return false;
  fclose(file);
  return true;
}

std::wstring FoldFileNameCase(std::wstring_view name) {
  std::wstring folded(name);
  if (!folded.empty()) CharUpperBuffW(folded.data(), static_cast<DWORD>(folded.size()));
  return folded;
}

bool SameFileName(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::FILE* CreateFileForWriting(const std::filesystem::path& file) {
  FILE* opened = nullptr;
  if (_wfopen_s(&opened, file.c_str(), L"wb") != 0) return nullptr;
  return opened;
}

bool FlushToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
}

bool RenameDurably(const std::filesystem::path& from, const std::filesystem::path& to,
                   bool replace) {
  return MoveFileExW(from.c_str(), to.c_str(),
                     MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0));
}

std::optional<std::string> FileIdentity(const std::filesystem::path& file) {
  HANDLE handle =
      CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(handle, &info);
  CloseHandle(handle);
  if (!known) return std::nullopt;
  return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) +
         ":" + std::to_string(info.nFileIndexLow);
}

std::wstring PathToWide(const std::filesystem::path& path) { return path.wstring(); }

std::filesystem::path LocalAppDataFolder() {
  CoTaskString folder;
  if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, folder.Put()))) {
    return {};
  }
  return std::filesystem::path(std::wstring(folder.View())) / L"Vantor";
}

}  // namespace vantor
