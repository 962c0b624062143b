#pragma once

#include <filesystem>
#include <optional>
#include <vector>

namespace vantor {

// The first of `folders` that exists (created when missing) and takes a new
// file; nothing when none does. Leaves no file behind.
std::optional<std::filesystem::path> FirstWritableFolder(
    const std::vector<std::filesystem::path>& folders);

}  // namespace vantor
