// The real Vantor.exe over the WebView2 stand-in (a test double of the
// runtime): what the program asks of the runtime, in what order, and what it
// does with the events the runtime raises.
#include <windows.h>

#include <gtest/gtest.h>

#include "support/stand_in_session.h"
#include "webhost/expected_page_scripts.h"

namespace vantor {
namespace {

using test::RecordLine;
using test::StandInSession;
using Lines = std::vector<RecordLine>;

// The lines of the given kinds, in order.
Lines Kinds(const Lines& lines, std::initializer_list<const char*> kinds) {
  Lines kept;
  for (const RecordLine& line : lines) {
    for (const char* kind : kinds) {
      if (!line.empty() && line[0] == kind) kept.push_back(line);
    }
  }
  return kept;
}

std::string Utf8Path(const std::filesystem::path& path) { return path.u8string(); }

// After a normal close: exit code 0, the controller closed, nothing left
// referenced, nothing called that the program should not call.
void ExpectCleanExit(StandInSession& session) {
  EXPECT_EQ(session.CloseAndWait(), 0u);
  EXPECT_TRUE(session.WaitFor({"exit"}, 5000));
  EXPECT_TRUE(session.WaitFor({"call", "ICoreWebView2Controller::Close"}, 0));
  EXPECT_EQ(session.Only("leak"), Lines{}) << session.Dump();
  EXPECT_EQ(session.Only("breach"), Lines{});
  EXPECT_EQ(session.Only("unexpected"), Lines{});
}

TEST(StandInSetUp, AsksForTheRuntimeThenSetsUpTheWebViewInOrder) {
  StandInSession session;
  session.StartAndWaitForNavigation();
  Lines lines = Kinds(session.Lines(), {"call", "complete", "returned"});
  // The browser flags: one of them depends on the processor's vendor.
  ASSERT_GE(lines.size(), 2u);
  ASSERT_EQ(lines[1].size(), 6u);
  const std::string flags = lines[1][5];
  const std::string common =
      "--ignore-gpu-blacklist --disable-print-preview --disable-features=msSmartScreenProtection "
      "--disable-background-timer-throttling --high-dpi-support=1 "
      "--webrtc-max-cpu-consumption-percentage=100 --autoplay-policy=no-user-gesture-required "
      "--disable-frame-rate-limit --disable-gpu-vsync";
  EXPECT_TRUE(flags == common || flags == common + " --enable-zero-copy") << flags;
  lines[1].pop_back();

  const std::string cache = Utf8Path(session.Folder() / "cache");
  const Lines expected = {
      {"call", "GetAvailableCoreWebView2BrowserVersionString", "(null)"},
      {"call", "CreateCoreWebView2EnvironmentWithOptions", "(null)", cache, "(null)"},
      {"complete", "CreateCoreWebView2EnvironmentWithOptions", "0x00000000", "environment"},
      {"call", "ICoreWebView2Environment::CreateCoreWebView2Controller", "parent=Vantor"},
      {"returned", "CreateCoreWebView2EnvironmentWithOptions", "0x00000000"},
      {"complete", "CreateCoreWebView2Controller", "0x00000000", "controller"},
      {"call", "ICoreWebView2Controller::get_CoreWebView2"},
      {"call", "ICoreWebView2Controller::QueryInterface", "ICoreWebView2Controller2", "S_OK"},
      {"call", "ICoreWebView2Controller2::put_DefaultBackgroundColor", "A=0 R=0 G=0 B=255"},
      {"call", "ICoreWebView2::get_Settings"},
      {"call", "ICoreWebView2Settings::put_IsScriptEnabled", "TRUE"},
      {"call", "ICoreWebView2Settings::put_AreDefaultScriptDialogsEnabled", "TRUE"},
      {"call", "ICoreWebView2Settings::put_IsWebMessageEnabled", "TRUE"},
      {"call", "ICoreWebView2Settings::put_AreDevToolsEnabled", "FALSE"},
      {"call", "ICoreWebView2Settings::put_AreDefaultContextMenusEnabled", "TRUE"},
      {"call", "ICoreWebView2Settings::put_IsStatusBarEnabled", "FALSE"},
      {"call", "ICoreWebView2::AddScriptToExecuteOnDocumentCreated",
       test::kExpectedPointerLockWatcher, "no handler"},
      {"call", "ICoreWebView2::QueryInterface", "ICoreWebView2_2", "S_OK"},
      {"call", "ICoreWebView2_2::add_DOMContentLoaded"},
      {"call", "ICoreWebView2::add_WebMessageReceived"},
      {"call", "ICoreWebView2Controller::add_AcceleratorKeyPressed"},
      {"call", "ICoreWebView2::AddWebResourceRequestedFilter", "*", "0"},
      {"call", "ICoreWebView2::add_WebResourceRequested"},
      {"call", "ICoreWebView2Controller::put_Bounds", "0,0,1920,1080"},
      {"call", "ICoreWebView2::Navigate", "https://vantor.io"},
      {"returned", "CreateCoreWebView2Controller", "0x00000000"},
  };
  EXPECT_EQ(lines, expected) << session.Dump();
  ExpectCleanExit(session);
}

TEST(StandInDocument, EachLoadRunsTheThreeScriptsInOrder) {
  StandInSession session;
  session.StartAndWaitForNavigation();
  const Lines expected = {
      {"event", "DOMContentLoaded", "https://vantor.io"},
      {"call", "ICoreWebView2::ExecuteScript", test::kExpectedLoadObserver, "no handler"},
      {"call", "ICoreWebView2::ExecuteScript", test::kExpectedInputListener, "no handler"},
      {"call", "ICoreWebView2::ExecuteScript", test::kExpectedResolutionClamp, "no handler"},
      {"returned", "DOMContentLoaded", "0x00000000"},
  };
  EXPECT_EQ(session.Send("dom-content-loaded"), expected);
  // A reload brings the same three again; the document script is not re-added.
  EXPECT_EQ(session.Send("dom-content-loaded"), expected);
  EXPECT_FALSE(session.Exited()) << "raw input registration failed";
  ExpectCleanExit(session);
}

}  // namespace
}  // namespace vantor
