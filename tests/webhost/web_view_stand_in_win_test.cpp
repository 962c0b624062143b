// The real Vantor.exe over the WebView2 stand-in (a test double of the
// runtime): what the program asks of the runtime, in what order, and what it
// does with the events the runtime raises.
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include "support/stand_in_session.h"
#include "webhost/expected_page_scripts.h"

namespace vantor {
namespace {

using test::Kinds;
using test::RecordLine;
using test::StandInSession;
using Lines = std::vector<RecordLine>;

std::string Utf8Path(const std::filesystem::path& path) { return path.u8string(); }

// After a normal close: exit code 0, the controller closed, nothing left
// referenced, nothing called that the program should not call.
void ExpectCleanExit(StandInSession& session) {
  EXPECT_EQ(session.CloseAndWait(), 0u);
  EXPECT_TRUE(session.WaitFor({"exit"}, 5000));
  EXPECT_TRUE(session.WaitFor({"call", "ICoreWebView2Controller::Close"}, 0));
  test::ExpectCleanRecord(session);
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
      {"call", "ICoreWebView2::QueryInterface", "ICoreWebView2_22", "E_NOINTERFACE"},
      {"call", "ICoreWebView2::AddWebResourceRequestedFilter", "*vantor.io/*", "0"},
      {"call", "ICoreWebView2::add_WebResourceRequested"},
      {"call", "ICoreWebView2::add_ProcessFailed"},
      {"call", "ICoreWebView2::add_NavigationStarting"},
      {"call", "ICoreWebView2::add_NavigationCompleted"},
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

constexpr char kGame[] = "https://vantor.io/";

Lines Calls(const Lines& lines) { return Kinds(lines, {"call"}); }

TEST(StandInPageMessages, ClientLoadedDecoratesTheMenuInOrder) {
  StandInSession session;
  session.StartAndWaitForNavigation();
  const Lines expected = {
      {"call", "ICoreWebView2WebMessageReceivedEventArgs::get_Source"},
      {"call", "ICoreWebView2WebMessageReceivedEventArgs::TryGetWebMessageAsString"},
      {"call", "ICoreWebView2::ExecuteScript", test::kExpectedVersionBanner, "no handler"},
      {"call", "ICoreWebView2::ExecuteScript", test::kExpectedExitButton, "no handler"},
      {"call", "ICoreWebView2::ExecuteScript", test::kExpectedClientButton, "no handler"},
      {"call", "ICoreWebView2::ExecuteScript", test::kExpectedMenuTimer, "no handler"},
  };
  EXPECT_EQ(Calls(session.Send(std::string("web-message ") + kGame + " clientLoaded")), expected);
  ExpectCleanExit(session);
}

TEST(StandInPageMessages, SettingsFromThePanelAreStoredAndApplied) {
  StandInSession session;
  session.StartAndWaitForNavigation();
  const Lines panel = Calls(session.Send(std::string("web-message ") + kGame + " clientSettings"));
  ASSERT_EQ(panel.size(), 3u);
  EXPECT_EQ(panel[2][1], "ICoreWebView2::ExecuteScript");
  EXPECT_EQ(panel[2][2].rfind("showWindow(1);menuWindow.innerHTML=\"<div class='setHed'", 0), 0u);

  session.Send(std::string("web-message ") + kGame + " clientSettings_Raw Input_true");
  EXPECT_EQ(session.ConfigBytes(), "{\r\n    \"Raw Input\": true\r\n}\r\n");

  // Fullscreen off: the window takes 85 % of the 1920 x 1080 screen at once,
  // and the web view follows the new client area.
  const Lines windowed =
      session.Send(std::string("web-message ") + kGame + " clientSettings_Fullscreen Mode_false");
  EXPECT_EQ(session.ConfigBytes(),
            "{\r\n    \"Fullscreen Mode\": false,\r\n    \"Raw Input\": true\r\n}\r\n");
  RECT rect{};
  GetWindowRect(session.MainWindow(), &rect);
  EXPECT_EQ(rect.right - rect.left, 1632);
  EXPECT_EQ(rect.bottom - rect.top, 918);
  RECT client{};
  GetClientRect(session.MainWindow(), &client);
  const std::string bounds =
      "0,0," + std::to_string(client.right) + "," + std::to_string(client.bottom);
  EXPECT_EQ(Calls(windowed).back(),
            (RecordLine{"call", "ICoreWebView2Controller::put_Bounds", bounds}));
  ExpectCleanExit(session);
}

TEST(StandInPageMessages, OtherPagesNonStringsAndLookAlikesChangeNothing) {
  StandInSession session;
  session.StartAndWaitForNavigation();
  const Lines nothing = {
      {"call", "ICoreWebView2WebMessageReceivedEventArgs::get_Source"},
      {"call", "ICoreWebView2WebMessageReceivedEventArgs::TryGetWebMessageAsString"}};
  for (const char* command : {
           "web-message https://evil.example/ clientLoaded",
           "web-message https://vantor.io.evil.example/ clientSettings_Raw Input_true",
           "web-message https://evil.example/ clientExit",
           "web-message https://vantor.io/ StartHook",
           "web-message https://vantor.io/ clientLoaded ",
           "web-message https://vantor.io/ clientExit_",
           "web-message https://vantor.io/ mapChange_some map",
       }) {
    const Lines calls = Calls(session.Send(command));
    // A foreign page's message is dropped before its text is read.
    if (calls.size() == 1) {
      EXPECT_EQ(calls, Lines{nothing[0]}) << command;
    } else {
      EXPECT_EQ(calls, nothing) << command;
    }
  }
  const Lines json = Calls(session.Send("web-message-json https://vantor.io/ {\"a\":1}"));
  EXPECT_EQ(json, nothing);
  EXPECT_FALSE(std::filesystem::exists(session.Folder() / "config.json"));
  EXPECT_FALSE(session.Exited());
  ExpectCleanExit(session);
}

TEST(StandInPageMessages, ClientExitEndsTheProgramWithCodeZero) {
  StandInSession session;
  session.StartAndWaitForNavigation();
  session.Send(std::string("web-message ") + kGame + " clientExit");
  EXPECT_EQ(session.WaitForExit(), 0u);
  EXPECT_TRUE(session.WaitFor({"exit"}, 5000));
  EXPECT_EQ(Kinds(session.Lines(), {"leak"}), Lines{}) << session.Dump();
  EXPECT_EQ(Kinds(session.Lines(), {"breach"}), Lines{});
}

// --- shortcuts ---------------------------------------------------------------

// Key releases carry bit 31 in their lParam; presses do not.
constexpr char kF5Down[] = "key 0 116 0x003F0001";
constexpr char kF5Up[] = "key 1 116 0xC03F0001";

TEST(StandInShortcuts, AcceleratorKeysActOnReleaseOnly) {
  StandInSession session;
  session.StartAndWaitForNavigation();
  const Lines read = {{"call", "ICoreWebView2AcceleratorKeyPressedEventArgs::get_VirtualKey"},
                      {"call", "ICoreWebView2AcceleratorKeyPressedEventArgs::get_KeyEventLParam"}};
  EXPECT_EQ(Calls(session.Send(kF5Down)), read);
  Lines reload = read;
  reload.push_back({"call", "ICoreWebView2::Reload"});
  EXPECT_EQ(Calls(session.Send(kF5Up)), reload);
  Lines home = read;
  home.push_back({"call", "ICoreWebView2::Navigate", "https://vantor.io"});
  EXPECT_EQ(Calls(session.Send("key 1 115 0xC03E0001")), home);  // F4
  EXPECT_EQ(Calls(session.Send("key 3 117 0xE0400001")), home);  // Alt+F6, a system key-up
  // F10 without Developer Mode does nothing.
  EXPECT_EQ(Calls(session.Send("key 3 121 0xE0440001")), read);
  // F11 toggles fullscreen and saves it.
  session.Send("key 1 122 0xC0570001");
  EXPECT_EQ(session.ConfigBytes(), "{\r\n    \"Fullscreen Mode\": false\r\n}\r\n");
  ExpectCleanExit(session);
}

RecordLine LastBounds(const Lines& lines) {
  RecordLine last;
  for (const RecordLine& line : Calls(lines)) {
    if (line[1] == "ICoreWebView2Controller::put_Bounds") last = line;
  }
  return last;
}

std::string ClientArea(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return "0,0," + std::to_string(client.right) + "," + std::to_string(client.bottom);
}

// The web view covers the whole client area from the first frame, and in
// fullscreen that is the whole 1920 x 1080 screen, after every F11 too.
TEST(StandInWindowModes, TheWebViewFillsTheClientAreaAtStartAndAfterEachF11) {
  for (const char* settings : {"", R"({"Fullscreen Mode": false})"}) {
    StandInSession session({"", settings});
    session.StartAndWaitForNavigation();
    bool fullscreen = *settings == '\0';
    for (int press = 0; press <= 2; ++press) {
      if (press > 0) {
        session.Send("key 1 122 0xC0570001");
        fullscreen = !fullscreen;
      }
      const std::string client = ClientArea(session.MainWindow());
      if (fullscreen) {
        EXPECT_EQ(client, "0,0,1920,1080") << press;
      } else {
        EXPECT_NE(client, "0,0,1632,918") << press;  // the frame takes its share
      }
      EXPECT_EQ(LastBounds(session.Lines()),
                (RecordLine{"call", "ICoreWebView2Controller::put_Bounds", client}))
          << press;
    }
    ExpectCleanExit(session);
  }
}

TEST(StandInShortcuts, DeveloperToolsInDeveloperModeThroughBothRoutes) {
  StandInSession session({"", R"({"Developer Mode": true})"});
  session.StartAndWaitForNavigation();
  const Lines calls = Calls(session.Send("key 3 121 0xE0440001"));
  EXPECT_EQ(calls.back(), (RecordLine{"call", "ICoreWebView2::OpenDevToolsWindow"}));
  // The main window's own route: F10 arrives as WM_SYSKEYUP, F5 as WM_KEYUP.
  PostMessageW(session.MainWindow(), WM_SYSKEYUP, VK_F10, 0xE0440001);
  PostMessageW(session.MainWindow(), WM_KEYDOWN, VK_F5, 0x003F0001);
  PostMessageW(session.MainWindow(), WM_KEYUP, VK_F5, 0xC03F0001);
  session.Send("dom-content-loaded");  // runs after the posted keys
  const Lines after = Calls(session.Lines());
  size_t devTools = 0, reloads = 0;
  for (const RecordLine& line : after) {
    devTools += line[1] == "ICoreWebView2::OpenDevToolsWindow";
    reloads += line[1] == "ICoreWebView2::Reload";
  }
  EXPECT_EQ(devTools, 2u);
  EXPECT_EQ(reloads, 1u);
  ExpectCleanExit(session);
}

// --- resource swapper ------------------------------------------------------------

std::filesystem::path SwapFolderPath() {
  PWSTR documents = nullptr;
  SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_DEFAULT, nullptr, &documents);
  std::filesystem::path folder = std::filesystem::path(documents) / L"Vantor" / L"ResourceSwapper";
  CoTaskMemFree(documents);
  return folder;
}

// The player's swap folder holding img/a.png, removed again afterwards.
class StandInSwapper : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(swap_ / "img");
    test::WriteBytes(swap_ / "img" / "a.png", std::string("PNG\x01\x02 bytes", 11));
  }
  void TearDown() override { std::filesystem::remove_all(swap_.parent_path()); }

