#pragma once

#include <string>
#include <string_view>

#include "config/config.h"

namespace vantor {

// The script that opens the game's menu window 1 and fills it with the
// client's settings, each control showing its current value and posting
// "clientSettings_<key>_<value>" when changed. Rebuilt at every opening.
std::wstring BuildSettingsPanelScript(const Config& config);

// The colour the panel shows: the stored "Sky Color" when it is "#" and six
// hexadecimal digits, otherwise "#000000". Nothing else from config.json
// reaches the page's script.
std::wstring PanelSkyColor(const Config& config);

bool IsHexColor(std::wstring_view text);

}  // namespace vantor
