#include "config/config.h"

#include <fstream>

#include "common/atomic_file.h"
#include "common/files.h"
#include "common/log.h"
#include "common/text.h"

namespace vantor {

namespace {

using nlohmann::json;

// A name beside the settings file that no other file holds yet. Its extension
// is ".invalid": the updater's clean-up removes ".old" and ".zip" entries.
std::filesystem::path FreeBackupName(const std::filesystem::path& settings) {
  std::error_code error;
  for (int n = 1;; ++n) {
    auto candidate = settings;
    candidate += n == 1 ? ".invalid" : "." + std::to_string(n) + ".invalid";
    if (!std::filesystem::exists(candidate, error)) return candidate;
  }
}

const json* FindMember(const json& document, std::string_view key) noexcept {
  if (!document.is_object()) return nullptr;
  const auto it = document.find(key);
  return it == document.end() ? nullptr : &*it;
}

}  // namespace

std::filesystem::path DefaultConfigPath() {
#ifdef _WIN32
  return std::filesystem::path(GetExecutableFolder()) / L"config.json";
#else
  return std::filesystem::path(GetExecutableFolderA()) / "config.json";
#endif
}

Config::Config() : Config(DefaultConfigPath()) {}

Config::Config(std::filesystem::path settingsPath) : path(std::move(settingsPath)) {
  Load();
  Changed();
}

void Config::Load() {
  document = nullptr;
  // A save that lost the old file left the new one under its temporary name.
  if (RecoverStagedFile(path, [](const std::string& bytes) {
        return json::parse(bytes, nullptr, false).is_object();
      })) {
    applog::Write("settings: recovered " + path.u8string() + " from a save that was cut short");
  }
  if (!FileExists(path.native())) {
    // There but unreadable (locked, no permission): never replace it blindly.
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
      problem = LoadProblem{"it could not be opened for reading", FreeBackupName(path)};
    }
    return;
  }
  // Binary mode: the parser takes CR LF as white space, and text mode on
  // Windows would stop at a stray Ctrl+Z.
  std::ifstream in(path, std::ios::binary);
  if (!in) return;
  try {
    in >> document;  // one value; a UTF-8 BOM is skipped, trailing text ignored
  } catch (const std::exception& error) {  // parse errors and read errors alike
    document = nullptr;
    problem = LoadProblem{error.what(), FreeBackupName(path)};
    return;
  }
  if (!document.is_object()) {
    problem =
        LoadProblem{std::string("its top level is ") + document.type_name() + ", not an object",
                    FreeBackupName(path)};
    return;
  }
  // The file is whole: a staged file beside it is an older save's, which
  // must not come back when the player deletes config.json.
  RemoveStagedCopies(path);
}

std::wstring Config::ProblemMessage() const {
  if (!problem) return {};
  return L"Vantor could not use its settings file\n" + PathToWide(path) + L"\n\n" +
         Utf8ToWide(problem->detail) +
         L"\n\nVantor runs on its default settings. The file is left as it is; "
         L"when you next change a setting it is kept as\n" +
         PathToWide(problem->keptAs);
}

bool Config::Contains(std::string_view key) const noexcept {
  return FindMember(document, key) != nullptr;
}

bool Config::Get(const Setting& setting) const noexcept {
  return GetBool(setting.key, setting.fallback);
}

bool Config::GetBool(std::string_view key, bool fallback) const noexcept {
  const json* member = FindMember(document, key);
  return member != nullptr && member->is_boolean() ? member->get<bool>() : fallback;
}

std::wstring Config::GetText(const Setting& setting) const {
  const json* member = FindMember(document, setting.key);
  if (member == nullptr || !member->is_string()) return {};
  return Utf8ToWide(member->get_ref<const std::string&>());
}

json& Config::MemberForWrite(std::string_view key) {
  if (!document.is_object()) document = json::object();
  return document[std::string(key)];
}

void Config::SetBool(std::string_view key, bool value) {
  MemberForWrite(key) = value;
  Changed();  // in memory at once, whether or not the save works
  Save();
}

void Config::SetText(const Setting& setting, const std::wstring& text) {
  MemberForWrite(setting.key) = WideToUtf8(text);
  Changed();
  Save();
}

// Copies a file that failed to load aside, once, before it is first replaced.
// The original stays in place until the atomic replace, so no moment exists
// where neither copy is on the disk.
bool Config::KeepUsersFile() {
  if (!problem || usersFileKept) return true;
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    usersFileKept = true;
    return true;
  }
  std::filesystem::copy_file(path, problem->keptAs, std::filesystem::copy_options::none, error);
  usersFileKept = !error;
  return usersFileKept;
}

bool Config::Save() {
  // Never replace a file we could not keep.
  const bool saved = KeepUsersFile() && WriteFileAtomically(path, Serialize(document));
  if (!saved) {
    applog::Write("settings: could not save " + path.u8string() +
                  "; the change applies until Vantor closes");
    if (!saveFailureSeen) saveFailureSeen = saveWarningPending = true;
  }
  return saved;
}

std::wstring Config::TakeSaveWarning() {
  if (!saveWarningPending) return {};
  saveWarningPending = false;
  return L"Vantor could not save your settings to\n" + PathToWide(path) +
         L"\n\nThe change applies until Vantor closes. Check that the folder is writable "
         L"and that no other program holds the file.";
}

std::string Config::Serialize(const json& document) {
  // Invalid UTF-8 cannot reach the document through the setters, but a dump
  // must never throw from a handler: replace rather than fail.
  const std::string text = document.dump(4, ' ', false, json::error_handler_t::replace) + "\n";
  std::string crlf;
  crlf.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return crlf;
}

}  // namespace vantor
