#include "app/startup.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "common/files.h"
#include "common/text.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using Calls = std::vector<std::string>;

// Records each step; answers with what the test set up.
class FakePlatform final : public StartupPlatform {
 public:
  bool updateOffered = false;
  int promptAnswer = 7;  // IDNO
  std::vector<bool> runtimeProbes{true};
  std::string configText;  // empty: no config.json
  DpiCall dpiResult = DpiCall::Called;
  int windowExitCode = 0;

  Calls calls;
  std::vector<std::wstring> messages;
  std::wstring windowVersion;
  std::wstring installerStarted;
  std::wstring browserArguments;

  void CreateUpdater() override { calls.push_back("CreateUpdater"); }
  bool CheckForUpdate() override {
    calls.push_back("CheckForUpdate");
    return updateOffered;
  }
  void InstallUpdate() override { calls.push_back("InstallUpdate"); }
  std::string UpdaterVersion() override { return "2.0.9"; }
  void DestroyUpdater() override { calls.push_back("DestroyUpdater"); }
  bool LastUpdateIncomplete() override { return updateIncomplete; }
  bool LastUpdateUndone() override { return updateUndone; }
  bool AnotherStartIsUpdating() override { return anotherStartUpdating; }
  bool updateIncomplete = false;
  bool updateUndone = false;
  bool anotherStartUpdating = false;
  bool loaderPresent = true;
  int ShowMessage(const std::wstring& text, const std::wstring& caption, unsigned style) override {
    calls.push_back("ShowMessage(" + WideToUtf8(caption) + "," + std::to_string(style) + ")");
    messages.push_back(text);
    return promptAnswer;
  }
  Config& LoadConfig() override {
    calls.push_back("LoadConfig");
    if (!configText.empty()) test::WriteBytes(folder / "config.json", configText);
    config = std::make_unique<Config>(folder / "config.json");
    return *config;
  }
  void SetBrowserLaunchOptions(std::wstring_view arguments, const Config&) override {
    calls.push_back("SetBrowserLaunchOptions");
    browserArguments = arguments;
  }
  bool LoadWebViewLoader() override {
    calls.push_back("LoadLoader");
    return loaderPresent;
  }
  bool WebViewRuntimeInstalled() override {
    calls.push_back("ProbeRuntime");
    const bool present = runtimeProbes.front();
    if (runtimeProbes.size() > 1) runtimeProbes.erase(runtimeProbes.begin());
    return present;
  }
  std::wstring ExecutableFolder() override { return L"C:\\Games\\Vantor"; }
  void RunAndWait(const std::wstring& program) override {
    calls.push_back("RunAndWait");
    installerStarted = program;
  }
  DpiCall SetProcessDpiAwareness(int awareness) override {
    calls.push_back("SetProcessDpiAwareness(" + std::to_string(awareness) + ")");
    return dpiResult;
  }
  void SetProcessDPIAware() override { calls.push_back("SetProcessDPIAware"); }
  void CreateClientWindow(Config&, std::wstring version) override {
    calls.push_back("CreateClientWindow");
    windowVersion = std::move(version);
  }
  int RunClientWindow() override {
    calls.push_back("RunClientWindow");
    return windowExitCode;
  }

  test::TempFolder folder;
  std::unique_ptr<Config> config;
};

const Calls kNormalRun = {"CreateUpdater",           "CheckForUpdate", "LoadConfig",
                          "SetBrowserLaunchOptions", "LoadLoader",     "ProbeRuntime",
                          "CreateClientWindow",      "DestroyUpdater", "RunClientWindow"};

TEST(Startup, NormalRunInOrderAndTheExitCodeOfTheLoop) {
  for (const int code : {1, 2, 3}) {  // a fatal message, a failed start, a crash loop
    FakePlatform ending;
    ending.windowExitCode = code;
    EXPECT_EQ(RunStartup(ending, L""), code);
  }
  FakePlatform platform;
  platform.windowExitCode = 0;
  EXPECT_EQ(RunStartup(platform, L"--steam"), 0);
  EXPECT_EQ(platform.calls, kNormalRun);
  EXPECT_EQ(platform.browserArguments, L"--steam");
  // Exactly the five characters of the version.
  EXPECT_EQ(platform.windowVersion, L"2.0.9");
  EXPECT_EQ(platform.windowVersion.size(), 5u);
}

// An update that installs ends the process inside InstallUpdate; one that
// returns (cancelled, failed) leaves the current version to start.
TEST(Startup, UpdatePromptAnsweredYesInstallsBeforeTheSettingsAndGoesOnIfItReturns) {
  FakePlatform platform;
  platform.updateOffered = true;
  platform.promptAnswer = kAnswerYes;
  RunStartup(platform, L"");
  Calls expected = kNormalRun;
  expected.insert(expected.begin() + 2,
                  {"ShowMessage(Vantor Update Available,4164)", "InstallUpdate"});
  EXPECT_EQ(platform.calls, expected);
  EXPECT_EQ(platform.messages[0], L"Update available!!!\n\nWould you like to update?");
}

TEST(Startup, UpdatePromptAnsweredNoCarriesOn) {
  FakePlatform platform;
  platform.updateOffered = true;
  platform.promptAnswer = 7;  // IDNO
  RunStartup(platform, L"");
  Calls expected = kNormalRun;
  expected.insert(expected.begin() + 2, "ShowMessage(Vantor Update Available,4164)");
  EXPECT_EQ(platform.calls, expected);
}

