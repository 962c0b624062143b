#include "update/install_layout.h"

#include <nlohmann/json.hpp>

#include "common/files.h"
#include "common/log.h"
#include "common/safe_path.h"
#include "common/text.h"
#include "update/download_check.h"

namespace vantor {

namespace fs = std::filesystem;

namespace {

std::wstring FirstSegment(const std::wstring& relative) {
  return relative.substr(0, relative.find(kPathSeparator));
}

bool StartsWithName(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && SameFileName(text.substr(0, prefix.size()), prefix);
}

nlohmann::json ContentJson(const FileContent& content) {
  return {{"size", content.size}, {"sha256", content.sha256}};
}

std::optional<FileContent> ContentFromJson(const nlohmann::json& json) {
  if (!json.is_object() || !json.value("size", nlohmann::json()).is_number_unsigned() ||
      !json.value("sha256", nlohmann::json()).is_string()) {
    return std::nullopt;
  }
  FileContent content{json["size"].get<std::uint64_t>(), json["sha256"].get<std::string>()};
  if (content.sha256.size() != 64) return std::nullopt;
  return content;
}

// The starts that took a journal up. A count that is not a small whole
// number (negative, huge, a fraction, a text) was not written by a start:
// it counts as used up, so that no start hands off or loops on it.
int RecoveriesFromJson(const nlohmann::json& json) {
  if (!json.is_number_unsigned()) return kMaxJournalRecoveries;
  const auto count = json.get<std::uint64_t>();
  return count < kMaxJournalRecoveries ? static_cast<int>(count) : kMaxJournalRecoveries;
}

}  // namespace

std::optional<FileContent> ContentOf(const fs::path& file) {
  std::error_code error;
  if (!fs::is_regular_file(file, error)) return std::nullopt;
  const auto size = fs::file_size(file, error);
  if (error) return std::nullopt;
  std::string digest = FileSha256(file);
  if (digest.empty()) return std::nullopt;
  return FileContent{size, std::move(digest)};
}

std::optional<fs::path> PathBelow(const fs::path& folder, std::string_view relativeUtf8) {
  const auto relative = SafeRelativePath(Utf8ToWide(relativeUtf8), kPathSeparator);
  if (!relative) return std::nullopt;
#ifdef _WIN32
  return folder / fs::path(*relative);
#else
  return folder / fs::path(WideToUtf8(*relative));
#endif
}

bool IsInside(const fs::path& inner, const fs::path& folder) {
  std::error_code error;
  const fs::path base = fs::weakly_canonical(folder, error);
  if (error) return false;
  const fs::path resolved = fs::weakly_canonical(inner, error);
  if (error) return false;
  auto b = base.begin();
  auto r = resolved.begin();
  for (; b != base.end(); ++b, ++r) {
    if (b->empty()) continue;  // the trailing separator of a drive's root
    if (r == resolved.end() || !SameFileName(r->wstring(), b->wstring())) return false;
  }
  return r != resolved.end();
}

bool IsUpdaterOwnName(std::string_view relativeUtf8) {
  const auto relative = SafeRelativePath(Utf8ToWide(relativeUtf8), kPathSeparator);
  if (!relative) return false;
  const std::wstring first = FirstSegment(*relative);
  // "update.journal" covers its temporary file and the set-aside one too.
  for (const char* own :
       {kUpdateArchiveName, kUpdateStagingName, kPartialDownloadName, kKeptListName}) {
    if (SameFileName(first, Utf8ToWide(own))) return true;
  }
  if (StartsWithName(first, Utf8ToWide(kUpdateJournalName))) return true;
  return EndsAsKeptCopy(*relative);
}

bool EndsAsKeptCopy(std::wstring_view name) {
  const std::wstring suffix = Utf8ToWide(kKeptCopySuffix);
  return name.size() >= suffix.size() &&
         SameFileName(name.substr(name.size() - suffix.size()), suffix);
}

bool IsPlayerOwnName(std::string_view relativeUtf8) {
  const auto relative = SafeRelativePath(Utf8ToWide(relativeUtf8), kPathSeparator);
  if (!relative) return false;
  const std::wstring first = FirstSegment(*relative);
  // The settings with their kept and temporary copies, the log with its
  // older file, and the browser's data.
  return StartsWithName(first, L"config.json") || StartsWithName(first, Utf8ToWide(kLogFileName)) ||
         SameFileName(first, L"cache");
}

SwapItem MakeSwapItem(const fs::path& folder, std::string name, const fs::path& target, size_t n,
                      bool replaces) {
  fs::path kept = target;
  kept += kKeptCopySuffix;
  SwapItem item;
  item.name = std::move(name);
  item.target = target;
  item.kept = std::move(kept);
  item.staged = folder / kUpdateStagingName / std::to_string(n);
  item.replaces = replaces;
  return item;
}

std::string FormatJournal(const Journal& journal) {
  nlohmann::json files = nlohmann::json::array();
  for (const SwapItem& item : journal.items) {
    nlohmann::json file = {{"target", item.name},
                           {"kept", item.name + kKeptCopySuffix},
                           {"staged", item.staged.parent_path().filename().u8string() + "/" +
                                          item.staged.filename().u8string()},
                           {"replaces", item.replaces},
                           {"new", ContentJson(item.newContent)}};
    if (item.replaces) file["old"] = ContentJson(item.oldContent);
    files.push_back(std::move(file));
  }
  return nlohmann::json{
             {"files", files}, {"placed", journal.placed}, {"recoveries", journal.recoveries}}
             .dump(1) +
         "\n";
}

std::optional<Journal> ParseJournal(std::string_view text, const fs::path& folder) {
  const auto json = nlohmann::json::parse(text, nullptr, false);
  if (!json.is_object() || !json.value("files", nlohmann::json()).is_array() ||
      !json.value("placed", nlohmann::json()).is_boolean() || !json.contains("recoveries")) {
    return std::nullopt;
  }
  Journal journal{{}, json["placed"].get<bool>(), RecoveriesFromJson(json["recoveries"])};
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
    if (!target || IsUpdaterOwnName(name) || IsPlayerOwnName(name) || !IsInside(*target, folder) ||
        file.value("kept", "") != name + kKeptCopySuffix || file.value("staged", "") != staged) {
      return std::nullopt;
    }
    SwapItem item = MakeSwapItem(folder, name, *target, items.size(), file["replaces"]);
    const auto newContent = ContentFromJson(file.value("new", nlohmann::json()));
    const auto oldContent = ContentFromJson(file.value("old", nlohmann::json()));
    if (!newContent || (item.replaces && !oldContent)) return std::nullopt;
    item.newContent = *newContent;
    if (oldContent) item.oldContent = *oldContent;
    items.push_back(std::move(item));
  }
  return journal;
}

}  // namespace vantor
