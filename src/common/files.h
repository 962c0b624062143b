#pragma once

#include <filesystem>
#include <string>

namespace vantor {

// Folder of the running executable, with no trailing separator. The wide form
// serves settings, the web view's data folder and the updater's restart; the
// narrow form (ANSI code page on Windows) serves the update archive.
std::wstring GetExecutableFolder();
std::string GetExecutableFolderA();

// The player's own folder for Vantor: %LOCALAPPDATA%\Vantor on Windows (the
// XDG data folder elsewhere); empty when it cannot be resolved.
std::filesystem::path LocalAppDataFolder();

// True when the file can be opened for reading; it is closed again at once.
bool FileExists(const std::wstring& path);
bool FileExists(const std::string& path);

// A path as wide text for messages (UTF-8 decoded where paths are narrow).
std::wstring PathToWide(const std::filesystem::path& path);

// The platform's path separator as the rest of the code appends it.
#ifdef _WIN32
inline constexpr wchar_t kPathSeparator = L'\\';
#else
inline constexpr wchar_t kPathSeparator = L'/';
#endif

}  // namespace vantor
