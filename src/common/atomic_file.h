#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// Replacing a file so that a crash, a kill or a full disk at any moment leaves
// either the old content or the new one, whole. Done in two steps, which the
// tests also take one at a time:
//   1. StageFile writes the bytes to a temporary file beside the target and
//      flushes it to the disk;
//   2. CommitStagedFile puts it in the target's place in one step.
// Both report failure by their result and clean up after themselves, except
// that a commit which finds the target gone keeps the staged file: it is then
// the only copy, and RecoverStagedFile brings it back.

std::optional<std::filesystem::path> StageFile(const std::filesystem::path& target,
                                               std::string_view bytes);
bool CommitStagedFile(const std::filesystem::path& staged, const std::filesystem::path& target);

inline bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
  const auto staged = StageFile(target, bytes);
  return staged && CommitStagedFile(*staged, target);
}

// The temporary name StageFile uses for a target: "<target>.tmp", or
// "<target>.new.tmp" while the target is missing and "<target>.tmp" is there,
// the only copy a cut-short save left, which is never truncated.
std::filesystem::path StagingPathFor(const std::filesystem::path& target);
// Every name a staged file for the target may have, the newer first.
std::vector<std::filesystem::path> StagedCopiesOf(const std::filesystem::path& target);
// Once the target is known whole: staged files an old save left behind.
void RemoveStagedCopies(const std::filesystem::path& target);

// When the target is missing but a staged file for it is there (a commit that
// lost the old file and could not move the new one), puts the staged file in
// the target's place if `usable` accepts its bytes; true when it did.
bool RecoverStagedFile(const std::filesystem::path& target,
                       const std::function<bool(const std::string&)>& usable);

}  // namespace vantor