  const std::filesystem::path swap_ = SwapFolderPath();
};

TEST_F(StandInSwapper, AnswersFromTheSwapFolderByteForByte) {
  StandInSession session;
  session.StartAndWaitForNavigation();

  const Lines answered = session.Send("request main-frame https://vantor.io/img/a.png?v=3");
  ASSERT_FALSE(answered.empty());
  EXPECT_EQ(answered.back(),
            (RecordLine{"response", "https://vantor.io/img/a.png?v=3", "200", "OK",
                        "access-control-allow-origin: https://vantor.io\\x0Aaccess-control-expose-"
                        "headers: Content-Length, Content-Type, Date, Server, Transfer-Encoding, "
                        "X-GUploader-UploadID, X-Google-Trace",
                        "PNG\\x01\\x02 bytes"}));
  for (const char* uri : {"https://vantor.io/img/missing.png", "https://vantor.io/",
                          "https://vantor.io/img/../../secret.txt"}) {
    const Lines lines = session.Send(std::string("request main-frame ") + uri);
    ASSERT_FALSE(lines.empty()) << uri;
    EXPECT_EQ(lines.back(), (RecordLine{"network", uri})) << uri;
  }
  // Another host's request never waits for the program at all.
  EXPECT_EQ(session.Send("request main-frame https://other.example/img/a.png"),
            (Lines{{"unfiltered", "https://other.example/img/a.png", "main-frame"}}));
  ExpectCleanExit(session);
}

