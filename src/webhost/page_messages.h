#pragma once

#include <string>
#include <string_view>

namespace vantor {

// The strings the host's own scripts and panel post from the page, and what
// each means. Exact texts match whole; prefixes match at the start; all is
// case-sensitive with no trimming, tested in this order.
enum class PageMessageKind {
  StartHook,       // "startHook": the page took the pointer lock
  StopHook,        // "stopHook": it let it go
  ClientLoaded,    // "clientLoaded": decorate the game's menu
  ClientSettings,  // "clientSettings": show the settings panel
  ClientExit,      // "clientExit": close the program
  MapChange,       // "mapChange_" + text: reserved for an activity status
  NameChange,      // "nameChange_" + text: likewise
  SettingChange,   // "clientSettings_" + key "_" value
  Ignored,         // anything else
};

struct PageMessage {
  PageMessageKind kind = PageMessageKind::Ignored;
  std::wstring_view rest;  // the text after a prefix
};

PageMessage ParsePageMessage(std::wstring_view text);

// A setting sent by the panel: the key before the first "_", the value after
// it (both the whole text when there is no "_").
struct SettingChange {
  std::string key;  // UTF-8, as stored in config.json
  std::wstring value;
};

SettingChange ParseSettingChange(std::wstring_view rest);

}  // namespace vantor
