#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "update/install_files.h"
#include "update/install_layout.h"

namespace vantor {

// What a start does with an installation that a crash or a kill broke off,
// decided from the files' content and the journal's count of starts that
// already took it up.
enum class RecoveryStep {
  Finish,    // put the remaining new files in place
  HandOff,   // the same, but the running program's own file is among them
  Undo,      // put the old release back
  SetAside,  // neither can be done: keep the journal aside, start what is there
};
struct RecoveryFacts {
  bool placed = false;          // the journal says every new file is in place
  bool canFinish = false;       // every new file not in place waits whole in staging
  bool canUndo = false;         // every old file is in place or kept whole
  bool programPending = false;  // the running program's file is not yet the new one
  int recoveries = 0;           // starts that took this journal up before this one
};
RecoveryStep DecideRecovery(const RecoveryFacts& facts);

inline constexpr int kMaxRecoveries = kMaxJournalRecoveries;

struct InstallRecovery {
  enum class Outcome { Nothing, Finished, Undone, HandOff, Pending, SetAside };
  Outcome outcome = Outcome::Nothing;
  std::vector<std::string> log;  // lines for Vantor.log
};

// Run at every start, before the clean-up, and by the process that finishes
// an update: when "update.journal" is in `folder`, the installation it names
// is finished or undone and the journal and the staging folder go. HandOff
// asks the caller to let a process that does not run from `runningProgram`
// finish (the journal counts it, so it is asked once); Pending leaves the
// journal for the next start (a file still locked); SetAside renames a
// journal that is unreadable, names files it may not, or can be neither
// finished nor undone, to "update.journal.failed". Never throws.
InstallRecovery RecoverInterruptedInstall(const std::filesystem::path& folder,
                                          std::wstring_view runningProgram = {});
InstallRecovery RecoverInterruptedInstall(const std::filesystem::path& folder, InstallFiles& files,
                                          std::wstring_view runningProgram = {});

}  // namespace vantor
