#include "update/install_swap.h"

namespace vantor {

namespace fs = std::filesystem;

namespace {

bool Exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

// The new file is at the target: it has left staging, and the old one (if
// there was one) is kept.
bool IsPlaced(const SwapItem& item) {
  return !Exists(item.staged) && Exists(item.target) && (!item.replaces || Exists(item.kept));
}

bool IsOldRelease(const SwapItem& item) {
  return item.replaces ? Exists(item.target) && !Exists(item.kept) : !Exists(item.target);
}

}  // namespace

bool CanRollForward(const std::vector<SwapItem>& items) {
  for (const SwapItem& item : items) {
    if (!IsPlaced(item) && !Exists(item.staged)) return false;
  }
  return true;
}

bool RollForward(const std::vector<SwapItem>& items, InstallFiles& files, SwapRun& run) {
  for (const SwapItem& item : items) {
    if (IsPlaced(item)) continue;
    const bool moveAside = item.replaces && Exists(item.target);
    // Nothing between the two renames: the program file is missing only for
    // as long as the platform takes to rename twice.
    const bool aside = !moveAside || files.Rename(item.target, item.kept);
    const bool in = aside && files.Rename(item.staged, item.target);
    if (moveAside ? aside : in) run.moved.push_back(item.name);
    if (in) continue;
    run.stoppedAt = item.name;
    run.log.push_back(aside ? "update: the new " + item.name + " cannot be put in place"
                            : "update: " + item.name + " cannot be moved aside (in use?)");
    return false;
  }
  return true;
}

bool RollBack(const std::vector<SwapItem>& items, InstallFiles& files, SwapRun& run) {
  for (auto it = items.rbegin(); it != items.rend(); ++it) {
    const SwapItem& item = *it;
    const bool keptThere = item.replaces && Exists(item.kept);
    const bool newThere =
        Exists(item.target) && !Exists(item.staged) && (item.replaces ? keptThere : true);
    if (!newThere && !keptThere) continue;
    run.moved.push_back(item.name);
    if (newThere) {
      files.MakeFolder(item.staged.parent_path());
      if (!files.Rename(item.target, item.staged)) continue;
    }
    if (keptThere) files.Rename(item.kept, item.target);
  }
  bool whole = true;
  for (const SwapItem& item : items) {
    if (IsOldRelease(item)) continue;
    whole = false;
    if (!item.replaces) {
      run.log.push_back("update: the new " + item.name + " could not be taken out again");
    } else if (Exists(item.kept)) {
      run.log.push_back("update: the old " + item.name + " could not be put back; it is kept as " +
                        item.name + kKeptCopySuffix);
    } else {
      run.log.push_back("update: the old " + item.name + " is missing and has no kept copy");
    }
  }
  return whole;
}

void FinishPlaced(Journal journal, const fs::path& folder, InstallFiles& files, SwapRun& run) {
  const fs::path journalPath = folder / kUpdateJournalName;
  if (!journal.placed) {
    journal.placed = true;
    if (!files.WriteWhole(journalPath, FormatJournal(journal))) {
      run.log.push_back("update: the kept copies stay until the next start");
      return;
    }
  }
  // Kept copies in the program's folder itself (the running program's among
  // them) stay until the clean-up at the next start; one in a sub-folder only
  // this journal names, so the journal stays until that copy is gone.
  bool keepJournal = false;
  for (const SwapItem& item : journal.items) {
    if (item.replaces && item.kept.parent_path() != folder && Exists(item.kept) &&
        !files.Remove(item.kept)) {
      keepJournal = true;
    }
  }
  if (keepJournal || !files.RemoveFolder(folder / kUpdateStagingName) ||
      !files.Remove(journalPath)) {
    run.log.push_back("update: the next start finishes removing what the update left");
  }
}

void FinishRolledBack(const fs::path& folder, InstallFiles& files, SwapRun& run) {
  if (!files.Remove(folder / kUpdateJournalName)) {
    run.log.push_back("update: update.journal cannot be removed; the next start tries again");
    return;
  }
  files.RemoveFolder(folder / kUpdateStagingName);
}

}  // namespace vantor
