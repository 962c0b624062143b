#pragma once

#include <filesystem>
#include <vector>

namespace vantor {

// Removes what an earlier update left in the program's folder (not its
// sub-folders): "update.zip", a half-written journal, the "update.staging"
// folder with what it holds, and every entry whose extension is exactly
// ".old" whose original is in place. A kept copy whose original is missing
// is the only copy of that file and stays; while "update.journal" is still
// there (an interrupted update the start could not yet repair) every kept
// copy and the staging folder stay. The user's own ".zip" files stay. An
// entry that cannot be removed yet (still locked, a folder that is not empty)
// is left for a later start; the returned list names them. Never throws.
std::vector<std::filesystem::path> RemoveUpdateLeftovers(const std::filesystem::path& folder);

}  // namespace vantor
