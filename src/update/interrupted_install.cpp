#include "update/interrupted_install.h"

#include <algorithm>

#include "common/files.h"
#include "update/install_layout.h"
#include "update/install_swap.h"

namespace vantor {

namespace fs = std::filesystem;

RecoveryStep DecideRecovery(const RecoveryFacts& facts) {
  if (facts.placed || (facts.canFinish && !facts.programPending)) return RecoveryStep::Finish;
  // Another process is trusted with the program's file once per journal: a
  // second start that finds it still pending undoes the update instead.
  if (facts.canFinish && facts.recoveries == 0) return RecoveryStep::HandOff;
  if (facts.canUndo) return RecoveryStep::Undo;
  return RecoveryStep::SetAside;
}

namespace {

using Outcome = InstallRecovery::Outcome;

void SetAside(const fs::path& folder, InstallFiles& files, InstallRecovery& recovery,
              const std::string& why) {
  const fs::path journalPath = folder / kUpdateJournalName;
  const bool moved = files.Replace(journalPath, folder / kSetAsideJournalName);
  recovery.outcome = Outcome::SetAside;
  recovery.log.push_back("update: " + why + "; " +
                         (moved ? std::string("set aside as ") + kSetAsideJournalName
                                : std::string("it cannot be set aside either")) +
                         "; the program starts with the files as they are");
}

void Recover(const fs::path& folder, InstallFiles& files, std::wstring_view runningProgram,
             InstallRecovery& recovery) {
  const fs::path journalPath = folder / kUpdateJournalName;
  std::error_code error;
  if (!fs::exists(journalPath, error)) return;
  // Read whole and closed at once: Windows refuses to replace or remove a
  // file while a handle without delete sharing is open.
  const auto text = ReadWholeFile(journalPath);
  auto journal = text ? ParseJournal(*text, folder) : std::nullopt;
  if (!journal) {
    SetAside(folder, files, recovery, "update.journal is unreadable or names files it may not");
    return;
  }
  const std::vector<SwapItem>& items = journal->items;
  RecoveryFacts facts{journal->placed, CanRollForward(items), CanRollBack(items, runningProgram),
                      ProgramPending(items, runningProgram), journal->recoveries};
  // Counted before anything moves, so that a kill now is counted too; a
  // count that cannot be written allows no hand-off.
  ++journal->recoveries;
  if (!files.WriteWhole(journalPath, FormatJournal(*journal))) {
    facts.recoveries = std::max(facts.recoveries, 1);
  }
  const RecoveryStep step = DecideRecovery(facts);
  if (step == RecoveryStep::HandOff) {
    recovery.outcome = Outcome::HandOff;
    recovery.log.push_back("update: the program file of an interrupted update waits for it");
    return;
  }
  SwapRun run;
  bool done = false;
  if (step == RecoveryStep::Finish) {
    done = journal->placed || RollForward(items, files, run, runningProgram);
    if (done) FinishPlaced(*journal, folder, files, run);
    recovery.outcome = Outcome::Finished;
  }
  if (!done && step != RecoveryStep::SetAside && CanRollBack(items, runningProgram)) {
    done = RollBack(items, files, run, runningProgram);
    if (done) FinishRolledBack(items, folder, files, run);
    recovery.outcome = Outcome::Undone;
  }
  recovery.log.insert(recovery.log.end(), run.log.begin(), run.log.end());
  const std::vector<std::string> states = DescribeFiles(items);
  if (done) {
    recovery.log.push_back(recovery.outcome == Outcome::Finished
                               ? "update: finished an interrupted update of " +
                                     std::to_string(items.size()) + " files"
                               : "update: undid an interrupted update; the old release stays");
    return;
  }
  recovery.log.insert(recovery.log.end(), states.begin(), states.end());
  if (step == RecoveryStep::SetAside || journal->recoveries >= kMaxRecoveries) {
    SetAside(folder, files, recovery, "an interrupted update can be neither finished nor undone");
    return;
  }
  recovery.outcome = Outcome::Pending;
  recovery.log.push_back(
      "update: an interrupted update could not be finished or undone yet; the next start tries "
      "again");
}

}  // namespace

InstallRecovery RecoverInterruptedInstall(const fs::path& folder,
                                          std::wstring_view runningProgram) {
  InstallFiles files;
  return RecoverInterruptedInstall(folder, files, runningProgram);
}

InstallRecovery RecoverInterruptedInstall(const fs::path& folder, InstallFiles& files,
                                          std::wstring_view runningProgram) {
  InstallRecovery recovery;
  try {
    Recover(folder, files, runningProgram, recovery);
  } catch (const std::exception& e) {
    recovery.outcome = Outcome::Pending;
    recovery.log.push_back(std::string("update: recovering an interrupted update stopped (") +
                           e.what() + "); the next start tries again");
  } catch (...) {
    recovery.outcome = Outcome::Pending;
    recovery.log.push_back(
        "update: recovering an interrupted update stopped; the next start "
        "tries again");
  }
  return recovery;
}

}  // namespace vantor
