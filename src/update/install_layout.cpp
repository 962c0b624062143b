#include "update/install_layout.h"

#include <nlohmann/json.hpp>

#include "common/files.h"
#include "common/safe_path.h"
#include "common/text.h"

namespace vantor {

namespace fs = std::filesystem;

namespace {

std::wstring FirstSegment(const std::wstring& relative) {
  return relative.substr(0, relative.find(kPathSeparator));
}

}  // namespace

std::optional<fs::path> PathBelow(const fs::path& folder, std::string_view relativeUtf8) {
  const auto relative = SafeRelativePath(Utf8ToWide(relativeUtf8), kPathSeparator);
  if (!relative) return std::nullopt;
#ifdef _WIN32
  return folder / fs::path(*relative);
#else
  return folder / fs::path(WideToUtf8(*relative));
#endif
}

bool IsUpdaterOwnName(std::string_view relativeUtf8) {
  const auto relative = SafeRelativePath(Utf8ToWide(relativeUtf8), kPathSeparator);
  if (!relative) return false;
  const std::wstring first = FirstSegment(*relative);
  for (const char* own : {kUpdateArchiveName, kUpdateStagingName, kUpdateJournalName}) {
    if (SameFileName(first, Utf8ToWide(own))) return true;
  }
  if (SameFileName(first, Utf8ToWide(std::string(kUpdateJournalName) + ".tmp"))) return true;
  const std::wstring suffix = Utf8ToWide(kKeptCopySuffix);
  return relative->size() >= suffix.size() &&
         SameFileName(std::wstring_view(*relative).substr(relative->size() - suffix.size()),
                      suffix);
}

SwapItem MakeSwapItem(const fs::path& folder, std::string name, const fs::path& target, size_t n,
                      bool replaces) {
  fs::path kept = target;
  kept += kKeptCopySuffix;
  return {std::move(name), target, std::move(kept), folder / kUpdateStagingName / std::to_string(n),
          replaces};
}

std::string FormatJournal(const Journal& journal) {
  nlohmann::json files = nlohmann::json::array();
  for (const SwapItem& item : journal.items) {
    files.push_back({{"target", item.name},
                     {"kept", item.name + kKeptCopySuffix},
                     {"staged", item.staged.parent_path().filename().u8string() + "/" +
                                    item.staged.filename().u8string()},
                     {"replaces", item.replaces}});
  }
  return nlohmann::json{{"files", files}, {"placed", journal.placed}}.dump(1) + "\n";
}

std::optional<Journal> ParseJournal(std::string_view text, const fs::path& folder) {
  const auto json = nlohmann::json::parse(text, nullptr, false);
  if (!json.is_object() || !json.value("files", nlohmann::json()).is_array() ||
      !json.value("placed", nlohmann::json()).is_boolean()) {
    return std::nullopt;
  }
  Journal journal{{}, json["placed"].get<bool>()};
  std::vector<SwapItem>& items = journal.items;
  for (const auto& file : json["files"]) {
    if (!file.is_object() || !file.value("target", nlohmann::json()).is_string() ||
        !file.value("replaces", nlohmann::json()).is_boolean()) {
      return std::nullopt;
    }
    const std::string name = file["target"].get<std::string>();
    const auto target = PathBelow(folder, name);
    const std::string staged = std::string(kUpdateStagingName) + "/" + std::to_string(items.size());
    // The other names follow from the target and the position; a journal
    // that says otherwise is not ours.
    if (!target || IsUpdaterOwnName(name) || file.value("kept", "") != name + kKeptCopySuffix ||
        file.value("staged", "") != staged) {
      return std::nullopt;
    }
    items.push_back(MakeSwapItem(folder, name, *target, items.size(), file["replaces"]));
  }
  return journal;
}

}  // namespace vantor
