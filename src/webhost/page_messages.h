#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "config/config.h"

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
  bool isSkyColor = false;  // stored as text, unchanged
  bool boolean = false;     // otherwise: true exactly for "true"
  bool changesWindowMode = false;
};

SettingChange ParseSettingChange(std::wstring_view rest);

// Stores the setting of a "clientSettings_" message; re-applies the window
// mode at once for "Fullscreen Mode" and "Shadowplay Mode".
void ApplySettingMessage(std::wstring_view rest, Config& config,
                         const std::function<void()>& applyWindowMode);

// What the message handler needs from the window to carry out a message.
class PageMessageHost {
 public:
  virtual ~PageMessageHost() = default;
  virtual void SetCaptureActive(bool active) = 0;
  virtual void RunMenuScripts() = 0;
  virtual void ShowSettingsPanel() = 0;
  virtual void DestroyMainWindow() = 0;
  virtual void ApplyWindowMode() = 0;
  virtual Config& Settings() = 0;
};

// True when a document URI is on the game origin: the origin itself, or it
// followed by "/", "?" or "#". Messages from any other page are ignored.
bool IsOnGameOrigin(std::wstring_view documentUri);

// Carries out one message posted by a document at `sourceUri`.
void HandlePageMessage(std::wstring_view sourceUri, std::wstring_view text, PageMessageHost& host);

}  // namespace vantor
