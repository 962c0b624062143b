#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/atomic_file.h"

namespace vantor {

namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// Makes the rename itself durable.
void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::optional<std::filesystem::path> StageFile(const std::filesystem::path& target,
                                               std::string_view bytes) {
  const auto staged = StagingPathFor(target);
  const int fd = ::open(staged.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return std::nullopt;
  const bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  if (::close(fd) != 0 || !ok) {
    ::unlink(staged.c_str());
    return std::nullopt;
  }
  return staged;
}

bool CommitStagedFile(const std::filesystem::path& staged, const std::filesystem::path& target) {
  if (std::rename(staged.c_str(), target.c_str()) != 0) {
    ::unlink(staged.c_str());
    return false;
  }
  SyncFolder(target.parent_path());
  return true;
}

}  // namespace vantor
