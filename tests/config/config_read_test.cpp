#include <gtest/gtest.h>

#include "config/config_fixture.h"

namespace vantor {
namespace {

class ConfigRead : public test::ConfigFixture {};

struct Fallback {
  const char* key;
  bool fallback;
};

// The key table's fallbacks, as each reader passes them.
const Fallback kFallbacks[] = {{"Fullscreen Mode", true},  {"Unlimited FPS", true},
                               {"Shadowplay Mode", false}, {"Developer Mode", false},
                               {"Blur Fix", false},        {"Raw Input", false}};

TEST_F(ConfigRead, WithoutAFileEveryReaderGetsItsFallbackAndNoFileIsCreated) {
  Config& c = Load();
  for (const auto& f : kFallbacks) {
    EXPECT_FALSE(c.Contains(f.key)) << f.key;
    EXPECT_EQ(c.GetBool(f.key, f.fallback), f.fallback) << f.key;
  }
  EXPECT_TRUE(c.Document().is_null());
  EXPECT_EQ(c.GetText(settings::kSkyColor), L"");
  EXPECT_FALSE(c.Problem());
  EXPECT_FALSE(FileThere());
}

TEST_F(ConfigRead, StoredBooleansWinOverFallbacks) {
  Config& c = LoadWith(R"({"Fullscreen Mode": false, "Raw Input": true})");
  EXPECT_FALSE(c.GetBool("Fullscreen Mode", true));
  EXPECT_TRUE(c.GetBool("Raw Input", false));
  EXPECT_TRUE(c.Contains("Raw Input"));
}

TEST_F(ConfigRead, KeysAreCaseSensitive) {
  Config& c = LoadWith(R"({"raw input": true, "Raw Input ": true})");
  EXPECT_FALSE(c.Contains("Raw Input"));
  EXPECT_FALSE(c.GetBool("Raw Input", false));
}

struct WrongType {
  const char* json;
  const char* typeName;
};
void PrintTo(const WrongType& c, std::ostream* os) { *os << c.typeName; }

class ConfigWrongType : public test::ConfigFixture,
                        public ::testing::WithParamInterface<WrongType> {};

TEST_P(ConfigWrongType, ReadsAsAbsent) {
  Config& c = LoadWith(std::string(R"({"Fullscreen Mode": )") + GetParam().json + "}");
  EXPECT_TRUE(c.GetBool("Fullscreen Mode", true));
  EXPECT_FALSE(c.GetBool("Fullscreen Mode", false));
  EXPECT_TRUE(c.Get(settings::kFullscreenMode));
  EXPECT_FALSE(LoadWith(std::string(R"({"Raw Input": )") + GetParam().json + "}").RawInput());
  EXPECT_TRUE(LoadWith(R"({"Raw Input": true})").RawInput());
}

INSTANTIATE_TEST_SUITE_P(Types, ConfigWrongType,
                         ::testing::Values(WrongType{R"("yes")", "string"},
                                           WrongType{"null", "null"}, WrongType{"1", "number"},
                                           WrongType{"[true]", "array"},
                                           WrongType{R"({"a": true})", "object"}));

TEST_F(ConfigRead, SkyColorOfTheWrongTypeReadsEmpty) {
  Config& c = LoadWith(R"({"Sky Color": 12})");
  EXPECT_EQ(c.GetText(settings::kSkyColor), L"");
}

TEST_F(ConfigRead, ByteOrderMarkIsSkipped) {
  Config& c = LoadWith("\xEF\xBB\xBF{\"Raw Input\": true}");
  EXPECT_FALSE(c.Problem());
  EXPECT_TRUE(c.GetBool("Raw Input", false));
}

TEST_F(ConfigRead, OnlyTheFirstValueIsRead) {
  Config& c = LoadWith("{\"Raw Input\": true}\r\n{\"Blur Fix\": true} trailing words");
  EXPECT_FALSE(c.Problem());
  EXPECT_TRUE(c.GetBool("Raw Input", false));
  EXPECT_FALSE(c.Contains("Blur Fix"));
}

TEST_F(ConfigRead, CrLfLineEndsAreWhiteSpace) {
  Config& c = LoadWith("{\r\n    \"Blur Fix\": true\r\n}\r\n");
  EXPECT_TRUE(c.GetBool("Blur Fix", false));
}

TEST_F(ConfigRead, ATopLevelArrayGivesFallbacksAndIsReported) {
  Config& c = LoadWith("[true, false]");
  for (const auto& f : kFallbacks) EXPECT_EQ(c.GetBool(f.key, f.fallback), f.fallback) << f.key;
  ASSERT_TRUE(c.Problem());
  EXPECT_NE(c.Problem()->detail.find("array"), std::string::npos);
}

struct Unparseable {
  const char* name;
  std::string bytes;
};
void PrintTo(const Unparseable& c, std::ostream* os) { *os << c.name; }

class ConfigUnparseable : public test::ConfigFixture,
                          public ::testing::WithParamInterface<Unparseable> {};

TEST_P(ConfigUnparseable, RunsOnFallbacksAndSaysWhereTheFileWillBeKept) {
  Config& c = LoadWith(GetParam().bytes);
  EXPECT_TRUE(c.Document().is_null());
  EXPECT_TRUE(c.GetBool("Fullscreen Mode", true));
  ASSERT_TRUE(c.Problem());
  EXPECT_NE(c.Problem()->detail.find("parse_error"), std::string::npos) << c.Problem()->detail;
  EXPECT_EQ(c.Problem()->keptAs, folder / "config.json.invalid");
  const std::wstring message = c.ProblemMessage();
  EXPECT_NE(message.find(L"config.json.invalid"), std::wstring::npos);
  EXPECT_NE(message.find(L"syntax error"), std::wstring::npos);
  // Loading alone never touches the user's file.
  EXPECT_EQ(FileBytes(), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ConfigUnparseable,
    ::testing::Values(Unparseable{"empty", ""}, Unparseable{"cut_short", "{\"Raw Input\": tr"},
                      Unparseable{"comment", "// mine\n{\"Raw Input\": true}"},
                      Unparseable{"legacy_code_page", "{\"Sky Color\": \"gr\xFCn\"}"},
                      Unparseable{"trailing_comma", "{\"Raw Input\": true,}"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConfigRead, ASettingsPathThatCannotBeReadIsNeverReplaced) {
  std::filesystem::create_directory(SettingsPath());
  Config& c = Load();
  ASSERT_TRUE(c.Problem());
  EXPECT_TRUE(c.GetBool("Fullscreen Mode", true));
  c.SetBool("Raw Input", true);
  EXPECT_TRUE(c.GetBool("Raw Input", false));  // in memory for this run
  EXPECT_TRUE(std::filesystem::is_directory(SettingsPath()));
}

TEST_F(ConfigRead, EmptyFileIsTheLibrarysEndOfInputError) {
  Config& c = LoadWith("");
  ASSERT_TRUE(c.Problem());
  EXPECT_NE(c.Problem()->detail.find("parse_error.101"), std::string::npos);
  EXPECT_NE(c.Problem()->detail.find("end of input"), std::string::npos);
}

}  // namespace
}  // namespace vantor