// What the game's page loads: its own files, other hosts' files, and requests
// from a worker and from a frame of another origin.
constexpr const char* kPageLoad[] = {
    "main-frame https://vantor.io/",
    "main-frame https://vantor.io/img/a.png?v=3",
    "main-frame https://vantor.io/js/game.js",
    "main-frame https://cdn.other.example/lib.js",
    "main-frame https://analytics.example/collect?id=vantor.io",
    "main-frame https://fonts.example/font.woff2",
    "service-worker https://vantor.io/img/a.png",
    "cross-origin-frame https://vantor.io/img/a.png",
    "cross-origin-frame https://ads.example/banner.png",
};

struct LoadOutcome {
  int raised = 0;                     // events on the UI thread
  std::vector<std::string> answered;  // from the swap folder
};

LoadOutcome LoadThePage(StandInSession& session) {
  LoadOutcome outcome;
  for (const char* request : kPageLoad) {
    for (const RecordLine& line : session.Send(std::string("request ") + request)) {
      if (line[0] == "event") ++outcome.raised;
      if (line[0] == "response") outcome.answered.push_back(request);
    }
  }
  return outcome;
}

TEST_F(StandInSwapper, OnlyRequestsItCanAnswerReachTheUiThreadFromPagesWorkersAndFrames) {
  StandInSession session({"webview22", ""});
  session.StartAndWaitForNavigation();
  EXPECT_TRUE(session.WaitFor(
      {"call", "ICoreWebView2_22::AddWebResourceRequestedFilterWithRequestSourceKinds",
       "*vantor.io/*", "0", "0xFFFFFFFF"},
      0));
  EXPECT_NE(session.LogText().find(
                " resource swapper: filter *vantor.io/* for pages, workers and frames\r\n"),
            std::string::npos);
  const LoadOutcome outcome = LoadThePage(session);
  EXPECT_EQ(outcome.raised, 5);
  EXPECT_EQ(outcome.answered, (std::vector<std::string>{
                                  "main-frame https://vantor.io/img/a.png?v=3",
                                  "service-worker https://vantor.io/img/a.png",
                                  "cross-origin-frame https://vantor.io/img/a.png",
                              }));
  ExpectCleanExit(session);
}

