#include "update/leftovers.h"

#include <set>
#include <sstream>

#include "common/files.h"
#include "common/text.h"
#include "update/install_layout.h"

namespace vantor {

namespace fs = std::filesystem;

namespace {

// The names "update.kept" lists that can be a kept copy in the folder
// itself; any other line is not ours to act on.
std::vector<std::string> ListedKeptCopies(const std::string& text) {
  std::vector<std::string> names;
  std::istringstream lines(text);
  for (std::string name; std::getline(lines, name);) {
    if (!name.empty() && name.back() == '\r') name.pop_back();
    const std::wstring wide = Utf8ToWide(name);
    if (wide.size() <= std::size(kKeptCopySuffix) - 1 ||
        wide.find_first_of(L"/\\") != std::wstring::npos || !EndsAsKeptCopy(wide) ||
        !PathBelow(fs::path("."), name)) {
      continue;
    }
    names.push_back(name);
  }
  return names;
}

std::string ListText(const std::set<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += name + "\n";
  return text;
}

// Removes the listed kept copies whose originals are in place; keeps the
// list of those that stay.
void RemoveListedCopies(const fs::path& folder, InstallFiles& files,
                        std::vector<fs::path>& leftOver) {
  const fs::path list = folder / kKeptListName;
  const auto text = ReadWholeFile(list);
  if (!text) return;
  std::set<std::string> staying;
  for (const std::string& name : ListedKeptCopies(*text)) {
    const auto kept = PathBelow(folder, name);
    if (!kept || !NameTaken(*kept)) continue;
    fs::path original = *kept;
    original.replace_extension();
    if (!NameTaken(original)) {
      staying.insert(name);  // the only copy of that file
    } else if (!files.Remove(*kept)) {
      staying.insert(name);
      leftOver.push_back(*kept);
    }
  }
  const bool done =
      staying.empty() ? files.Remove(list) : files.WriteWhole(list, ListText(staying));
  if (!done) leftOver.push_back(list);
}

}  // namespace

std::vector<fs::path> RemoveUpdateLeftovers(const fs::path& folder) {
  std::vector<fs::path> leftOver;
  // Through the installation's own calls: they clear a read-only mark first.
  InstallFiles files;
  const auto removeIfThere = [&](const fs::path& path, bool isFolder) {
    if (NameTaken(path) && !(isFolder ? files.RemoveFolder(path) : files.Remove(path))) {
      leftOver.push_back(path);
    }
  };
  removeIfThere(folder / kUpdateArchiveName, false);
  removeIfThere(folder / kPartialDownloadName, false);
  removeIfThere(folder / (std::string(kUpdateJournalName) + ".tmp"), false);
  // The kept copies and the staged files may still be needed.
  if (NameTaken(folder / kUpdateJournalName)) return leftOver;
  removeIfThere(folder / kUpdateStagingName, true);
  RemoveListedCopies(folder, files, leftOver);
  return leftOver;
}

bool RecordKeptCopies(const fs::path& folder, const std::vector<std::string>& names,
                      InstallFiles& files) {
  const fs::path list = folder / kKeptListName;
  std::set<std::string> all(names.begin(), names.end());
  if (const auto text = ReadWholeFile(list)) {
    for (const std::string& name : ListedKeptCopies(*text)) all.insert(name);
  }
  return files.WriteWhole(list, ListText(all));
}

}  // namespace vantor
