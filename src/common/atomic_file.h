#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace vantor {

// Replacing a file so that a crash, a kill or a full disk at any moment leaves
// either the old content or the new one, whole. Done in two steps, which the
// tests also take one at a time:
//   1. StageFile writes the bytes to a temporary file beside the target and
//      flushes it to the disk;
//   2. CommitStagedFile puts it in the target's place in one step.
// Both report failure by their result and clean up after themselves.

std::optional<std::filesystem::path> StageFile(const std::filesystem::path& target,
                                               std::string_view bytes);
bool CommitStagedFile(const std::filesystem::path& staged, const std::filesystem::path& target);

inline bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
  const auto staged = StageFile(target, bytes);
  return staged && CommitStagedFile(*staged, target);
}

// The temporary name StageFile uses for a target.
std::filesystem::path StagingPathFor(const std::filesystem::path& target);

}  // namespace vantor
