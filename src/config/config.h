#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "config/settings.h"

namespace vantor {

// The settings store: one JSON document in memory, mirrored in "config.json"
// beside the executable. Readers pass their own fallback for an absent key; the
// file holds only keys that were set at least once (or written by the user).
//
// Every method runs on the user-interface thread; none of the readers throws,
// because they are called from the window procedure, WebView2 handlers and the
// mouse hook. A key of the wrong type reads as absent.
class Config {
 public:
  // What went wrong reading an existing file, for the start-up warning. The
  // program then runs on the fallbacks, and the file is kept under
  // `keptAs` before the first save would replace it.
  struct LoadProblem {
    std::string detail;            // the parser's message, or what the top level is
    std::filesystem::path keptAs;  // where the user's file will be kept
  };

  // Loads "config.json" from the executable's folder.
  Config();
  // Loads the given file; the tests use it with temporary folders.
  explicit Config(std::filesystem::path settingsPath);

  bool Contains(std::string_view key) const noexcept;

  // A boolean setting as stored, or its fallback when absent or mistyped.
  bool Get(const Setting& setting) const noexcept;
  // A text setting as wide text; empty when absent or not a string.
  std::wstring GetText(const Setting& setting) const;
  // Any key's boolean, for keys the program does not know.
  bool GetBool(std::string_view key, bool fallback) const noexcept;
  // "Raw Input", as the mouse hook and the message loop read it for every
  // event: kept in step with every change, so reading it is one load.
  bool RawInput() const noexcept { return rawInput_; }

  // Store the value and rewrite the file. A document that is not an object
  // becomes an object holding just the new key (the user's file is kept first).
  void SetBool(std::string_view key, bool value);
  void SetText(const Setting& setting, const std::wstring& text);

  // Rewrites the whole file atomically; false when it could not be written (the
  // change stays in memory for this run).
  bool Save();

  // The warning for the first save of this run that failed, once; empty
  // otherwise. One message per run, however many changes follow.
  std::wstring TakeSaveWarning();

  const nlohmann::json& Document() const noexcept { return document; }
  const std::filesystem::path& Path() const noexcept { return path; }
  const std::optional<LoadProblem>& Problem() const noexcept { return problem; }

  // The start-up warning for Problem(), or empty when the file loaded cleanly.
  std::wstring ProblemMessage() const;

  // The exact bytes Save writes for a document: pretty-printed with an indent
  // of 4, keys in byte order, raw UTF-8, CR LF line ends, one final line break.
  static std::string Serialize(const nlohmann::json& document);

 private:
  void Load();
  nlohmann::json& MemberForWrite(std::string_view key);
  bool KeepUsersFile();

  void Changed() noexcept { rawInput_ = Get(settings::kRawInput); }

  nlohmann::json document;
  bool rawInput_ = false;
  std::filesystem::path path;
  std::optional<LoadProblem> problem;
  bool usersFileKept = false;
  bool saveFailureSeen = false;
  bool saveWarningPending = false;
};

// The settings file of the running program: "<executable folder>/config.json".
std::filesystem::path DefaultConfigPath();

}  // namespace vantor