TEST(Startup, AnUpdateSetAsideOrUndoneIsToldBeforeTheCheck) {
  for (const bool setAside : {true, false}) {
    FakePlatform platform;
    (setAside ? platform.updateIncomplete : platform.updateUndone) = true;
    RunStartup(platform, L"");
    Calls expected = kNormalRun;
    expected.insert(expected.begin() + 1, "ShowMessage(Vantor Update,48)");
    EXPECT_EQ(platform.calls, expected);
    EXPECT_EQ(platform.messages[0],
              setAside ? L"The last update of Vantor did not complete.\n\nAccept the next update "
                         L"when Vantor offers it, or reinstall Vantor."
                       : L"The update of Vantor could not be put in place, so the previous "
                         L"version was put back.\n\nVantor offers the update again at its next "
                         L"start.");
  }
}

// Another start puts an update in place and brings the game up: this one
// touches nothing and ends. A missing loader is not the runtime's to install.
TEST(Startup, AStartThatStepsAsideOrLacksTheLoaderEndsEarly) {
  FakePlatform stepsAside;
  stepsAside.anotherStartUpdating = true;
  EXPECT_EQ(RunStartup(stepsAside, L""), 0);
  EXPECT_EQ(stepsAside.calls, (Calls{"CreateUpdater"}));
  FakePlatform noLoader;
  noLoader.loaderPresent = false;
  EXPECT_EQ(RunStartup(noLoader, L""), 4);
  EXPECT_EQ(noLoader.calls,
            (Calls{"CreateUpdater", "CheckForUpdate", "LoadConfig", "SetBrowserLaunchOptions",
                   "LoadLoader", "ShowMessage(Vantor,48)"}));
  EXPECT_EQ(noLoader.messages.back(),
            L"WebView2Loader.dll is missing or damaged. Reinstall Vantor.");
}

TEST(Startup, MissingRuntimeIsInstalledFromTheExecutableFolder) {
  FakePlatform platform;
  platform.runtimeProbes = {false, true};
  EXPECT_EQ(RunStartup(platform, L""), 0);
  Calls expected = kNormalRun;
  expected.insert(expected.begin() + 6, {"RunAndWait", "ProbeRuntime"});
  EXPECT_EQ(platform.calls, expected);
  EXPECT_EQ(platform.installerStarted, L"C:\\Games\\Vantor" + std::wstring(1, kPathSeparator) +
                                           L"MicrosoftEdgeWebview2Setup.exe");
}

TEST(Startup, RuntimeMissingForGoodWarnsAndExitsWithOne) {
  FakePlatform platform;
  platform.runtimeProbes = {false, false};
  EXPECT_EQ(RunStartup(platform, L""), 1);
  EXPECT_EQ(platform.calls,
            (Calls{"CreateUpdater", "CheckForUpdate", "LoadConfig", "SetBrowserLaunchOptions",
                   "LoadLoader", "ProbeRuntime", "RunAndWait", "ProbeRuntime",
                   "ShowMessage(Failed to install webview,48)"}));
  EXPECT_EQ(platform.messages.back(), L"Failed to install webview");
}

struct BlurCase {
  const char* name;
  const char* file;
  StartupPlatform::DpiCall shcore;
  Calls dpiCalls;
};
void PrintTo(const BlurCase& c, std::ostream* os) { *os << c.name; }

class BlurFix : public ::testing::TestWithParam<BlurCase> {};

TEST_P(BlurFix, MakesTheProcessDpiAwareOnlyWhenOn) {
  FakePlatform platform;
  platform.configText = GetParam().file;
  platform.dpiResult = GetParam().shcore;
  RunStartup(platform, L"");
  Calls expected = kNormalRun;
  expected.insert(expected.begin() + 6, GetParam().dpiCalls.begin(), GetParam().dpiCalls.end());
  EXPECT_EQ(platform.calls, expected);
}

using Dpi = StartupPlatform::DpiCall;
INSTANTIATE_TEST_SUITE_P(
    Cases, BlurFix,
    ::testing::Values(
        BlurCase{"absent", "{}", Dpi::Called, {}},
        BlurCase{"false", R"({"Blur Fix": false})", Dpi::Called, {}},
        BlurCase{"mistyped", R"({"Blur Fix": 1})", Dpi::Called, {}},
        BlurCase{"shcore", R"({"Blur Fix": true})", Dpi::Called, {"SetProcessDpiAwareness(2)"}},
        // The library loads but lacks the function: nothing more is tried.
        BlurCase{"shcore_without_function",
                 R"({"Blur Fix": true})",
                 Dpi::FunctionMissing,
                 {"SetProcessDpiAwareness(2)"}},
        BlurCase{"no_shcore",
                 R"({"Blur Fix": true})",
                 Dpi::LibraryMissing,
                 {"SetProcessDpiAwareness(2)", "SetProcessDPIAware"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Startup, AnUnreadableSettingsFileIsReportedAndStartUpGoesOn) {
  FakePlatform platform;
  platform.configText = "{broken";
  EXPECT_EQ(RunStartup(platform, L""), 0);
  Calls expected = kNormalRun;
  expected.insert(expected.begin() + 3, "ShowMessage(Vantor settings,48)");
  EXPECT_EQ(platform.calls, expected);
  EXPECT_NE(platform.messages[0].find(L"config.json.invalid"), std::wstring::npos);
}

}  // namespace
}  // namespace vantor
