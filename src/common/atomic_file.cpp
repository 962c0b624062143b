#include "common/atomic_file.h"

namespace vantor {

std::filesystem::path StagingPathFor(const std::filesystem::path& target) {
  auto staged = target;
  staged += ".tmp";
  return staged;
}

}  // namespace vantor
