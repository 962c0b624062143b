#include "common/atomic_file.h"

#include "common/files.h"

namespace vantor {

namespace fs = std::filesystem;

bool RecoverStagedFile(const fs::path& target,
                       const std::function<bool(const std::string&)>& usable) {
  std::error_code error;
  const fs::path staged = StagingPathFor(target);
  if (fs::exists(target, error) || !fs::is_regular_file(staged, error)) return false;
  const auto bytes = ReadWholeFile(staged);
  return bytes && usable(*bytes) && RenameDurably(staged, target, false);
}

std::filesystem::path StagingPathFor(const std::filesystem::path& target) {
  auto staged = target;
  staged += ".tmp";
  return staged;
}

}  // namespace vantor
