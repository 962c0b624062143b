#include "update/archive_install.h"

#include <miniz.h>

#include <optional>

#include "common/files.h"
#include "common/safe_path.h"
#include "common/text.h"
#include "update/install_layout.h"
#include "update/install_swap.h"

namespace vantor {

namespace fs = std::filesystem;

namespace {

// The file an entry name installs to, or why it is skipped.
std::optional<fs::path> EntryTarget(const std::string& name, const fs::path& folder,
                                    std::string& whySkipped) {
  const auto target = PathBelow(folder, name);
  std::error_code error;
  if (WideToUtf8(Utf8ToWide(name)) != name) {
    whySkipped = "its name is not UTF-8";
  } else if (!target) {
    whySkipped = "not a safe file name";
  } else if (IsUpdaterOwnName(name)) {
    whySkipped = "the updater keeps that name for itself";
  } else if (IsPlayerOwnName(name)) {
    whySkipped = "that name holds the player's own data";
  } else if (!IsInside(*target, folder)) {
    whySkipped = "it leads out of the program's folder";
  } else if (!fs::is_directory(target->parent_path(), error)) {
    whySkipped = "its folder does not exist";
  } else if (fs::is_directory(*target, error)) {
    whySkipped = "a folder of that name exists";
  } else {
    return target;
  }
  return std::nullopt;
}

struct ZipReader {
  mz_zip_archive zip{};
  std::FILE* file = nullptr;
  bool open = false;
  ~ZipReader() {
    if (open) mz_zip_reader_end(&zip);
    if (file != nullptr) std::fclose(file);
  }
};

bool OpenArchive(const fs::path& archive, ZipReader& reader) {
#ifdef _WIN32
  if (_wfopen_s(&reader.file, archive.c_str(), L"rb") != 0) reader.file = nullptr;
#else
  reader.file = std::fopen(archive.c_str(), "rb");
#endif
  if (reader.file == nullptr) return false;
  reader.open = mz_zip_reader_init_cfile(&reader.zip, reader.file, 0, 0);
  return reader.open;
}

// The entries to install with the index of each, in archive order.
struct Plan {
  std::vector<SwapItem> items;
  std::vector<mz_uint> indexes;
  bool unreadable = false;  // a present file could not be read
};

Plan PlanEntries(mz_zip_archive& zip, const fs::path& folder, InstallReport& report) {
  Plan plan;
  const mz_uint count = mz_zip_reader_get_num_files(&zip);
  for (mz_uint index = 0; index < count; ++index) {
    mz_zip_archive_file_stat stat{};
    if (!mz_zip_reader_file_stat(&zip, index, &stat)) continue;
    const std::string name = stat.m_filename;
    std::string whySkipped = "a folder entry";
    const auto target = mz_zip_reader_is_file_a_directory(&zip, index)
                            ? std::nullopt
                            : EntryTarget(name, folder, whySkipped);
    if (!target) {
      report.skipped.push_back(name);
      report.log.push_back("update: skipped " + name + ": " + whySkipped);
      continue;
    }
    std::error_code error;
    SwapItem item =
        MakeSwapItem(folder, name, *target, plan.items.size(), fs::exists(*target, error));
    if (item.replaces) {
      const auto old = ContentOf(*target);
      if (!old) {
        report.failed.push_back(name);
        report.log.push_back("update: the present " + name +
                             " cannot be read; nothing was replaced");
        plan.unreadable = true;
        return plan;
      }
      item.oldContent = *old;
    }
    plan.items.push_back(std::move(item));
    plan.indexes.push_back(index);
  }
  return plan;
}

// Names of entries that land on a file another entry names too. Each name
// is made relative once: no file-system call per pair.
std::vector<std::string> Collisions(const std::vector<SwapItem>& items) {
  std::vector<std::wstring> relative;
  for (const SwapItem& item : items) {
    relative.push_back(SafeRelativePath(Utf8ToWide(item.name), kPathSeparator).value_or(L""));
  }
  std::vector<std::string> colliding;
  for (size_t i = 0; i < items.size(); ++i) {
    for (size_t j = i + 1; j < items.size(); ++j) {
      if (SameFileName(relative[i], relative[j])) {
        colliding.push_back(items[i].name + " and " + items[j].name);
      }
    }
  }
  return colliding;
}

// Unpacks every entry into staging, straight to its file, and records what
// it holds; false at the first one that cannot be read (a CRC mismatch
// included) or written.
bool Stage(mz_zip_archive& zip, Plan& plan, InstallFiles& files, InstallReport& report) {
  for (size_t i = 0; i < plan.items.size(); ++i) {
    SwapItem& item = plan.items[i];
    bool readable = true;
    const bool written = files.Write(item.staged, [&](std::FILE* out) {
      readable = mz_zip_reader_extract_to_cfile(&zip, plan.indexes[i], out, 0);
      return readable;
    });
    if (!written) {
      report.failed.push_back(item.name);
      report.log.push_back("update: " + item.name +
                           (readable ? " cannot be written beside the program"
                                     : " cannot be unpacked (a damaged archive)") +
                           "; nothing was replaced");
      return false;
    }
    const auto content = ContentOf(item.staged);
    if (!content) {
      report.failed.push_back(item.name);
      report.log.push_back("update: the unpacked " + item.name +
                           " cannot be read back; nothing was replaced");
      return false;
    }
    item.newContent = *content;
  }
  return true;
}

// Puts the old release back after a failed or broken-off swap, and says truly
// whether it is whole again.
void Undo(const std::vector<SwapItem>& items, const fs::path& folder, InstallFiles& files,
          InstallReport& report) {
  SwapRun run;
  const bool whole = RollBack(items, files, run);
  if (whole) FinishRolledBack(items, folder, files, run);
  report.rolledBack = true;
  report.log.insert(report.log.end(), run.log.begin(), run.log.end());
  if (!whole) {
    const auto states = DescribeFiles(items);
    report.log.insert(report.log.end(), states.begin(), states.end());
  }
  report.log.push_back(whole ? "update: rolled back; the old release stays"
                             : "update: rolled back only in part; the next start tries again");
}

enum class Step { Planning, Staging, Swapping };

void Install(const fs::path& archive, const fs::path& folder, InstallFiles& files,
             std::wstring_view runningProgram, InstallReport& report, Plan& plan, Step& step) {
  std::error_code error;
  if (fs::exists(folder / kUpdateJournalName, error)) {
    // Its staged files and kept copies are still needed to put it right.
    report.log.push_back(
        "update: an earlier update is still being put right; nothing was replaced");
    return;
  }
  ZipReader reader;
  if (!OpenArchive(archive, reader)) {
    report.log.push_back("update: the download is not a readable archive; nothing was replaced");
    return;
  }
  plan = PlanEntries(reader.zip, folder, report);
  if (plan.unreadable) return;
  if (const auto colliding = Collisions(plan.items); !colliding.empty()) {
    for (const std::string& pair : colliding) {
      report.failed.push_back(pair);
      report.log.push_back("update: the archive names one file twice: " + pair);
    }
    report.log.push_back("update: the archive was refused; nothing was replaced");
    return;
  }
  if (plan.items.empty()) return;

  step = Step::Staging;
  const fs::path staging = folder / kUpdateStagingName;
  if ((fs::exists(staging, error) && !files.RemoveFolder(staging)) || !files.MakeFolder(staging)) {
    report.log.push_back("update: " + staging.u8string() + " cannot be made; nothing was replaced");
    return;
  }
  if (!Stage(reader.zip, plan, files, report)) return;
  if (!files.WriteWhole(folder / kUpdateJournalName, FormatJournal({plan.items, false}))) {
    report.log.push_back("update: update.journal cannot be written; nothing was replaced");
    return;
  }

  step = Step::Swapping;
  SwapRun run;
  const bool placed = RollForward(plan.items, files, run, runningProgram);
  if (placed && !run.programPending) FinishPlaced({plan.items, false}, folder, files, run);
  report.log.insert(report.log.end(), run.log.begin(), run.log.end());
  if (!placed) {
    report.failed.push_back(run.stoppedAt);
    Undo(plan.items, folder, files, report);
    return;
  }
  for (const SwapItem& item : plan.items) report.installed.push_back(item.name);
  report.programPending = run.programPending;
  report.log.push_back(run.programPending
                           ? "update: " + std::to_string(plan.items.size() - 1) +
                                 " files in place; the program file waits for this process to end"
                           : "update: installed " + std::to_string(plan.items.size()) + " files");
}

}  // namespace

InstallReport InstallArchive(const fs::path& archive, const fs::path& folder,
                             std::wstring_view runningProgram) {
  InstallFiles files;
  return InstallArchive(archive, folder, files, runningProgram);
}

InstallReport InstallArchive(const fs::path& archive, const fs::path& folder, InstallFiles& files,
                             std::wstring_view runningProgram) {
  InstallReport report;
  Plan plan;
  Step step = Step::Planning;
  // Whatever stops the installation (no memory for an entry, an error the
  // file system throws), the folder is left whole.
  const auto leaveWhole = [&](const std::string& why) {
    report.log.push_back("update: stopped by an error (" + why + ")");
    report.installed.clear();
    try {
      if (step == Step::Swapping) {
        Undo(plan.items, folder, files, report);
      } else if (step == Step::Staging) {
        files.RemoveFolder(folder / kUpdateStagingName);
        report.log.push_back("update: nothing was replaced");
      }
    } catch (...) {
      report.log.push_back("update: the next start puts the files right");
    }
  };
  try {
    Install(archive, folder, files, runningProgram, report, plan, step);
    if (step == Step::Staging) files.RemoveFolder(folder / kUpdateStagingName);
  } catch (const std::exception& e) {
    leaveWhole(e.what());
  } catch (...) {
    leaveWhole("unknown");
  }
  return report;
}

}  // namespace vantor
