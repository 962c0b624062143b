#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string_view>

namespace vantor {

// Whether a name holds anything, a link that leads nowhere included.
bool NameTaken(const std::filesystem::path& path);

// Every change an installation makes to the program's folder goes through
// here, one call per step, so that the tests can fail (or cut off, as a power
// cut would) any step. Reads go straight to the file system.
class InstallFiles {
 public:
  virtual ~InstallFiles() = default;
  virtual bool MakeFolder(const std::filesystem::path& folder);
  // Creates `file` and lets `fill` write it; the bytes are flushed to the
  // disk before this returns true.
  virtual bool Write(const std::filesystem::path& file,
                     const std::function<bool(std::FILE*)>& fill);
  // Replaces `file` whole, in one step, flushed (the journal).
  virtual bool WriteWhole(const std::filesystem::path& file, std::string_view bytes);
  // Never over an existing file; durable when it returns true.
  virtual bool Rename(const std::filesystem::path& from, const std::filesystem::path& to);
  // Puts `from` in the place of `to` in one step, so that `to` names the old
  // file or the new one at every instant; durable when it returns true.
  virtual bool Replace(const std::filesystem::path& from, const std::filesystem::path& to);
  // Makes `copy` a second name of `file` (a hard link where the volume has
  // them, else a flushed copy), replacing whatever `copy` was.
  virtual bool KeepCopy(const std::filesystem::path& file, const std::filesystem::path& copy);
  // Read-only files too: a release unpacked by some tools has them.
  virtual bool Remove(const std::filesystem::path& file);
  // A folder and what it holds.
  virtual bool RemoveFolder(const std::filesystem::path& folder);
};

}  // namespace vantor
