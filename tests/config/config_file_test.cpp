#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include "common/atomic_file.h"
#include "config/config_fixture.h"

namespace vantor {
namespace {

class ConfigFile : public test::ConfigFixture {};

TEST_F(ConfigFile, FirstSetterWritesExactlyThreeCrLfLines) {
  Config& c = Load();
  c.SetBool("Raw Input", true);
  EXPECT_EQ(FileBytes(), "{\r\n    \"Raw Input\": true\r\n}\r\n");
  EXPECT_EQ(c.Document().size(), 1u);
}

TEST_F(ConfigFile, MembersAreWrittenInByteOrderWhateverTheOrderSet) {
  Config& c = Load();
  c.SetText(settings::kSkyColor, L"#000000");
  c.SetBool("Fullscreen Mode", true);
  c.SetBool("Blur Fix", false);
  EXPECT_EQ(FileBytes(),
            "{\r\n"
            "    \"Blur Fix\": false,\r\n"
            "    \"Fullscreen Mode\": true,\r\n"
            "    \"Sky Color\": \"#000000\"\r\n"
            "}\r\n");
}

TEST_F(ConfigFile, AllSevenKeysInTheirOrder) {
  Config& c = Load();
  for (const char* key : {"Unlimited FPS", "Sky Color", "Shadowplay Mode", "Raw Input",
                          "Fullscreen Mode", "Developer Mode", "Blur Fix"}) {
    if (std::string(key) == "Sky Color") {
      c.SetText(settings::kSkyColor, L"#102030");
    } else {
      c.SetBool(key, true);
    }
  }
  const std::string bytes = FileBytes();
  size_t last = 0;
  for (const char* key : {"Blur Fix", "Developer Mode", "Fullscreen Mode", "Raw Input",
                          "Shadowplay Mode", "Sky Color", "Unlimited FPS"}) {
    const size_t at = bytes.find(std::string("\"") + key + "\"");
    ASSERT_NE(at, std::string::npos) << key;
    EXPECT_GT(at, last) << key;
    last = at;
  }
}

TEST_F(ConfigFile, UnknownKeysOfAnyTypeSurviveEverySave) {
  Config& c = LoadWith(
      "{\"zeta\": [1, 2], \"Alpha\": {\"n\": null}, \"raw input\": true, \"mid\": \"text\"}");
  c.SetBool("Raw Input", true);
  c.SetBool("Raw Input", false);
  EXPECT_EQ(FileBytes(),
            "{\r\n"
            "    \"Alpha\": {\r\n"
            "        \"n\": null\r\n"
            "    },\r\n"
            "    \"Raw Input\": false,\r\n"
            "    \"mid\": \"text\",\r\n"
            "    \"raw input\": true,\r\n"
            "    \"zeta\": [\r\n"
            "        1,\r\n"
            "        2\r\n"
            "    ]\r\n"
            "}\r\n");
}

TEST_F(ConfigFile, SetterReplacesAValueOfAnotherType) {
  Config& c = LoadWith(R"({"Fullscreen Mode": "yes"})");
  c.SetBool("Fullscreen Mode", false);
  EXPECT_FALSE(c.GetBool("Fullscreen Mode", true));
  EXPECT_EQ(FileBytes(), "{\r\n    \"Fullscreen Mode\": false\r\n}\r\n");
}

TEST_F(ConfigFile, NonAsciiSkyColorIsRawUtf8AndReadsBackTheSame) {
  const std::wstring color = L"Himmel gr\u00FCn \u7A7A \U0001F3AE \"q\" \\";
  Load().SetText(settings::kSkyColor, color);
  EXPECT_EQ(FileBytes(),
            "{\r\n    \"Sky Color\": \"Himmel gr\xC3\xBCn \xE7\xA9\xBA \xF0\x9F\x8E\xAE "
            "\\\"q\\\" \\\\\"\r\n}\r\n");
  EXPECT_EQ(Load().GetText(settings::kSkyColor), color);
}

TEST_F(ConfigFile, ByteOrderMarkAndTrailingTextAreGoneAfterTheNextSave) {
  Config& c = LoadWith("\xEF\xBB\xBF{\"Blur Fix\": true} {\"Raw Input\": true}");
  c.SetBool("Developer Mode", true);
  EXPECT_EQ(FileBytes(), "{\r\n    \"Blur Fix\": true,\r\n    \"Developer Mode\": true\r\n}\r\n");
}

TEST_F(ConfigFile, ChangesStayInMemoryWhenTheSaveFails) {
  Config& c = Load();
  std::filesystem::create_directory(folder / "config.json.tmp");  // blocks the write
  c.SetBool("Raw Input", true);
  EXPECT_TRUE(c.GetBool("Raw Input", false));
  EXPECT_TRUE(c.RawInput());  // what the mouse path reads follows at once
  EXPECT_FALSE(FileThere());
  EXPECT_FALSE(c.Save());
}

// A commit that lost the old file and could not move the new one in keeps
// the new one under its temporary name; the next load takes it (only when it
// is a whole settings object).
TEST_F(ConfigFile, ASaveCutAfterTheOldFileWentIsRecoveredAtTheNextLoad) {
  for (const bool whole : {true, false}) {
    LoadWith(R"({"Raw Input": false})");
    test::WriteBytes(StagingPathFor(SettingsPath()), whole ? R"({"Raw Input": true})" : "{\"Raw");
    std::filesystem::remove(SettingsPath());
    EXPECT_EQ(Load().RawInput(), whole);
    EXPECT_EQ(FileThere(), whole);
    std::filesystem::remove(StagingPathFor(SettingsPath()));
  }
  const auto staged = folder / "config.json.tmp";
  // A torn only copy is neither truncated nor removed by the next save...
  test::WriteBytes(staged, "{\"Raw");
  Load().SetBool("Raw Input", true);
  EXPECT_EQ(FileBytes(), "{\r\n    \"Raw Input\": true\r\n}\r\n");
  EXPECT_EQ(test::ReadBytes(staged), "{\"Raw");
  // ...and one beside a whole file goes at the next load, so that deleting
  // config.json brings the defaults back, not an older save.
  Load();
  EXPECT_FALSE(std::filesystem::exists(staged));
  std::filesystem::remove(SettingsPath());
  EXPECT_FALSE(Load().RawInput());
  // Two saves cut short: the later one's copy (staged beside the earlier
  // one's) comes back, and the earlier one goes.
  test::WriteBytes(staged, R"({"Raw Input": true})");
  test::WriteBytes(folder / "config.json.new.tmp", R"({"Blur Fix": true})");
  Config& both = Load();
  EXPECT_TRUE(both.Get(settings::kBlurFix));
  EXPECT_FALSE(both.RawInput());
  EXPECT_EQ(FileBytes(), R"({"Blur Fix": true})");
  EXPECT_FALSE(std::filesystem::exists(staged));
  EXPECT_FALSE(std::filesystem::exists(folder / "config.json.new.tmp"));
}

TEST_F(ConfigFile, AFailedSaveIsReportedOncePerRun) {
  Config& c = Load();
  EXPECT_EQ(c.TakeSaveWarning(), L"");
  std::filesystem::create_directory(folder / "config.json.tmp");
  c.SetBool("Raw Input", true);
  c.SetText(settings::kSkyColor, L"#101010");
  const std::wstring warning = c.TakeSaveWarning();
  EXPECT_NE(warning.find(L"could not save"), std::wstring::npos);
  EXPECT_NE(warning.find(L"config.json"), std::wstring::npos);
  c.SetBool("Raw Input", false);
  EXPECT_EQ(c.TakeSaveWarning(), L"");
}

TEST_F(ConfigFile, AFailedSaveLeavesTheOldFileWhole) {
  Config& c = LoadWith("{\r\n    \"Blur Fix\": true\r\n}\r\n");
  std::filesystem::create_directory(folder / "config.json.tmp");
  c.SetBool("Raw Input", true);
  EXPECT_EQ(FileBytes(), "{\r\n    \"Blur Fix\": true\r\n}\r\n");
}

TEST_F(ConfigFile, AnUnparseableFileIsKeptBeforeTheFirstSaveReplacesIt) {
  const std::string mine = "{\"Raw Input\": true, // my note\n}";
  Config& c = LoadWith(mine);
  c.SetBool("Fullscreen Mode", false);
  EXPECT_EQ(test::ReadBytes(folder / "config.json.invalid"), mine);
  EXPECT_EQ(FileBytes(), "{\r\n    \"Fullscreen Mode\": false\r\n}\r\n");
  // Later saves in the same run do not overwrite the kept copy, and each is
  // saved, without a warning.
  c.SetBool("Fullscreen Mode", true);
  c.SetBool("Raw Input", true);
  EXPECT_EQ(test::ReadBytes(folder / "config.json.invalid"), mine);
  EXPECT_EQ(FileBytes(), "{\r\n    \"Fullscreen Mode\": true,\r\n    \"Raw Input\": true\r\n}\r\n");
  EXPECT_EQ(c.TakeSaveWarning(), L"");
}

TEST_F(ConfigFile, AStagingFileLeftByACrashLeavesNoTail) {
  // A crash during an earlier save left a longer staging file behind.
  test::WriteBytes(StagingPathFor(SettingsPath()), std::string(500, 'x'));
  Config& c = Load();
  c.SetBool("Raw Input", true);
  EXPECT_EQ(FileBytes(), "{\r\n    \"Raw Input\": true\r\n}\r\n");
}

TEST_F(ConfigFile, WhenTheUsersFileCannotBeKeptNoSaveReplacesIt) {
  const std::string mine = "{\"Raw Input\": true,}";
  Config& c = LoadWith(mine);
  ASSERT_TRUE(c.Problem());
  // The name chosen for the kept copy is taken by a folder before the save.
  std::filesystem::create_directory(c.Problem()->keptAs);
  c.SetBool("Fullscreen Mode", false);
  EXPECT_EQ(FileBytes(), mine);
  EXPECT_NE(c.TakeSaveWarning(), L"");
  c.SetBool("Fullscreen Mode", true);
  EXPECT_EQ(FileBytes(), mine);
  EXPECT_EQ(c.TakeSaveWarning(), L"");  // told once
}

#ifdef _WIN32
TEST_F(ConfigFile, AFileHeldOpenByAnotherProgramIsReportedAndNeverReplaced) {
  const std::string mine = "{\r\n    \"Blur Fix\": true\r\n}\r\n";
  test::WriteBytes(SettingsPath(), mine);
  // Another program holds the file with no sharing at all.
  HANDLE held = CreateFileW(SettingsPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Config& c = Load();
  EXPECT_TRUE(c.Problem());
  EXPECT_NE(c.ProblemMessage(), L"");
  c.SetBool("Raw Input", true);
  CloseHandle(held);
  EXPECT_EQ(FileBytes(), mine);
}
#endif

TEST_F(ConfigFile, AnEarlierKeptCopyIsNeverOverwritten) {
  test::WriteBytes(folder / "config.json.invalid", "from last week");
  Config& c = LoadWith("not json");
  ASSERT_TRUE(c.Problem());
  EXPECT_EQ(c.Problem()->keptAs, folder / "config.json.2.invalid");
  c.SetBool("Raw Input", true);
  EXPECT_EQ(test::ReadBytes(folder / "config.json.invalid"), "from last week");
  EXPECT_EQ(test::ReadBytes(folder / "config.json.2.invalid"), "not json");
}

TEST_F(ConfigFile, ASetterOnATopLevelArrayMakesAnObjectAndKeepsTheArray) {
  Config& c = LoadWith("[1, 2, 3]");
  c.SetText(settings::kSkyColor, L"#ABCDEF");
  EXPECT_TRUE(c.Document().is_object());
  EXPECT_EQ(c.GetText(settings::kSkyColor), L"#ABCDEF");
  EXPECT_EQ(FileBytes(), "{\r\n    \"Sky Color\": \"#ABCDEF\"\r\n}\r\n");
  EXPECT_EQ(test::ReadBytes(folder / "config.json.invalid"), "[1, 2, 3]");
}

TEST_F(ConfigFile, ACleanFileIsNeverCopiedAside) {
  Config& c = LoadWith("{\"Raw Input\": false}");
  c.SetBool("Raw Input", true);
  EXPECT_FALSE(std::filesystem::exists(folder / "config.json.invalid"));
}

}  // namespace
}  // namespace vantor
