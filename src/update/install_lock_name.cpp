#include "update/install_lock_name.h"

#include <cstdint>
#include <vector>

#include "common/files.h"

namespace vantor {

std::wstring NormalFolderText(std::wstring_view text) {
  std::wstring path(text);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  // What GetFinalPathNameByHandleW hands out: "\\?\C:\..." and "\\?\UNC\server\...".
  std::wstring prefix;
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    path.erase(0, 8);
    prefix = L"\\\\";
  } else if (path.rfind(L"\\\\?\\", 0) == 0) {
    path.erase(0, 4);
  } else if (path.rfind(L"\\\\", 0) == 0) {
    path.erase(0, 2);
    prefix = L"\\\\";
  }
  std::vector<std::wstring> segments;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = std::min(path.find(L'\\', start), path.size());
    const std::wstring segment = path.substr(start, end - start);
    if (segment == L"..") {
      if (segments.size() > 1) segments.pop_back();
    } else if (!segment.empty() && segment != L".") {
      segments.push_back(segment);
    }
    start = end + 1;
  }
  std::wstring normal = prefix;
  for (size_t i = 0; i < segments.size(); ++i) {
    if (i > 0) normal += L'\\';
    normal += segments[i];
  }
  // A drive's root keeps its separator: "C:\", never the drive-relative "C:".
  if (segments.size() == 1 && prefix.empty() && normal.size() == 2 && normal[1] == L':') {
    normal += L'\\';
  }
  return normal;
}

std::wstring InstallLockName(const std::filesystem::path& folder, const FinalPathOf& finalPath) {
  const std::optional<std::wstring> resolved = finalPath ? finalPath(folder) : std::nullopt;
  const std::wstring key = FoldFileNameCase(
      NormalFolderText(resolved && !resolved->empty() ? *resolved : PathToWide(folder)));
  std::uint64_t hash = 14695981039346656037ull;
  for (wchar_t c : key) hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
  std::wstring name = L"Local\\Vantor.install.";
  for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 0xF];
  return name;
}

}  // namespace vantor
