#include "update/interrupted_install.h"

#include "common/files.h"
#include "common/text.h"
#include "update/install_layout.h"
#include "update/install_swap.h"
#include "update/updater.h"

namespace vantor {

namespace fs = std::filesystem;

namespace {

bool MovesTheProgram(const SwapRun& run) {
  for (const std::string& name : run.moved) {
    if (SameFileName(Utf8ToWide(name), kProgramFileName)) return true;
  }
  return false;
}

void Recover(const fs::path& folder, InstallFiles& files, InstallRecovery& recovery) {
  const fs::path journalPath = folder / kUpdateJournalName;
  std::error_code error;
  if (!fs::exists(journalPath, error)) return;
  // Read whole and closed at once: Windows refuses to replace or remove a
  // file while a handle without delete sharing is open.
  const auto text = ReadWholeFile(journalPath);
  const auto journal = text ? ParseJournal(*text, folder) : std::nullopt;
  if (!journal) {
    recovery.log.push_back("update: update.journal cannot be read; every kept copy stays");
    return;
  }
  const std::vector<SwapItem>& items = journal->items;
  SwapRun run;
  const bool forward = journal->placed || (CanRollForward(items) && RollForward(items, files, run));
  const bool back = !forward && RollBack(items, files, run);
  if (forward) FinishPlaced(*journal, folder, files, run);
  if (back) FinishRolledBack(folder, files, run);
  recovery.programMoved = MovesTheProgram(run);
  recovery.log.insert(recovery.log.end(), run.log.begin(), run.log.end());
  recovery.log.push_back(
      forward
          ? "update: finished an interrupted update of " + std::to_string(items.size()) + " files"
      : back ? "update: undid an interrupted update; the old release stays"
             : "update: an interrupted update could not be finished or undone; the next start "
               "tries again");
}

}  // namespace

InstallRecovery RecoverInterruptedInstall(const fs::path& folder) {
  InstallFiles files;
  return RecoverInterruptedInstall(folder, files);
}

InstallRecovery RecoverInterruptedInstall(const fs::path& folder, InstallFiles& files) {
  InstallRecovery recovery;
  try {
    Recover(folder, files, recovery);
  } catch (const std::exception& e) {
    recovery.log.push_back(std::string("update: recovering an interrupted update stopped (") +
                           e.what() + "); the next start tries again");
  }
  return recovery;
}

}  // namespace vantor
