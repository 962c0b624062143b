#include "app/session.h"

#include "common/constants.h"
#include "common/game_origin.h"
#include "input/shortcut_keys.h"
#include "webhost/page_messages.h"
#include "webhost/page_scripts.h"
#include "webhost/settings_panel.h"

namespace vantor {

namespace {

Command Do(CommandKind kind, std::wstring text = {}) { return {kind, std::move(text)}; }

}  // namespace

Commands Session::OnPageMessage(std::wstring_view sourceUri, std::wstring_view text) {
  Commands out;
  if (!IsGameUri(sourceUri)) return out;  // messages from any other page are ignored
  const PageMessage message = ParsePageMessage(text);
  switch (message.kind) {
    case PageMessageKind::StartHook:
    case PageMessageKind::StopHook:
      out.push_back({CommandKind::SetCapture, {}, message.kind == PageMessageKind::StartHook});
      break;
    case PageMessageKind::ClientLoaded:
      AddMenuScripts(out);
      break;
    case PageMessageKind::ClientSettings:
      out.push_back(Do(CommandKind::RunScript, BuildSettingsPanelScript(config_)));
      break;
    case PageMessageKind::ClientExit:
      out.push_back(Do(CommandKind::CloseWindow));
      break;
    case PageMessageKind::SettingChange: {
      const SettingChange change = ParseSettingChange(message.rest);
      ChangeSetting(change.key, change.value, out);
      break;
    }
    case PageMessageKind::MapChange:  // no activity status exists to tell
    case PageMessageKind::NameChange:
    case PageMessageKind::Ignored:
      break;
  }
  return out;
}

Commands Session::OnKeyReleased(unsigned virtualKey) {
  Commands out;
  switch (virtualKey) {
    case kKeyF4:
    case kKeyF6:
      out.push_back(Do(CommandKind::Navigate, kGameOrigin));
      break;
    case kKeyF5:
      out.push_back(Do(CommandKind::Reload));
      break;
    case kKeyF10:
      if (config_.Get(settings::kDeveloperMode)) out.push_back(Do(CommandKind::OpenDevTools));
      break;
    case kKeyF11:
      ChangeSetting(settings::kFullscreenMode.key,
                    config_.Get(settings::kFullscreenMode) ? L"false" : L"true", out);
      break;
    default:
      break;
  }
  return out;
}

void Session::ChangeSetting(std::string_view key, std::wstring_view value, Commands& out) {
  const Setting* known = FindSetting(key);
  if (known != nullptr && known->isColour) {
    config_.SetText(*known, std::wstring(value));
  } else {
    config_.SetBool(key, value == L"true");
  }
  if (known != nullptr && known->effect == SettingEffect::WindowMode) {
    out.push_back(Do(CommandKind::ApplyWindowMode));
  }
  std::wstring warning = config_.TakeSaveWarning();
  if (!warning.empty()) out.push_back(Do(CommandKind::TellUser, std::move(warning)));
}

void Session::AddMenuScripts(Commands& out) const {
  out.push_back(Do(CommandKind::RunScript, BuildVersionBanner(version_)));
  out.push_back(Do(CommandKind::RunScript, kExitMenuButtonScript));
  out.push_back(Do(CommandKind::RunScript, kClientMenuButtonScript));
  out.push_back(Do(CommandKind::RunScript, kMenuTimerScript));
}

}  // namespace vantor
