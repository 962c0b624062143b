#include "update/leftovers.h"

#include "update/install_files.h"
#include "update/install_layout.h"

namespace vantor {

namespace fs = std::filesystem;

std::vector<fs::path> RemoveUpdateLeftovers(const fs::path& folder) {
  std::vector<fs::path> leftOver;
  std::error_code error;
  const bool journalPending = fs::exists(folder / kUpdateJournalName, error);
  const fs::path halfJournal = std::string(kUpdateJournalName) + ".tmp";
  // Collected first: removing while listing is not portable.
  std::vector<fs::path> found;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const fs::path& path = it->path();
    const fs::path name = path.filename();
    if (name == kUpdateArchiveName || name == halfJournal) {
      found.push_back(path);
    } else if (journalPending) {
      continue;  // the kept copies and the staged files may still be needed
    } else if (name == kUpdateStagingName) {
      found.push_back(path);
    } else if (path.extension() == kKeptCopySuffix) {
      fs::path original = path;
      original.replace_extension();
      std::error_code missing;
      if (fs::exists(original, missing)) found.push_back(path);
    }
  }
  // Through the installation's own calls: they clear a read-only mark first.
  InstallFiles files;
  for (const fs::path& path : found) {
    const bool removed =
        path.filename() == kUpdateStagingName ? files.RemoveFolder(path) : files.Remove(path);
    if (!removed) leftOver.push_back(path);
  }
  return leftOver;
}

}  // namespace vantor
