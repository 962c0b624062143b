#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "update/install_files.h"
#include "update/install_layout.h"

namespace vantor {

// Moving an installation's files, forward or back. Both read each file's
// state from its content, never from whether it exists, so they continue
// from wherever an earlier attempt (or a crash) stopped, and running either
// twice is harmless. A target that is replaced is never missing: its old file
// is kept under a second name first, then the new one takes its place in one
// step. `runningProgram` names the file this process runs from (empty when
// none), which it cannot replace: only a process that does not run from it
// puts that file in place or back.
struct SwapRun {
  std::vector<std::string> moved;  // items whose files changed
  std::vector<std::string> log;    // lines for Vantor.log
  std::string stoppedAt;           // the item whose step failed
  bool programPending = false;     // the running program's file still waits
};

// True when every new file that is not yet in place still waits in staging,
// whole, and its folder is there.
bool CanRollForward(const std::vector<SwapItem>& items);
// True when every file is the old one, or can become it again from here.
bool CanRollBack(const std::vector<SwapItem>& items, std::wstring_view runningProgram);
// Whether the running program's file is in the installation and not yet new.
bool ProgramPending(const std::vector<SwapItem>& items, std::wstring_view runningProgram);

// Keeps each old file and puts its new file in its place, in order; the
// running program's file is left for another process (run.programPending).
// False at the first step that fails.
bool RollForward(const std::vector<SwapItem>& items, InstallFiles& files, SwapRun& run,
                 std::wstring_view runningProgram = {});

// Puts every old file back from its kept copy and removes every added one.
// True when afterwards every item was verified to be the old release;
// otherwise the log names each file that is not and where its kept copy is.
bool RollBack(const std::vector<SwapItem>& items, InstallFiles& files, SwapRun& run,
              std::wstring_view runningProgram = {});

// A line for each file: which release it now holds.
std::vector<std::string> DescribeFiles(const std::vector<SwapItem>& items);

// Once every new file is in place: marks the journal so, then removes the
// kept copies in sub-folders (the clean-up at every start takes those in the
// folder itself), the staging folder and last the journal. Safe to repeat
// from any point.
void FinishPlaced(Journal journal, const std::filesystem::path& folder, InstallFiles& files,
                  SwapRun& run);

// After a verified roll-back: the journal, then the copies kept of files
// that are the old ones and the staging folder (which the clean-up removes
// when this cannot).
void FinishRolledBack(const std::vector<SwapItem>& items, const std::filesystem::path& folder,
                      InstallFiles& files, SwapRun& run);

}  // namespace vantor
