#include "common/atomic_file.h"

#include "common/files.h"

namespace vantor {

namespace fs = std::filesystem;

namespace {

fs::path WithSuffix(const fs::path& target, const char* suffix) {
  auto path = target;
  path += suffix;
  return path;
}

}  // namespace

bool RecoverStagedFile(const fs::path& target,
                       const std::function<bool(const std::string&)>& usable) {
  std::error_code error;
  if (fs::exists(target, error)) return false;
  for (const fs::path& staged : StagedCopiesOf(target)) {  // the newer first
    if (!fs::is_regular_file(staged, error)) continue;
    const auto bytes = ReadWholeFile(staged);
    if (bytes && usable(*bytes) && RenameDurably(staged, target, false)) return true;
  }
  return false;
}

std::vector<fs::path> StagedCopiesOf(const fs::path& target) {
  return {WithSuffix(target, ".new.tmp"), WithSuffix(target, ".tmp")};
}

fs::path StagingPathFor(const fs::path& target) {
  std::error_code error;
  const fs::path usual = WithSuffix(target, ".tmp");
  // A save that lost the target left this as the only copy: never truncate it.
  if (!fs::exists(target, error) && fs::is_regular_file(usual, error)) {
    return WithSuffix(target, ".new.tmp");
  }
  return usual;
}

void RemoveStagedCopies(const fs::path& target) {
  std::error_code error;
  for (const fs::path& staged : StagedCopiesOf(target)) {
    if (fs::is_regular_file(staged, error)) fs::remove(staged, error);
  }
}

}  // namespace vantor