TEST_F(StandInSwapper, WithoutTheNewerFilterCallTheGamesOwnDocumentsAreStillAnswered) {
  StandInSession session;  // no ICoreWebView2_22
  session.StartAndWaitForNavigation();
  EXPECT_NE(session.LogText().find(" resource swapper: filter *vantor.io/* for the page's own "
                                   "documents only (the runtime has no ICoreWebView2_22)\r\n"),
            std::string::npos);
  const LoadOutcome outcome = LoadThePage(session);
  EXPECT_EQ(outcome.raised, 3);
  EXPECT_EQ(outcome.answered,
            (std::vector<std::string>{"main-frame https://vantor.io/img/a.png?v=3"}));
  ExpectCleanExit(session);
}

// --- mouse ---------------------------------------------------------------------

void Pause(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

void Click() {
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof(INPUT));
}

void Move(int dx, int dy) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.dwFlags = MOUSEEVENTF_MOVE;
  SendInput(1, &input, sizeof(INPUT));
}

Lines Posted(const StandInSession& session) {
  Lines posted;
  for (const RecordLine& line : Calls(session.Lines())) {
    if (line[1] == "ICoreWebView2::PostWebMessageAsJson") posted.push_back(line);
  }
  return posted;
}

TEST(StandInMouse, WhileCapturedAClickReachesThePageAsMouseDown) {
  StandInSession session;
  session.StartAndWaitForNavigation();
  SetForegroundWindow(session.MainWindow());
  SetCursorPos(960, 540);
  session.Send(std::string("web-message ") + kGame + " startHook");
  Click();
  Pause(300);
  session.Send("dom-content-loaded");  // ends the capture, as a reload does
  Click();
  Pause(300);
  EXPECT_EQ(Posted(session), (Lines{{"call", "ICoreWebView2::PostWebMessageAsJson",
                                     R"({"event":"mousedown","button":0})"}}));
  ExpectCleanExit(session);
}

