// Vantor.exe over the WebView2 stand-in (a test double of the runtime) when
// the runtime fails: at start-up, and when its processes die later.
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>

#include "support/stand_in_session.h"
#include "webhost/expected_page_scripts.h"

namespace vantor {
namespace {

using test::Kinds;
using test::RecordLine;
using test::StandInSession;
using Lines = std::vector<RecordLine>;

size_t Count(const Lines& lines, const std::string& kind, const std::string& what) {
  size_t n = 0;
  for (const RecordLine& line : lines) n += line.size() > 1 && line[0] == kind && line[1] == what;
  return n;
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

bool Has(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

// --- start-up ----------------------------------------------------------------------

struct StartFailureCase {
  const char* name;
  const char* options;
  int environmentCalls;
  const wchar_t* caption;
  const wchar_t* says;
  const char* logged;
};
void PrintTo(const StartFailureCase& c, std::ostream* os) { *os << c.name; }

class StartFailure : public ::testing::TestWithParam<StartFailureCase> {};

// Each failure ends in one message, then exit code 2 through the normal
// teardown: the window closes, nothing stays referenced, and no black window
// is left behind.
TEST_P(StartFailure, EndsInItsMessageAndExitCodeWithNothingLeft) {
  const StartFailureCase& c = GetParam();
  StandInSession session({c.options, ""});
  session.Start();
  const test::Dialog box = session.AnswerMessageBox();
  ASSERT_NE(box.window, nullptr) << "no message\n" << session.Dump();
  EXPECT_EQ(box.caption, c.caption);
  EXPECT_TRUE(Has(box.text, c.says)) << std::string(box.text.begin(), box.text.end());
  EXPECT_EQ(session.WaitForExit(), 2u);
  EXPECT_TRUE(session.WaitFor({"exit"}, 5000));
  EXPECT_EQ(Count(session.Lines(), "call", "CreateCoreWebView2EnvironmentWithOptions"),
            static_cast<size_t>(c.environmentCalls));
  EXPECT_EQ(Count(session.Lines(), "call", "ICoreWebView2::Navigate"), 0u);
  test::ExpectCleanRecord(session);
  EXPECT_TRUE(Has(session.LogText(), c.logged)) << session.LogText();
  EXPECT_TRUE(Has(session.LogText(), "Vantor ending with code 2\r\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Injected, StartFailure,
    ::testing::Values(
        StartFailureCase{"runtime_broken", "environment-fails=0x80070002", 1,
                         L"Vantor could not start the game",
                         L"Vantor could not start the Microsoft Edge WebView2 Runtime (error "
                         L"0x80070002).\n\nRepair or reinstall",
                         "Creating the WebView2 environment failed: 0x80070002"},
        StartFailureCase{"updating_twice", "environment-fails=0x80004004", 2,
                         L"Vantor could not start the game", L"Try again in a few minutes.",
                         "Creating the WebView2 environment failed: 0x80004004"},
        StartFailureCase{"folder_refused", "controller-fails=0x80070005", 1,
                         L"Vantor could not start the game",
                         L"It cannot write its browser data to\n",
                         "Creating the WebView2 controller failed: 0x80070005"},
        StartFailureCase{"no_controller", "controller-null", 1, L"Vantor could not start the game",
                         L"Vantor could not open the game's view in its window (error "
                         L"0x80004003).",
                         "Creating the WebView2 controller failed: 0x80004003"},
        StartFailureCase{"old_runtime", "no-controller2", 1,
                         L"Vantor needs a newer WebView2 runtime",
                         L"does not provide ICoreWebView2Controller2 (background colour)",
                         "Asking for ICoreWebView2Controller2 failed: 0x80004002"}),
    [](const auto& info) { return std::string(info.param.name); });

void ExpectCleanExit(StandInSession& session) {
  EXPECT_EQ(session.CloseAndWait(), 0u);
  EXPECT_TRUE(session.WaitFor({"exit"}, 5000));
  test::ExpectCleanRecord(session);
}

// The player closes the game window while the failure's box is up: the
// ending's code still stands.
TEST(StartFailure, ClosingTheWindowUnderTheBoxKeepsTheExitCode) {
  StandInSession session({"environment-fails=0x80070002", ""});
  session.Start();
  ASSERT_NE(test::WaitForDialog(session.ProcessId(), 20000).window, nullptr) << session.Dump();
  EXPECT_EQ(session.CloseAndWait(), 2u);
}

TEST(StartRetry, ACreationAbortedOnceIsTriedAgainAndTheGameLoads) {
  StandInSession session({"environment-fails=0x80004004:1", ""});
  session.StartAndWaitForNavigation();
  EXPECT_EQ(Count(session.Lines(), "call", "CreateCoreWebView2EnvironmentWithOptions"), 2u);
  const std::string log = session.LogText();
  EXPECT_TRUE(Has(log, " Creating the WebView2 environment failed: 0x80004004")) << log;
  EXPECT_TRUE(Has(log, ". trying once more\r\n")) << log;
  ExpectCleanExit(session);
}

// Started while the game cannot be reached: Vantor's page within a second of
// each failure, tries after 2 s and then 4 s, and F5 on that page tries the
// game rather than reloading it. Once reachable, the game loads with its
// document scripts, and the log tells the whole story.
TEST(NoConnection, VantorsPageTriesOnScheduleAndTheGameComesBack) {
  StandInSession session({"game-navigations-fail=11", ""});
  session.Start();
  using Clock = std::chrono::steady_clock;
  // When the n-th line of this kind and name was first seen.
  const auto seen = [&](const char* kind, const char* what, size_t n) {
    for (int waited = 0; waited < 20000; waited += 10) {
      if (Count(session.Lines(), kind, what) >= n) break;
      Sleep(10);
    }
    EXPECT_GE(Count(session.Lines(), kind, what), n) << what << "\n" << session.Dump();
    return Clock::now();
  };
  const auto seconds = [](Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
  };
  const auto failed = seen("event", "NavigationCompleted", 1);
  const auto page = seen("call", "ICoreWebView2::NavigateToString", 1);
  EXPECT_LT(seconds(failed, page), 1.0);
  const auto firstTry = seen("call", "ICoreWebView2::Navigate", 2);
  EXPECT_GT(seconds(page, firstTry), 1.7);
  EXPECT_LT(seconds(page, firstTry), 3.0);
  const auto secondPage = seen("call", "ICoreWebView2::NavigateToString", 2);
  const auto secondTry = seen("call", "ICoreWebView2::Navigate", 3);
  EXPECT_GT(seconds(secondPage, secondTry), 3.7);
  EXPECT_LT(seconds(secondPage, secondTry), 5.0);
  seen("call", "ICoreWebView2::NavigateToString", 3);
  // Its page gets none of the game's per-document scripts.
  EXPECT_EQ(Count(session.Send("dom-content-loaded"), "call", "ICoreWebView2::ExecuteScript"), 0u);
  for (const RecordLine& line : session.Lines()) {
    if (line.size() > 2 && line[1] == "ICoreWebView2::NavigateToString") {
      EXPECT_TRUE(Has(line[2], "no network connection")) << line[2];
    }
  }

  session.Send("game-navigations succeed");
  const Lines f5 = Kinds(session.Send("key 1 116 0xC03F0001"), {"call"});
  EXPECT_EQ(f5, (Lines{{"call", "ICoreWebView2AcceleratorKeyPressedEventArgs::get_VirtualKey"},
                       {"call", "ICoreWebView2AcceleratorKeyPressedEventArgs::get_KeyEventLParam"},
                       {"call", "ICoreWebView2::Navigate", "https://vantor.io"}}));
  for (int waited = 0; waited < 5000 && !Has(session.LogText(), "the game loaded again");
       waited += 20) {
    Sleep(20);
  }
  EXPECT_EQ(Count(Kinds(session.Send("dom-content-loaded"), {"call"}), "call",
                  "ICoreWebView2::ExecuteScript"),
            3u);
  const std::string log = session.LogText();
  for (const char* said : {"the game's page did not load: DISCONNECTED",
                           "trying the game again in 2 s", "trying the game again: the pause ended",
                           "trying the game again in 4 s", "trying the game again in 8 s",
                           "trying the game again: asked to reload", "the game loaded again"}) {
    EXPECT_TRUE(Has(log, said)) << said << "\n" << log;
  }
  test::ExpectCleanRecord(session);
}

std::filesystem::path LocalAppData() {
  PWSTR folder = nullptr;
  SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &folder);
  std::filesystem::path path(folder);
  CoTaskMemFree(folder);
  return path;
}

TEST(StartFallback, ABrowserDataFolderThatCannotBeMadeMovesToTheUsersOwn) {
  StandInSession session;
  // A file where the folder should be: the folder cannot be created.
  test::WriteBytes(session.Folder() / "cache", "not a folder");
  session.StartAndWaitForNavigation();
  const std::filesystem::path own = LocalAppData() / "Vantor" / "cache";
  EXPECT_TRUE(session.WaitFor(
      {"call", "CreateCoreWebView2EnvironmentWithOptions", "(null)", own.u8string()}, 0))
      << session.Dump();
  EXPECT_TRUE(Has(session.LogText(), "cannot be written, using " + own.u8string() + "\r\n"))
      << session.LogText();
  ExpectCleanExit(session);
}

// --- crashes -----------------------------------------------------------------------

constexpr char kGame[] = "https://vantor.io/";

TEST(CrashRecovery, ARenderProcessExitReloadsThePageAHangIsWaitedFor) {
  StandInSession session;
  session.StartAndWaitForNavigation();
  const Lines readKind = {{"call", "ICoreWebView2ProcessFailedEventArgs::get_ProcessFailedKind"}};
  Lines reload = readKind;
  reload.push_back({"call", "ICoreWebView2::Reload"});
  EXPECT_EQ(Kinds(session.Send("process-failed 1"), {"call"}), reload);
  // One unresponsive report, and a GPU process the runtime restarts by
  // itself: nothing changes, and nobody is asked.
  EXPECT_EQ(Kinds(session.Send("process-failed 2"), {"call"}), readKind);
  EXPECT_EQ(Kinds(session.Send("process-failed 6"), {"call"}), readKind);
  EXPECT_EQ(test::WaitForDialog(session.ProcessId(), 500).window, nullptr);
  const std::string log = session.LogText();
  EXPECT_TRUE(Has(log, " render process exited: reloading the page\r\n")) << log;
  EXPECT_TRUE(Has(log, " render process unresponsive: waiting for it\r\n"));
  ExpectCleanExit(session);
}

TEST(CrashRecovery, ABrowserProcessFailureRecreatesTheWebViewInTheSameWindow) {
  StandInSession session;
  session.StartAndWaitForNavigation();
  const HWND window = session.MainWindow();
  session.Send("process-failed 0");
  ASSERT_TRUE(session.WaitFor({"complete", "CreateCoreWebView2Controller"}));
  // Wait for the second navigation.
  for (int i = 0; i < 500 && Count(session.Lines(), "call", "ICoreWebView2::Navigate") < 2; ++i) {
    Sleep(20);
  }
  const Lines lines = session.Lines();
  EXPECT_EQ(Count(lines, "call", "ICoreWebView2::Navigate"), 2u) << session.Dump();
  EXPECT_EQ(Count(lines, "call", "CreateCoreWebView2EnvironmentWithOptions"), 2u);
  EXPECT_EQ(Count(lines, "call", "ICoreWebView2::AddScriptToExecuteOnDocumentCreated"), 2u);
  // The old handlers were removed with their tokens, the old controller closed.
  for (const char* removed :
       {"ICoreWebView2_2::remove_DOMContentLoaded", "ICoreWebView2::remove_WebMessageReceived",
        "ICoreWebView2Controller::remove_AcceleratorKeyPressed",
        "ICoreWebView2::remove_WebResourceRequested", "ICoreWebView2::remove_ProcessFailed",
        "ICoreWebView2::remove_NavigationStarting", "ICoreWebView2::remove_NavigationCompleted"}) {
    EXPECT_EQ(Count(lines, "call", removed), 1u) << removed;
  }
  for (const char* added :
       {"ICoreWebView2_2::add_DOMContentLoaded", "ICoreWebView2::add_WebMessageReceived",
        "ICoreWebView2Controller::add_AcceleratorKeyPressed",
        "ICoreWebView2::add_WebResourceRequested", "ICoreWebView2::add_ProcessFailed",
        "ICoreWebView2::add_NavigationStarting", "ICoreWebView2::add_NavigationCompleted"}) {
    EXPECT_EQ(Count(lines, "call", added), 2u) << added;
  }
  EXPECT_EQ(Count(lines, "call", "ICoreWebView2Controller::Close"), 1u);
  EXPECT_EQ(session.MainWindow(), window);
  // The new web view hears the page as the first did.
  const Lines menu =
      Kinds(session.Send(std::string("web-message ") + kGame + " clientLoaded"), {"call"});
  ASSERT_EQ(menu.size(), 6u);
  EXPECT_EQ(menu[2], (RecordLine{"call", "ICoreWebView2::ExecuteScript",
                                 test::kExpectedVersionBanner, "no handler"}));
  EXPECT_TRUE(Has(session.LogText(), " browser process exited: starting the browser again\r\n"));
  ExpectCleanExit(session);
}

// A crash while the player is asked about a stuck page closes the question
// first; the page reloads once, and no second box ever shows.
TEST(CrashRecovery, ACrashWhileAskedClosesTheQuestionFirst) {
  StandInSession session;
  session.StartAndWaitForNavigation();
  const HWND question = session.RaiseStuckPageQuestion();
  ASSERT_NE(question, nullptr) << session.Dump();
  session.Send("process-failed 1");
  Sleep(500);
  EXPECT_FALSE(IsWindow(question));
  EXPECT_EQ(test::CountDialogs(session.ProcessId()), 0);
  EXPECT_EQ(Count(session.Lines(), "call", "ICoreWebView2::Reload"), 1u);
  EXPECT_TRUE(Has(session.LogText(),
                  " the player's answer came after the page was reloaded or "
                  "made anew: nothing to do\r\n"))
      << session.LogText();
  ExpectCleanExit(session);
}

TEST(CrashRecovery, FourFailuresInAMinuteStopWithTheMessageAndTheLogsPath) {
  StandInSession session;
  session.StartAndWaitForNavigation();
  for (int i = 0; i < 3; ++i) session.Send("process-failed 1");
  session.Send("process-failed 1");
  ASSERT_NE(test::WaitForDialog(session.ProcessId(), 20000).window, nullptr) << session.Dump();
  // Given up: the web host is stopped, so a further failure shows no box.
  session.Send("process-failed 1");
  Sleep(300);
  EXPECT_EQ(test::CountDialogs(session.ProcessId()), 1);
  const test::Dialog box = session.AnswerMessageBox();
  ASSERT_NE(box.window, nullptr) << session.Dump();
  EXPECT_EQ(box.caption, L"Vantor stopped the game's browser");
  EXPECT_TRUE(Has(box.text, L"so Vantor stopped restarting it."));
  EXPECT_TRUE(Has(box.text, (session.Folder() / L"Vantor.log").wstring()))
      << std::string(box.text.begin(), box.text.end());
  EXPECT_EQ(session.WaitForExit(), 3u);
  EXPECT_EQ(Count(session.Lines(), "call", "ICoreWebView2::Reload"), 3u);
  test::ExpectCleanRecord(session);
  EXPECT_TRUE(Has(session.LogText(),
                  " render process exited: too many failures within a minute, giving up\r\n"));
}

}  // namespace
}  // namespace vantor
