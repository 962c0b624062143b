#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/config.h"

namespace vantor {

// What the session asks the Windows side to carry out, in order.
enum class CommandKind {
  Navigate,         // text: the URI
  Reload,           //
  OpenDevTools,     //
  RunScript,        // text: the script, run once in the current document
  SetCapture,       // on: whether the page holds the pointer lock
  ApplyWindowMode,  // place the window as the settings now say
  CloseWindow,      // end the program through its normal teardown, code 0
  TellUser,         // text: a warning, shown outside any callback
};

struct Command {
  Command(CommandKind commandKind, std::wstring commandText = {}, bool commandOn = false)
      : kind(commandKind), text(std::move(commandText)), on(commandOn) {}

  CommandKind kind;
  std::wstring text;
  bool on;

  bool operator==(const Command& other) const {
    return kind == other.kind && text == other.text && on == other.on;
  }
};

using Commands = std::vector<Command>;

// The client's decisions about what happens in the page and on the keyboard:
// the Windows side reports an event, the session answers with commands. It
// owns no platform object, so every decision is tested natively.
class Session {
 public:
  Session(Config& config, std::wstring version) : config_(config), version_(std::move(version)) {}

  // A string message the page posted from the document at `sourceUri`.
  Commands OnPageMessage(std::wstring_view sourceUri, std::wstring_view text);
  // A function key released, on the window or in the web view.
  Commands OnKeyReleased(unsigned virtualKey);

 private:
  // Stores one setting and adds what its effect needs, then the warning of a
  // save that failed (once per run).
  void ChangeSetting(std::string_view key, std::wstring_view value, Commands& out);
  void AddMenuScripts(Commands& out) const;

  Config& config_;
  std::wstring version_;
};

}  // namespace vantor
