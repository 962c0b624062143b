#include "update/leftovers.h"

#include "update/archive_install.h"

namespace vantor {

namespace fs = std::filesystem;

std::vector<fs::path> RemoveUpdateLeftovers(const fs::path& folder) {
  std::vector<fs::path> leftOver;
  std::error_code error;
  // Collected first: removing while listing is not portable.
  std::vector<fs::path> found;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const fs::path& path = it->path();
    if (path.extension() == ".old" || path.filename() == kUpdateArchiveName ||
        path.filename() == kUpdateStagingName) {
      found.push_back(path);
    }
  }
  for (const fs::path& path : found) {
    if (path.filename() == kUpdateStagingName) {
      fs::remove_all(path, error);
    } else {
      fs::remove(path, error);
    }
    if (error) leftOver.push_back(path);
  }
  return leftOver;
}

}  // namespace vantor
