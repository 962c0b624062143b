#include "webhost/settings_panel.h"

namespace vantor {

namespace {

constexpr wchar_t kScriptStart[] = L"showWindow(1);menuWindow.innerHTML=\"";
constexpr wchar_t kScriptEnd[] = L"\";";
constexpr wchar_t kHeader[] =
    L"<div class='setHed' id='setHed_vantor' "
    L"onclick='window.windows[0].collapseFolder(this)'><span class='material-icons "
    L"plusOrMinus'>keyboard_arrow_down</span> Vantor</div><div class='setBodH' "
    L"id='setBod_vantor' style=''>";
constexpr wchar_t kRowOpener[] = L"<div class='settName' title=''>";
constexpr wchar_t kChecked[] = L"checked";
constexpr wchar_t kFallbackColor[] = L"#000000";
constexpr wchar_t kCloser[] = L"</div>";

// Control pieces around the key and the state. The first row's markup has
// blanks around its equals signs; the page has always been sent it that way.
struct CheckboxMarkup {
  const char* beforeKey;
  const char* afterKey;  // up to the closing quote of onclick
  const char* end;       // after the state
};
constexpr CheckboxMarkup kFirstRowCheckbox = {
    " <label class = 'switch' style = 'margin-left:10px'><input type = 'checkbox' onclick = "
    "'window.chrome.webview.postMessage(`clientSettings_",
    "_` + this.checked)'", "><span class ='slider'></span></label></div>"};
constexpr CheckboxMarkup kCheckbox = {
    " <label class='switch' style='margin-left:10px'><input type='checkbox' "
    "onclick='window.chrome.webview.postMessage(`clientSettings_",
    "_` + this.checked)'", "><span class='slider'></span></label></div>"};
constexpr const char* kColorBeforeValue =
    " <input type='color' name='color' id='slid_skyColor' style='float:right' value='";
constexpr const char* kColorBeforeKey =
    "' oninput='window.chrome.webview.postMessage(`clientSettings_";
constexpr const char* kColorEnd = "_` + this.value)'></div>";

// ASCII pieces widen one byte to one code unit.
void AppendAscii(std::wstring& out, std::string_view text) {
  for (char c : text) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
}

void AppendCheckboxRow(std::wstring& out, const CheckboxMarkup& markup, std::string_view key,
                       bool value) {
  out += kRowOpener;
  AppendAscii(out, key);
  AppendAscii(out, markup.beforeKey);
  AppendAscii(out, key);
  AppendAscii(out, markup.afterKey);
  if (value) out += kChecked;
  AppendAscii(out, markup.end);
}

void AppendColorRow(std::wstring& out, std::string_view key, const std::wstring& color) {
  out += kRowOpener;
  AppendAscii(out, key);
  AppendAscii(out, kColorBeforeValue);
  out += color;
  AppendAscii(out, kColorBeforeKey);
  AppendAscii(out, key);
  AppendAscii(out, kColorEnd);
}

}  // namespace

bool IsHexColor(std::wstring_view text) {
  if (text.size() != 7 || text[0] != L'#') return false;
  for (wchar_t c : text.substr(1)) {
    const bool hex =
        (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
    if (!hex) return false;
  }
  return true;
}

std::wstring PanelSkyColor(const Config& config) {
  if (!config.Contains(settings::kSkyColor.key)) return kFallbackColor;
  std::wstring color = config.GetText(settings::kSkyColor);
  return IsHexColor(color) ? color : kFallbackColor;
}

std::wstring BuildSettingsPanelScript(const Config& config) {
  std::wstring script = kScriptStart;
  script.reserve(2100);
  script += kHeader;
  for (const Setting* setting : settings::kAll) {
    if (setting->isColour) {
      AppendColorRow(script, setting->key, PanelSkyColor(config));
    } else {
      const bool first = setting == settings::kAll[0];
      AppendCheckboxRow(script, first ? kFirstRowCheckbox : kCheckbox, setting->key,
                        config.Get(*setting));
    }
  }
  script += kCloser;
  script += kScriptEnd;
  return script;
}

}  // namespace vantor
