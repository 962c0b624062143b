#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// Folder of the running executable, with no trailing separator but for a
// drive's root ("E:\\", never the drive-relative "E:"). The wide form
// serves settings, the web view's data folder and the updater's restart; the
// narrow form (ANSI code page on Windows) serves the update archive.
std::wstring GetExecutableFolder();
std::string GetExecutableFolderA();
// The running executable's own full path; empty when it cannot be read.
std::wstring GetExecutablePath();

// The player's own folder for Vantor: %LOCALAPPDATA%\Vantor on Windows (the
// XDG data folder elsewhere); empty when it cannot be resolved.
std::filesystem::path LocalAppDataFolder();

// True when the file can be opened for reading; it is closed again at once.
bool FileExists(const std::wstring& path);
bool FileExists(const std::string& path);

// Whether two file names (or relative paths) name the same file as Windows
// compares them: ordinal, ignoring case. The same rule natively, for tests.
bool SameFileName(std::wstring_view a, std::wstring_view b);
// A name in the upper case that comparison uses.
std::wstring FoldFileNameCase(std::wstring_view name);

// Opens a new file for writing (replacing one of that name), binary; null on failure.
std::FILE* CreateFileForWriting(const std::filesystem::path& file);
// Flushes what was written to the file through to the disk.
bool FlushToDisk(std::FILE* file);
// Renames a file, over an existing one only when `replace` says so, and makes
// the rename itself durable before returning.
bool RenameDurably(const std::filesystem::path& from, const std::filesystem::path& to,
                   bool replace);

// Which file a name stands for now (volume and file index): another value,
// or none, once the name was given to another file.
std::optional<std::string> FileIdentity(const std::filesystem::path& file);

// Clears a file's read-only mark (Windows will neither remove nor replace a
// read-only file); nothing when it has none or does not exist.
void MakeWritable(const std::filesystem::path& file);

// A whole file's bytes; nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file);

// A path as wide text for messages (UTF-8 decoded where paths are narrow).
std::wstring PathToWide(const std::filesystem::path& path);

// The platform's path separator as the rest of the code appends it.
#ifdef _WIN32
inline constexpr wchar_t kPathSeparator = L'\\';
#else
inline constexpr wchar_t kPathSeparator = L'/';
#endif

}  // namespace vantor
