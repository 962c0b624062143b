#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// The name of the lock every process that changes one program folder holds:
// one name per folder however it is spelled. `finalPath` resolves a folder
// to the path the file system itself gives it (8.3 names expanded, drive
// letters of one volume made one); when it cannot, the folder's own text
// serves, as older builds named it. "\\?\" prefixes, "/" for "\", "." and
// "..", a trailing separator and case make no difference. The hash is
// FNV-1a over the UTF-16 text, the same in every build.
using FinalPathOf = std::function<std::optional<std::wstring>(const std::filesystem::path&)>;
std::wstring InstallLockName(const std::filesystem::path& folder, const FinalPathOf& finalPath);

// The folder text the name is made from (before case is folded).
std::wstring NormalFolderText(std::wstring_view text);

}  // namespace vantor
