// When the game cannot be reached: which failures count, what the player
// reads, and when Vantor tries again.
#include "webhost/game_reachability.h"

#include <gtest/gtest.h>

#include "common/text.h"

namespace vantor {
namespace {

TEST(GameReachability, WhichFailuresCountAndWhy) {
  const struct {
    int status;
    const char* name;
    const char* words;  // what the page says, or null: not a failure to act on
  } table[] = {
      {0, "UNKNOWN", "does not answer"},
      {1, "CERTIFICATE_COMMON_NAME_IS_INCORRECT", "not secure"},
      {5, "CERTIFICATE_IS_INVALID", "not secure"},
      {6, "SERVER_UNREACHABLE", "does not answer"},
      {7, "TIMEOUT", "does not answer"},
      {8, "ERROR_HTTP_INVALID_SERVER_RESPONSE", "does not answer"},
      {10, "CONNECTION_RESET", "does not answer"},
      {11, "DISCONNECTED", "no network connection"},
      {12, "CANNOT_CONNECT", "does not answer"},
      {13, "HOST_NAME_NOT_RESOLVED", "cannot be found"},
      {14, "OPERATION_CANCELED", nullptr},
      {15, "REDIRECT_FAILED", nullptr},
      {16, "UNEXPECTED_ERROR", "does not answer"},
      {17, "VALID_AUTHENTICATION_CREDENTIALS_REQUIRED", nullptr},
      {18, "VALID_PROXY_AUTHENTICATION_REQUIRED", nullptr},
      {19, "status 19", nullptr},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(WebErrorStatusName(row.status), row.name);
    const auto reason = GameUnreachableReason(row.status);
    ASSERT_EQ(reason.has_value(), row.words != nullptr);
    if (!reason) continue;
    const std::string page = WideToUtf8(UnreachablePage(*reason, 4));
    EXPECT_NE(page.find(row.words), std::string::npos);
    for (const char* part : {"Vantor cannot reach the game", ">Try now</button>", "let s=4;",
                             "location.href='https://vantor.io/'", "default-src 'none'"}) {
      EXPECT_NE(page.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(page.find("postMessage"), std::string::npos);
    EXPECT_EQ(page.find("src=\"http"), std::string::npos);
  }
}

// Each event ('f' failed, 's' a navigation to the game started, 'l' loaded,
// 't' the pause ended / "Try now" / the network changed, 'g' the web view
// went) with what it returned: a pause in seconds, y/n for a try or for
// "back after failing", '-' for nothing.
TEST(GameReachability, RetriesAfterGrowingPausesOnlyWhileItsPageWaits) {
  const struct {
    const char* name;
    const char* events;
    const char* results;
  } table[] = {
      {"the schedule", "ftftftftftftftf", "2y4y8y16y32y60y60y60"},
      {"a start cuts the pause short", "fstf", "2-n4"},
      {"no try over a running navigation", "ftt", "2yn"},
      {"the pauses start over once loaded", "ftftlf", "2y4yy2"},
      {"a first load is no return", "l", "n"},
      {"a new web view waits for its own navigation", "fgtf", "2-n4"},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.name);
    GameRetry retry;
    std::string results;
    for (const char* event = row.events; *event; ++event) {
      switch (*event) {
        case 'f':
          results += std::to_string(retry.Failed() / 1000);
          EXPECT_TRUE(retry.OwnPageUp());
          break;
        case 's':
          retry.Started();
          results += '-';
          break;
        case 'l':
          results += retry.Loaded() ? 'y' : 'n';
          EXPECT_FALSE(retry.OwnPageUp());
          break;
        case 't':
          results += retry.TryNow() ? 'y' : 'n';
          break;
        case 'g':
          retry.PageGone();
          results += '-';
          break;
      }
    }
    EXPECT_EQ(results, row.results);
  }
}

}  // namespace
}  // namespace vantor
