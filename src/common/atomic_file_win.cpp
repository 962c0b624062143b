#include <windows.h>

#include "common/atomic_file.h"
#include "common/files.h"

namespace vantor {

namespace {

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

std::optional<std::filesystem::path> StageFile(const std::filesystem::path& target,
                                               std::string_view bytes) {
  const auto staged = StagingPathFor(target);
  HANDLE file = CreateFileW(staged.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  const bool ok = WriteAll(file, bytes) && FlushFileBuffers(file);
  if (!CloseHandle(file) || !ok) {
    DeleteFileW(staged.c_str());
    return std::nullopt;
  }
  return staged;
}

bool CommitStagedFile(const std::filesystem::path& staged, const std::filesystem::path& target) {
  // ReplaceFileW keeps the target's attributes and security; it needs an
  // existing target, so a first save moves the staged file into place instead.
  if (ReplaceFileW(target.c_str(), staged.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                   nullptr, nullptr)) {
    return true;
  }
  // Also after a replace that failed half-way (ERROR_UNABLE_TO_MOVE_REPLACEMENT:
  // the old file is gone, the new one still under its temporary name). A
  // scanner holding the file a moment is why a few tries are worth it.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (attempt > 0) Sleep(20);
    if (RenameDurably(staged, target, true)) return true;
  }
  // Never the only copy: without the target, the next load takes this one.
  if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) DeleteFileW(staged.c_str());
  return false;
}

}  // namespace vantor
