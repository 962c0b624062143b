#include "update/archive_install.h"

#include <miniz.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <optional>

#include "common/files.h"
#include "common/safe_path.h"
#include "common/text.h"

namespace vantor {

namespace fs = std::filesystem;

bool InstallFiles::Write(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

bool InstallFiles::Rename(const fs::path& from, const fs::path& to) {
  std::error_code error;
  fs::rename(from, to, error);
  return !error;
}

bool InstallFiles::Remove(const fs::path& file) {
  std::error_code error;
  fs::remove(file, error);
  return !error;
}

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

// The file an entry name installs to, or why it is skipped.
std::optional<fs::path> EntryTarget(const std::string& name, const fs::path& folder,
                                    std::string& whySkipped) {
  const auto relative = SafeRelativePath(Utf8ToWide(name), kPathSeparator);
  if (!relative) {
    whySkipped = "not a safe file name";
    return std::nullopt;
  }
#ifdef _WIN32
  const fs::path target = folder / fs::path(*relative);
#else
  const fs::path target = folder / fs::path(WideToUtf8(*relative));
#endif
  std::error_code error;
  if (!IsInside(target, folder)) {
    whySkipped = "it leads out of the program's folder";
  } else if (!fs::is_directory(target.parent_path(), error)) {
    whySkipped = "its folder does not exist";
  } else if (fs::is_directory(target, error)) {
    whySkipped = "a folder of that name exists";
  } else {
    return target;
  }
  return std::nullopt;
}

// One file to install: where it goes and where it waits meanwhile.
struct Planned {
  std::string name;
  fs::path target;
  fs::path staged;
  bool movedAside = false;  // the old file is "<target>.old" now
  bool placed = false;      // the new file is at target now
};

fs::path KeptCopyOf(const fs::path& target) {
  fs::path kept = target;
  kept += ".old";
  return kept;
}

struct ZipReader {
  mz_zip_archive zip{};
  bool open = false;
  ~ZipReader() {
    if (open) mz_zip_reader_end(&zip);
  }
};

// Unpacks every planned entry into the staging folder; false at the first
// one that cannot be read (a CRC mismatch included) or written.
bool Stage(mz_zip_archive& zip, const std::vector<mz_uint>& indexes, std::vector<Planned>& plan,
           InstallFiles& files, InstallReport& report) {
  for (size_t i = 0; i < plan.size(); ++i) {
    size_t size = 0;
    std::unique_ptr<void, decltype(&mz_free)> data(
        mz_zip_reader_extract_to_heap(&zip, indexes[i], &size, 0), &mz_free);
    if (!data) {
      report.failed.push_back(plan[i].name);
      report.log.push_back("update: " + plan[i].name +
                           " cannot be unpacked (a damaged archive); nothing was replaced");
      return false;
    }
    if (!files.Write(plan[i].staged, std::string(static_cast<const char*>(data.get()), size))) {
      report.failed.push_back(plan[i].name);
      report.log.push_back("update: " + plan[i].name +
                           " cannot be written beside the program; nothing was replaced");
      return false;
    }
  }
  return true;
}

// Puts back everything the swap had moved, newest first.
void RollBack(std::vector<Planned>& plan, InstallFiles& files, InstallReport& report) {
  report.rolledBack = true;
  for (auto it = plan.rbegin(); it != plan.rend(); ++it) {
    if (it->placed && !files.Remove(it->target)) {
      report.log.push_back("update: the new " + it->name + " could not be removed again");
    }
    if (it->movedAside && !files.Rename(KeptCopyOf(it->target), it->target)) {
      report.log.push_back("update: the old " + it->name + " could not be put back; it is " +
                           KeptCopyOf(it->target).filename().u8string());
    }
  }
}

// Moves each old file aside and its new one into place; on the first failure
// rolls everything back.
bool Swap(std::vector<Planned>& plan, InstallFiles& files, InstallReport& report) {
  for (Planned& item : plan) {
    std::error_code error;
    if (fs::exists(item.target, error)) {
      const fs::path kept = KeptCopyOf(item.target);
      if (fs::exists(kept, error)) files.Remove(kept);  // left by an earlier update
      if (!files.Rename(item.target, kept)) {
        report.failed.push_back(item.name);
        report.log.push_back("update: " + item.name + " cannot be moved aside (in use?)");
        RollBack(plan, files, report);
        return false;
      }
      item.movedAside = true;
    }
    if (!files.Rename(item.staged, item.target)) {
      report.failed.push_back(item.name);
      report.log.push_back("update: the new " + item.name + " cannot be put in place");
      RollBack(plan, files, report);
      return false;
    }
    item.placed = true;
  }
  return true;
}

}  // namespace

InstallReport InstallArchive(const fs::path& archive, const fs::path& folder) {
  InstallFiles files;
  return InstallArchive(archive, folder, files);
}

InstallReport InstallArchive(const fs::path& archive, const fs::path& folder, InstallFiles& files) {
  InstallReport report;
  const auto bytes = ReadWholeFile(archive);
  ZipReader reader;
  if (bytes) reader.open = mz_zip_reader_init_mem(&reader.zip, bytes->data(), bytes->size(), 0);
  if (!reader.open) {
    report.log.push_back("update: the download is not a readable archive; nothing was replaced");
    return report;
  }

  const fs::path staging = folder / kUpdateStagingName;
  std::vector<Planned> plan;
  std::vector<mz_uint> indexes;
  const mz_uint count = mz_zip_reader_get_num_files(&reader.zip);
  for (mz_uint index = 0; index < count; ++index) {
    mz_zip_archive_file_stat stat{};
    if (!mz_zip_reader_file_stat(&reader.zip, index, &stat)) continue;
    const std::string name = stat.m_filename;
    std::string whySkipped = "a folder entry";
    const auto target = mz_zip_reader_is_file_a_directory(&reader.zip, index)
                            ? std::nullopt
                            : EntryTarget(name, folder, whySkipped);
    if (!target) {
      report.skipped.push_back(name);
      report.log.push_back("update: skipped " + name + ": " + whySkipped);
      continue;
    }
    plan.push_back({name, *target, staging / std::to_string(plan.size())});
    indexes.push_back(index);
  }
  if (plan.empty()) return report;

  std::error_code error;
  fs::remove_all(staging, error);
  if (!fs::create_directory(staging, error)) {
    report.log.push_back("update: " + staging.u8string() + " cannot be made; nothing was replaced");
    return report;
  }
  const bool done = Stage(reader.zip, indexes, plan, files, report) && Swap(plan, files, report);
  fs::remove_all(staging, error);
  if (!done) {
    if (report.rolledBack) report.log.push_back("update: rolled back; the old release stays");
    return report;
  }
  for (const Planned& item : plan) report.installed.push_back(item.name);
  report.log.push_back("update: installed " + std::to_string(plan.size()) + " files");
  return report;
}

}  // namespace vantor
