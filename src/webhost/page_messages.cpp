#include "webhost/page_messages.h"

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

  return {WideToUtf8(key), std::wstring(value)};
}

}  // namespace vantor
