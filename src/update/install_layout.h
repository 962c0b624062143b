#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// The names the updater itself uses in the program's folder.
inline constexpr char kUpdateArchiveName[] = "update.zip";
// What the transfer writes until the archive counts.
inline constexpr char kPartialDownloadName[] = "update.download";
// The kept copies a finished update left in the folder itself, a name a
// line, for the next start's clean-up: only what is listed there goes.
inline constexpr char kKeptListName[] = "update.kept";
inline constexpr char kUpdateStagingName[] = "update.staging";  // new files wait here
inline constexpr char kUpdateJournalName[] = "update.journal";  // present while files move
inline constexpr char kSetAsideJournalName[] = "update.journal.failed";
inline constexpr char kKeptCopySuffix[] = ".old";
// The program file: the running process runs from it, so only a process that
// does not may replace it.
inline constexpr wchar_t kProgramFileName[] = L"Vantor.exe";
inline constexpr wchar_t kKeptProgramFileName[] = L"Vantor.exe.old";
// The copy of the program that finishes an update from inside staging.
inline constexpr char kFinisherFileName[] = "Vantor.finish.exe";

// A file's content as an installation records it.
struct FileContent {
  std::uint64_t size = 0;
  std::string sha256;  // 64 lower-case hex digits
  bool operator==(const FileContent& other) const {
    return size == other.size && sha256 == other.sha256;
  }
};
// Nothing when the file is missing or cannot be read.
std::optional<FileContent> ContentOf(const std::filesystem::path& file);

// One file of an installation: the new file waits at `staged`; before it
// replaces `target`, the old one (when `replaces`) is kept at `kept`.
struct SwapItem {
  std::string name;  // relative to the program's folder, "/" between segments
  std::filesystem::path target;
  std::filesystem::path kept;
  std::filesystem::path staged;
  bool replaces = false;
  FileContent oldContent;  // when `replaces`
  FileContent newContent;
};

// The file a relative name (an archive entry's, or the journal's) stands for
// below `folder`, with both "/" and "\" as separators; nothing for a name
// that could lead anywhere else or to a device.
std::optional<std::filesystem::path> PathBelow(const std::filesystem::path& folder,
                                               std::string_view relativeUtf8);

// True when `inner` lies inside `folder` once links and ".." are resolved.
bool IsInside(const std::filesystem::path& inner, const std::filesystem::path& folder);

// Names an installation must not write: the updater's own files and kept
// copies, which the clean-up removes, and the player's settings and log.
bool IsUpdaterOwnName(std::string_view relativeUtf8);
// Whether a name ends in the kept copies' ".old", as Windows compares names.
bool EndsAsKeptCopy(std::wstring_view name);
bool IsPlayerOwnName(std::string_view relativeUtf8);

// The item for `name` as the n-th file of an installation into `folder`.
SwapItem MakeSwapItem(const std::filesystem::path& folder, std::string name,
                      const std::filesystem::path& target, size_t n, bool replaces);

// The journal: which files an installation is changing and what each holds
// before and after, so that a start after a crash can finish or undo it by
// content; once every new file is in place it says so, and only then may the
// kept copies go. `recoveries` counts the starts that took it up, so that
// none is repeated without end. JSON, names relative.
// Starts that may take one journal up before it is set aside.
inline constexpr int kMaxJournalRecoveries = 3;
struct Journal {
  std::vector<SwapItem> items;
  bool placed = false;
  int recoveries = 0;
};
std::string FormatJournal(const Journal& journal);
// Nothing when the text is no journal, or names a file outside `folder`
// (links resolved), a device, or a name an installation must not write.
std::optional<Journal> ParseJournal(std::string_view text, const std::filesystem::path& folder);

}  // namespace vantor