TEST(StandInMouse, RawMovementReachesThePageOnlyWithCaptureAndRawInput) {
  StandInSession session({"", R"({"Raw Input": true})"});
  session.StartAndWaitForNavigation();
  SetForegroundWindow(session.MainWindow());
  SetCursorPos(960, 540);
  session.Send("dom-content-loaded");  // registers the mouse for raw input
  Move(2, 1);                          // not captured yet: nothing
  Pause(300);
  session.Send(std::string("web-message ") + kGame + " startHook");
  Move(3, -2);  // below the pointer-speed threshold: no acceleration either way
  Pause(300);
  session.Send(std::string("web-message ") + kGame + " stopHook");
  Move(1, 2);
  Pause(300);
  session.Send("dom-content-loaded");
  EXPECT_EQ(Posted(session), (Lines{{"call", "ICoreWebView2::PostWebMessageAsJson",
                                     R"({"event":"mousemove","x":3,"y":-2})"}}));
  ExpectCleanExit(session);
}

// A page stuck for 10 s brings the question, owned by the game's window, and
// frees the mouse; the page takes the pointer lock again, and raw movement
// reaches it under the question's own loop, once.
TEST(StandInMouse, UnderTheStuckPageQuestionRawMovementReachesThePageOnce) {
  StandInSession session({"", R"({"Raw Input": true})"});
  session.StartAndWaitForNavigation();
  SetForegroundWindow(session.MainWindow());
  SetCursorPos(960, 540);
  session.Send("dom-content-loaded");
  session.Send(std::string("web-message ") + kGame + " startHook");
  const HWND question = session.RaiseStuckPageQuestion();
  ASSERT_NE(question, nullptr) << session.Dump();
  EXPECT_EQ(GetWindow(question, GW_OWNER), session.MainWindow());
  Move(2, 1);  // released with the question: nothing
  Pause(300);
  session.Send(std::string("web-message ") + kGame + " startHook");
  Move(3, -2);
  Pause(300);
  EXPECT_EQ(Posted(session), (Lines{{"call", "ICoreWebView2::PostWebMessageAsJson",
                                     R"({"event":"mousemove","x":3,"y":-2})"}}));
  PostMessageW(question, WM_CLOSE, 0, 0);  // counts as "Wait"
  Pause(300);
  for (const RecordLine& line : Calls(session.Lines())) EXPECT_NE(line[1], "ICoreWebView2::Reload");
  ExpectCleanExit(session);
}

}  // namespace
}  // namespace vantor
