#pragma once

#include <string>
#include <vector>

#include "update/install_files.h"
#include "update/install_layout.h"

namespace vantor {

// Moving an installation's files, forward or back. Both read each item's
// state from the disk, so they continue from wherever an earlier attempt (or
// a crash) stopped, and running either twice is harmless.
struct SwapRun {
  std::vector<std::string> moved;  // items whose files were renamed
  std::vector<std::string> log;    // lines for Vantor.log
  std::string stoppedAt;           // the item whose step failed
};

// True when every new file that is not yet in place still waits in staging.
bool CanRollForward(const std::vector<SwapItem>& items);

// Moves each old file aside and its new file in, in order, the two renames
// back to back; false at the first step that fails.
bool RollForward(const std::vector<SwapItem>& items, InstallFiles& files, SwapRun& run);

// Puts every old file back and takes every new one out (back into staging:
// the running program can be renamed but not deleted). True when afterwards
// every item was verified to be the old release; otherwise the log names each
// file that is not and where its kept copy is.
bool RollBack(const std::vector<SwapItem>& items, InstallFiles& files, SwapRun& run);

// Once every new file is in place: marks the journal so, then removes the
// kept copies in sub-folders (the clean-up at every start takes those in the
// folder itself), the staging folder and last the journal. Safe to repeat
// from any point.
void FinishPlaced(Journal journal, const std::filesystem::path& folder, InstallFiles& files,
                  SwapRun& run);

// After a verified roll-back: the journal, then the staging folder (which
// the clean-up removes when this cannot).
void FinishRolledBack(const std::filesystem::path& folder, InstallFiles& files, SwapRun& run);

}  // namespace vantor
