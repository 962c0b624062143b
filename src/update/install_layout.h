#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// The names the updater itself uses in the program's folder.
inline constexpr char kUpdateArchiveName[] = "update.zip";
inline constexpr char kUpdateStagingName[] = "update.staging";  // new files wait here
inline constexpr char kUpdateJournalName[] = "update.journal";  // present while files move
inline constexpr char kKeptCopySuffix[] = ".old";

// One file of an installation: the new file waits at `staged` until the old
// one (when `replaces`) has moved to `kept` and the new one to `target`.
struct SwapItem {
  std::string name;  // relative to the program's folder, "/" between segments
  std::filesystem::path target;
  std::filesystem::path kept;
  std::filesystem::path staged;
  bool replaces = false;
};

// The file a relative name (an archive entry's, or the journal's) stands for
// below `folder`, with both "/" and "\" as separators; nothing for a name
// that could lead anywhere else or to a device.
std::optional<std::filesystem::path> PathBelow(const std::filesystem::path& folder,
                                               std::string_view relativeUtf8);

// Names an installation must not write: the updater's own files, and kept
// copies, which the clean-up removes.
bool IsUpdaterOwnName(std::string_view relativeUtf8);

// The item for `name` as the n-th file of an installation into `folder`.
SwapItem MakeSwapItem(const std::filesystem::path& folder, std::string name,
                      const std::filesystem::path& target, size_t n, bool replaces);

// The journal: which files an installation is moving, so that a start after a
// crash can finish or undo it; once every new file is in place it says so,
// and only then may the kept copies go. JSON, names relative.
struct Journal {
  std::vector<SwapItem> items;
  bool placed = false;
};
std::string FormatJournal(const Journal& journal);
// Nothing when the text is no journal or names a file outside `folder`.
std::optional<Journal> ParseJournal(std::string_view text, const std::filesystem::path& folder);

}  // namespace vantor
