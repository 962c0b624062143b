#include "webhost/page_messages.h"

#include "common/constants.h"
#include "common/text.h"

namespace vantor {

namespace {

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

constexpr std::wstring_view kMapChange = L"mapChange_";
constexpr std::wstring_view kNameChange = L"nameChange_";
constexpr std::wstring_view kSettingPrefix = L"clientSettings_";

}  // namespace

PageMessage ParsePageMessage(std::wstring_view text) {
  using K = PageMessageKind;
  if (text == L"startHook") return {K::StartHook, {}};
  if (text == L"stopHook") return {K::StopHook, {}};
  if (text == L"clientLoaded") return {K::ClientLoaded, {}};
  if (text == L"clientSettings") return {K::ClientSettings, {}};
  if (text == L"clientExit") return {K::ClientExit, {}};
  if (StartsWith(text, kMapChange)) return {K::MapChange, text.substr(kMapChange.size())};
  if (StartsWith(text, kNameChange)) return {K::NameChange, text.substr(kNameChange.size())};
  if (StartsWith(text, kSettingPrefix)) {
    return {K::SettingChange, text.substr(kSettingPrefix.size())};
  }
  return {K::Ignored, {}};
}

SettingChange ParseSettingChange(std::wstring_view rest) {
  const size_t split = rest.find(L'_');
  const std::wstring_view key = split == std::wstring_view::npos ? rest : rest.substr(0, split);
  const std::wstring_view value = split == std::wstring_view::npos ? rest : rest.substr(split + 1);

  SettingChange change;
  change.key = WideToUtf8(key);
  change.value = std::wstring(value);
  change.isSkyColor = change.key == "Sky Color";
  change.boolean = value == L"true";
  change.changesWindowMode = change.key == "Fullscreen Mode" || change.key == "Shadowplay Mode";
  return change;
}

void ApplySettingMessage(std::wstring_view rest, Config& config,
                         const std::function<void()>& applyWindowMode) {
  const SettingChange change = ParseSettingChange(rest);
  if (change.isSkyColor) {
    config.SetSkyColor(change.value);
    return;
  }
  config.SetBool(change.key, change.boolean);
  if (change.changesWindowMode && applyWindowMode) applyWindowMode();
}

bool IsOnGameOrigin(std::wstring_view documentUri) {
  const std::wstring_view origin = kGameOrigin;
  if (!StartsWith(documentUri, origin)) return false;
  if (documentUri.size() == origin.size()) return true;
  const wchar_t next = documentUri[origin.size()];
  return next == L'/' || next == L'?' || next == L'#';
}

void HandlePageMessage(std::wstring_view sourceUri, std::wstring_view text, PageMessageHost& host) {
  if (!IsOnGameOrigin(sourceUri)) return;
  const PageMessage message = ParsePageMessage(text);
  switch (message.kind) {
    case PageMessageKind::StartHook:
      host.SetCaptureActive(true);
      break;
    case PageMessageKind::StopHook:
      host.SetCaptureActive(false);
      break;
    case PageMessageKind::ClientLoaded:
      host.RunMenuScripts();
      break;
    case PageMessageKind::ClientSettings:
      host.ShowSettingsPanel();
      break;
    case PageMessageKind::ClientExit:
      host.DestroyMainWindow();
      break;
    case PageMessageKind::SettingChange:
      ApplySettingMessage(message.rest, host.Settings(), [&host] { host.ApplyWindowMode(); });
      break;
    case PageMessageKind::MapChange:  // no activity status exists to tell
    case PageMessageKind::NameChange:
    case PageMessageKind::Ignored:
      break;
  }
}

}  // namespace vantor
