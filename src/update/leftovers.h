#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "update/install_files.h"

namespace vantor {

// Removes what an earlier update left in the program's folder, and nothing
// that only looks like it: "update.zip", a partial download, a half-written
// journal, the "update.staging" folder with what it holds, and the kept
// copies ("<name>.old") that a finished update listed in "update.kept"
// before it made them. A listed copy whose original is missing is the only
// copy of that file and stays listed; while "update.journal" is still there
// (an interrupted update the start could not yet repair) every kept copy and
// the staging folder stay. The player's own ".old" and ".zip" files are
// never touched. An entry that cannot be removed yet (still locked) is left
// for a later start; the returned list names them. Never throws.
std::vector<std::filesystem::path> RemoveUpdateLeftovers(const std::filesystem::path& folder);

// Adds these kept copies (names relative to `folder`, directly in it) to
// "update.kept", written whole in one step; false when it cannot be.
bool RecordKeptCopies(const std::filesystem::path& folder, const std::vector<std::string>& names,
                      InstallFiles& files);

}  // namespace vantor
