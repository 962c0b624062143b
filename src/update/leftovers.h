#pragma once

#include <filesystem>
#include <vector>

namespace vantor {

// Removes what an earlier update left in the program's folder (not its
// sub-folders): every entry whose extension is exactly ".old", "update.zip"
// and the "update.staging" folder with what it holds. The user's own ".zip" files stay. An entry
// that cannot be removed yet (still locked, a folder that is not empty) is left for a later start;
// the returned list names them. Never throws.
std::vector<std::filesystem::path> RemoveUpdateLeftovers(const std::filesystem::path& folder);

inline constexpr char kUpdateArchiveName[] = "update.zip";

}  // namespace vantor
