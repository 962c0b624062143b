#include "update/install_swap.h"

#include "common/files.h"
#include "common/text.h"
#include "update/leftovers.h"

namespace vantor {

namespace fs = std::filesystem;

namespace {

// The size first: most files that differ differ in it, and need no digest.
bool Holds(const fs::path& file, const FileContent& content) {
  std::error_code error;
  if (fs::file_size(file, error) != content.size || error) return false;
  const auto found = ContentOf(file);
  return found && *found == content;
}

bool TargetIsNew(const SwapItem& item) { return Holds(item.target, item.newContent); }

// A file the update adds is old while it is absent; one that a foreign hand
// put there is not the update's to remove.
bool TargetIsOld(const SwapItem& item) {
  return item.replaces ? Holds(item.target, item.oldContent)
                       : !NameTaken(item.target) || !TargetIsNew(item);
}

bool IsRunning(const SwapItem& item, std::wstring_view runningProgram) {
  return !runningProgram.empty() && SameFileName(Utf8ToWide(item.name), runningProgram);
}

// The clean-up removes only the kept copies in the folder itself that
// "update.kept" lists, so they are listed before the journal that names them
// goes. False when the list cannot be written.
bool ListKeptCopiesHere(const std::vector<SwapItem>& items, const fs::path& folder,
                        InstallFiles& files) {
  std::vector<std::string> keptHere;
  for (const SwapItem& item : items) {
    if (item.replaces && item.kept.parent_path() == folder && NameTaken(item.kept)) {
      keptHere.push_back(item.name + kKeptCopySuffix);
    }
  }
  return keptHere.empty() || RecordKeptCopies(folder, keptHere, files);
}

bool Fail(SwapRun& run, const SwapItem& item, const std::string& why) {
  run.stoppedAt = item.name;
  run.log.push_back("update: " + why);
  return false;
}

}  // namespace

bool CanRollForward(const std::vector<SwapItem>& items) {
  for (const SwapItem& item : items) {
    if (TargetIsNew(item)) continue;
    // No folder is made: one that went since stops the update here.
    std::error_code error;
    if (!Holds(item.staged, item.newContent) ||
        !fs::is_directory(item.target.parent_path(), error)) {
      return false;
    }
  }
  return true;
}

bool CanRollBack(const std::vector<SwapItem>& items, std::wstring_view runningProgram) {
  for (const SwapItem& item : items) {
    if (TargetIsOld(item)) continue;
    if (!item.replaces) continue;  // an added file can always be removed
    if (IsRunning(item, runningProgram) || !Holds(item.kept, item.oldContent)) return false;
  }
  return true;
}

bool ProgramPending(const std::vector<SwapItem>& items, std::wstring_view runningProgram) {
  for (const SwapItem& item : items) {
    if (IsRunning(item, runningProgram) && !TargetIsNew(item)) return true;
  }
  return false;
}

bool RollForward(const std::vector<SwapItem>& items, InstallFiles& files, SwapRun& run,
                 std::wstring_view runningProgram) {
  for (const SwapItem& item : items) {
    if (TargetIsNew(item)) continue;
    if (!Holds(item.staged, item.newContent)) {
      return Fail(run, item, "the new " + item.name + " is no longer whole in staging");
    }
    if (IsRunning(item, runningProgram)) {
      run.programPending = true;
      continue;
    }
    if (item.replaces && Holds(item.target, item.oldContent) &&
        !Holds(item.kept, item.oldContent) && !files.KeepCopy(item.target, item.kept)) {
      return Fail(run, item, "a copy of the old " + item.name + " cannot be kept");
    }
    if (!files.Replace(item.staged, item.target)) {
      return Fail(run, item, "the new " + item.name + " cannot be put in place (in use?)");
    }
    run.moved.push_back(item.name);
  }
  return true;
}

bool RollBack(const std::vector<SwapItem>& items, InstallFiles& files, SwapRun& run,
              std::wstring_view runningProgram) {
  for (auto it = items.rbegin(); it != items.rend(); ++it) {
    const SwapItem& item = *it;
    if (TargetIsOld(item)) continue;
    if (!item.replaces) {
      if (files.Remove(item.target)) run.moved.push_back(item.name);
    } else if (!IsRunning(item, runningProgram) && Holds(item.kept, item.oldContent) &&
               files.Replace(item.kept, item.target)) {
      run.moved.push_back(item.name);
    }
  }
  bool whole = true;
  for (const SwapItem& item : items) {
    if (TargetIsOld(item)) continue;
    whole = false;
    if (!item.replaces) {
      run.log.push_back("update: the new " + item.name + " could not be taken out again");
    } else if (Holds(item.kept, item.oldContent)) {
      run.log.push_back("update: the old " + item.name + " could not be put back; it is kept as " +
                        item.name + kKeptCopySuffix);
    } else {
      run.log.push_back("update: the old " + item.name + " is missing and has no kept copy");
    }
  }
  return whole;
}

std::vector<std::string> DescribeFiles(const std::vector<SwapItem>& items) {
  std::vector<std::string> lines;
  for (const SwapItem& item : items) {
    const char* release = TargetIsNew(item) ? "the new release"
                          : !item.replaces && !NameTaken(item.target)
                              ? "absent, as in the old release"
                          : TargetIsOld(item)      ? "the old release"
                          : NameTaken(item.target) ? "neither release"
                                                   : "missing";
    lines.push_back("update: " + item.name + " is " + release);
  }
  return lines;
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
  // Kept copies in the folder itself stay until the clean-up at the next
  // start; one in a sub-folder only this journal names, so the journal stays
  // until that copy is gone.
  bool keepJournal = false;
  for (const SwapItem& item : journal.items) {
    if (item.replaces && item.kept.parent_path() != folder && NameTaken(item.kept) &&
        !files.Remove(item.kept)) {
      keepJournal = true;
    }
  }
  if (!ListKeptCopiesHere(journal.items, folder, files)) keepJournal = true;
  if (keepJournal || !files.RemoveFolder(folder / kUpdateStagingName) ||
      !files.Remove(journalPath)) {
    run.log.push_back("update: the next start finishes removing what the update left");
  }
}

void FinishRolledBack(const std::vector<SwapItem>& items, const fs::path& folder,
                      InstallFiles& files, SwapRun& run) {
  // A copy this cannot remove now stays the clean-up's to remove.
  ListKeptCopiesHere(items, folder, files);
  if (!files.Remove(folder / kUpdateJournalName)) {
    run.log.push_back("update: update.journal cannot be removed; the next start tries again");
    return;
  }
  // A copy kept of a file that never changed is a second name of it.
  for (const SwapItem& item : items) {
    if (item.replaces && NameTaken(item.kept) && TargetIsOld(item)) files.Remove(item.kept);
  }
  files.RemoveFolder(folder / kUpdateStagingName);
}

}  // namespace vantor
