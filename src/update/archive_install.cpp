#include "update/archive_install.h"

#include <miniz.h>

#include <fstream>
#include <iterator>
#include <optional>

#include "common/files.h"
#include "common/safe_path.h"
#include "common/text.h"

namespace vantor {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> ReadWholeFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// True when `inner` lies inside `folder` once links and ".." are resolved.
bool IsInside(const fs::path& inner, const fs::path& folder) {
  std::error_code error;
  const fs::path base = fs::weakly_canonical(folder, error);
  if (error) return false;
  const fs::path resolved = fs::weakly_canonical(inner, error);
  if (error) return false;
  auto b = base.begin();
  auto r = resolved.begin();
  for (; b != base.end(); ++b, ++r) {
    if (r == resolved.end() || *r != *b) return false;
  }
  return r != resolved.end();
}

// The file an entry name installs to, or nothing when it is not safe.
std::optional<fs::path> EntryTarget(const std::string& name, const fs::path& folder) {
  const auto relative = SafeRelativePath(Utf8ToWide(name), kPathSeparator);
  if (!relative) return std::nullopt;
#ifdef _WIN32
  const fs::path target = folder / fs::path(*relative);
#else
  const fs::path target = folder / fs::path(WideToUtf8(*relative));
#endif
  if (!IsInside(target, folder)) return std::nullopt;
  return target;
}

size_t WriteToStream(void* opaque, mz_uint64, const void* data, size_t size) {
  auto* out = static_cast<std::ofstream*>(opaque);
  out->write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  return *out ? size : 0;
}

bool Extract(mz_zip_archive& zip, mz_uint index, const fs::path& target) {
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  const bool ok =
      mz_zip_reader_extract_to_callback(&zip, index, WriteToStream, &out, 0) != MZ_FALSE;
  out.close();
  return ok && !out.fail();
}

fs::path KeptCopyOf(const fs::path& target) {
  fs::path kept = target;
  kept += ".old";
  return kept;
}

// Installs one entry: the old file moves aside first (a running executable can
// be renamed but not written), and comes back if the new one cannot be written.
void InstallEntry(mz_zip_archive& zip, mz_uint index, const std::string& name,
                  const fs::path& target, InstallReport& report) {
  std::error_code error;
  if (!fs::is_directory(target.parent_path(), error)) {
    report.skipped.push_back(name);
    return;
  }
  const fs::path kept = KeptCopyOf(target);
  bool movedAside = false;
  if (fs::exists(target, error)) {
    fs::remove(kept, error);  // a leftover the clean-up could not take yet
    fs::rename(target, kept, error);
    movedAside = !error;
  }
  if (Extract(zip, index, target)) {
    report.installed.push_back(name);
    return;
  }
  report.failed.push_back(name);
  if (movedAside) {
    fs::remove(target, error);
    fs::rename(kept, target, error);
  }
}

}  // namespace

InstallReport InstallArchive(const fs::path& archive, const fs::path& folder) {
  InstallReport report;
  const auto bytes = ReadWholeFile(archive);
  if (!bytes) return report;
  mz_zip_archive zip{};
  if (!mz_zip_reader_init_mem(&zip, bytes->data(), bytes->size(), 0)) return report;

  const mz_uint count = mz_zip_reader_get_num_files(&zip);
  for (mz_uint index = 0; index < count; ++index) {
    mz_zip_archive_file_stat stat{};
    if (!mz_zip_reader_file_stat(&zip, index, &stat)) continue;
    const std::string name = stat.m_filename;
    if (mz_zip_reader_is_file_a_directory(&zip, index)) {
      report.skipped.push_back(name);
      continue;
    }
    const auto target = EntryTarget(name, folder);
    if (!target) {
      report.skipped.push_back(name);
      continue;
    }
    InstallEntry(zip, index, name, *target, report);
  }
  mz_zip_reader_end(&zip);
  return report;
}

}  // namespace vantor
