#include "update/interrupted_install.h"

#include <fstream>
#include <iterator>

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
  recovery.outcome = InstallRecovery::Outcome::Pending;
  std::string text;
  {
    // Closed before anything replaces or removes the journal: Windows refuses
    // that while a handle without delete sharing is open.
    std::ifstream in(journalPath, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  const auto journal = ParseJournal(text, folder);
  if (!journal) {
    recovery.log.push_back("update: update.journal cannot be read; every kept copy stays");
    return;
  }
  const std::vector<SwapItem>& items = journal->items;
  SwapRun run;
  bool whole = journal->placed || (CanRollForward(items) && RollForward(items, files, run));
  if (whole) {
    recovery.outcome = InstallRecovery::Outcome::RolledForward;
    FinishPlaced(*journal, folder, files, run);
  } else if (RollBack(items, files, run)) {
    whole = true;
    recovery.outcome = InstallRecovery::Outcome::RolledBack;
    FinishRolledBack(folder, files, run);
  }
  recovery.programMoved = MovesTheProgram(run);
  recovery.log.insert(recovery.log.end(), run.log.begin(), run.log.end());
  if (!whole) {
    recovery.outcome = InstallRecovery::Outcome::Pending;
    recovery.log.push_back(
        "update: an interrupted update could not be finished or undone; the next start tries "
        "again");
    return;
  }
  recovery.log.push_back(recovery.outcome == InstallRecovery::Outcome::RolledForward
                             ? "update: finished an interrupted update of " +
                                   std::to_string(items.size()) + " files"
                             : "update: undid an interrupted update; the old release stays");
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
    recovery.outcome = InstallRecovery::Outcome::Pending;
    recovery.log.push_back(std::string("update: recovering an interrupted update stopped (") +
                           e.what() + "); the next start tries again");
  }
  return recovery;
}

}  // namespace vantor
