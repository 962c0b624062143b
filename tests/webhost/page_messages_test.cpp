#include "webhost/page_messages.h"

#include <gtest/gtest.h>

#include "common/game_origin.h"
#include "common/text.h"

namespace vantor {
namespace {

using K = PageMessageKind;

struct GrammarCase {
  const wchar_t* text;
  PageMessageKind kind;
  const wchar_t* rest;
};

TEST(PageMessageGrammar, EachTextMeansOneThing) {
  const GrammarCase table[] = {
      {L"startHook", K::StartHook, L""},
      {L"stopHook", K::StopHook, L""},
      {L"clientLoaded", K::ClientLoaded, L""},
      {L"clientSettings", K::ClientSettings, L""},
      {L"clientExit", K::ClientExit, L""},
      {L"mapChange_Desert on Team", K::MapChange, L"Desert on Team"},
      {L"nameChange_Ada", K::NameChange, L"Ada"},
      {L"clientSettings_Raw Input_true", K::SettingChange, L"Raw Input_true"},
      {L"clientSettings_", K::SettingChange, L""},
      {L"StartHook", K::Ignored, L""},
      {L"startHook ", K::Ignored, L""},
      {L"startHook_", K::Ignored, L""},
      {L" stopHook", K::Ignored, L""},
      {L"clientsettings_Raw Input_true", K::Ignored, L""},
      {L"clientSettingsX", K::Ignored, L""},
      {L"clientExit\n", K::Ignored, L""},
      {L"", K::Ignored, L""},
      {L"mapChange", K::Ignored, L""},
  };
  for (const auto& row : table) {
    const PageMessage message = ParsePageMessage(row.text);
    EXPECT_EQ(message.kind, row.kind) << std::wstring(row.text).size();
    EXPECT_EQ(message.rest, std::wstring_view(row.rest));
  }
}

TEST(SettingMessage, SplitsAtTheFirstUnderscore) {
  const struct {
    const wchar_t* rest;
    const char* key;
    const wchar_t* value;
  } table[] = {
      {L"Raw Input_true", "Raw Input", L"true"},
      {L"Fullscreen Mode_true_x", "Fullscreen Mode", L"true_x"},
      {L"Raw Input", "Raw Input", L"Raw Input"},  // no "_": the value is the key
      {L"_true", "", L"true"},
      {L"", "", L""},
      {L"Sky Color_gr\u00FCn", "Sky Color", L"gr\u00FCn"},
  };
  for (const auto& row : table) {
    const SettingChange change = ParseSettingChange(row.rest);
    EXPECT_EQ(change.key, row.key);
    EXPECT_EQ(change.value, row.value);
  }
}

// The one rule for "is this the game", for page messages and the swapper.
TEST(GameOrigin, TheHostAndItsSubdomainsOverHttpsOnly) {
  const struct {
    const wchar_t* uri;
    bool game;
  } table[] = {
      {L"https://vantor.io", true},
      {L"https://vantor.io/", true},
      {L"https://vantor.io/play/room?id=3", true},
      {L"https://vantor.io?x", true},
      {L"https://vantor.io#menu", true},
      {L"https://www.vantor.io/", true},
      {L"https://eu-1.cdn.vantor.io/a.js", true},
      {L"HTTPS://WWW.Vantor.IO/", true},
      {L"https://vantor.io:443/", false},
      {L"https://vantor.io:8080/", false},
      {L"https://vantor.io.evil.example/", false},
      {L"https://evilvantor.io/", false},
      {L"https://evil.example/vantor.io/", false},
      {L"https://evil.example/?u=https://vantor.io/", false},
      {L"https://user@vantor.io/", false},
      {L"https://vantor.io@evil.example/", false},
      {L"https://.vantor.io/", false},
      {L"https://a..vantor.io/", false},
      {L"https://a_b.vantor.io/", false},
      // Labels of a-z, 0-9 and "-": each range's ends, and the character
      // just outside each.
      {L"https://zone.vantor.io/", true},
      {L"https://a9.vantor.io/", true},
      {L"https://0-z.vantor.io/", true},
      {L"https://AZ.vantor.io/", true},
      {L"https://`.vantor.io/", false},
      {L"https://{.vantor.io/", false},
      {L"https://a:9.vantor.io/", false},
      {L"https://a,b.vantor.io/", false},
      {L"https://[.vantor.io/", false},
      {L"http://vantor.io/", false},
      {L"wss://vantor.io/", false},
      {L"file:///C:/vantor.io/", false},
      {L"https://vantor.i", false},
      {L"", false},
  };
  for (const auto& row : table) {
    EXPECT_EQ(IsGameUri(row.uri), row.game) << WideToUtf8(row.uri);
  }
}

}  // namespace
}  // namespace vantor
