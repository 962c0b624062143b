#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/atomic_file.h"
#include "common/files.h"

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
  if (RenameDurably(staged, target, true)) return true;
  ::unlink(staged.c_str());
  return false;
}

}  // namespace vantor
