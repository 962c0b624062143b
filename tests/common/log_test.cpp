#include "common/log.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace vantor {
namespace {

TEST(LogLine, StampsAndKeepsOneEventOnOneLine) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 8;
  t.tm_hour = 7;
  t.tm_min = 5;
  t.tm_sec = 9;
  EXPECT_EQ(FormatLogLine(t, 7, "update check: no offer\n(status 404)\tx"),
            "2026-12-08 07:05:09.007 update check: no offer (status 404) x\r\n");
  EXPECT_EQ(FormatLogLine(t, 7, "settings: C:\\Users\\J\xC3\xBCrgen\\config.json"),
            "2026-12-08 07:05:09.007 settings: C:\\Users\\J\xC3\xBCrgen\\config.json\r\n");
}

TEST(LogRateLimit, CollapsesRepeatsAndCapsEachMinute) {
  struct Step {
    const char* text;
    std::int64_t at;
    std::vector<std::string> written;
  };
  const Step steps[] = {
      {"a", 0, {"a"}}, {"a", 1, {}},
      {"a", 2, {}},    {"b", 3, {"(the line before repeated 2 more times)", "b"}},
      {"c", 4, {}},  // the fourth line of this minute: over the budget of 3
      {"d", 5, {}},    {"e", 60003, {"(2 lines were not written: too many at once)", "e"}},
  };
  LogRateLimit limit(3);
  for (const Step& step : steps) {
    EXPECT_EQ(limit.Admit(step.text, step.at), step.written) << step.text << "@" << step.at;
  }
}

TEST(LogFile, KeepsOnePreviousFileOnceTheCapIsReached) {
  test::TempFolder folder;
  LogFile log;
  ASSERT_TRUE(log.Open({folder.path()}, 100));
  const std::string one(60, '1'), two(60, '2'), three(60, '3');
  log.Append(one);
  log.Append(two);
  EXPECT_EQ(test::ReadBytes(folder / "Vantor.log"), two);
  EXPECT_EQ(test::ReadBytes(folder / "Vantor.log.1"), one);
  // The lines after a rotation gather in the new file, up to the cap.
  for (const char* line : {"a", "bb", "ccc", "dddd"}) log.Append(line);
  EXPECT_EQ(test::ReadBytes(folder / "Vantor.log"), two + "abbcccdddd");
  EXPECT_EQ(test::ReadBytes(folder / "Vantor.log.1"), one);
  log.Append(three);
  EXPECT_EQ(test::ReadBytes(folder / "Vantor.log"), three);
  EXPECT_EQ(test::ReadBytes(folder / "Vantor.log.1"), two + "abbcccdddd");
}

TEST(LogFile, TheCapCountsAnEarlierRunAndAFailedRotationKeepsEverything) {
  test::TempFolder folder;
  test::WriteBytes(folder / "Vantor.log", std::string(90, 'e'));  // an earlier run's
  LogFile log;
  ASSERT_TRUE(log.Open({folder.path()}, 100));
  log.Append(std::string(20, 'n'));
  EXPECT_EQ(test::ReadBytes(folder / "Vantor.log.1"), std::string(90, 'e'));
  // "Vantor.log.1" cannot be replaced: the log grows rather than losing lines.
  std::filesystem::remove(folder / "Vantor.log.1");
  std::filesystem::create_directories(folder / "Vantor.log.1" / "in the way");
  log.Append(std::string(90, 'x'));
  log.Append("y");
  EXPECT_EQ(test::ReadBytes(folder / "Vantor.log"),
            std::string(20, 'n') + std::string(90, 'x') + "y");
}

TEST(LogFile, FallsBackToTheNextFolderAndAppendsAcrossRuns) {
  test::TempFolder folder;
  test::WriteBytes(folder / "not-a-folder", "x");  // the first choice cannot hold a log
  {
    LogFile log;
    ASSERT_TRUE(log.Open({folder / "not-a-folder", folder / "fallback"}));
    EXPECT_EQ(log.Path(), folder / "fallback" / "Vantor.log");
    log.Append("first run\r\n");
  }
  LogFile log;
  ASSERT_TRUE(log.Open({folder / "fallback"}));
  log.Append("second run\r\n");
  EXPECT_EQ(test::ReadBytes(folder / "fallback" / "Vantor.log"), "first run\r\nsecond run\r\n");
}

}  // namespace
}  // namespace vantor
