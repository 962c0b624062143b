#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string_view>

namespace vantor {

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
  virtual bool Remove(const std::filesystem::path& file);
  // A folder and what it holds.
  virtual bool RemoveFolder(const std::filesystem::path& folder);
};

}  // namespace vantor
