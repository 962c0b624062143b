// A whole update over real HTTPS under Wine (or Windows): the update check
// with its own trust anchor, the download through urlmon, the digest, and the
// install, against a server in this process. Also the fallbacks the platform
// needs: a target in use, and an old copy that refuses the right to wait.
#include <httplib.h>
#include <wincrypt.h>
#include <windows.h>
// commctrl.h builds on windows.h.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "app/update_windows_win.h"
#include "common/files.h"
#include "support/https_server.h"
#include "support/temp_folder.h"
#include "support/zip_writer.h"
#include "update/archive_install.h"
#include "update/download_check.h"
#include "update/interrupted_install.h"
#include "update/leftovers.h"
#include "update/updater.h"
#include "update/updater_platform_win.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

// The real downloads and process calls; the restart is only recorded.
class DownloadingPlatform final : public UpdaterPlatform {
 public:
  void EndOtherProcessesNamed(const std::wstring&) override {}
  DownloadResult Download(const std::string& url, const fs::path& file,
                          DownloadProgress& progress) override {
    requested.push_back(url);
    return real.Download(url, file, progress);
  }
  void Restart(const fs::path&) override { ++restarts; }
  // As the finisher would, which then starts the program.
  bool HandOffToFinisher(const fs::path& folder) override {
    ++restarts;
    return RecoverInterruptedInstall(folder).outcome == InstallRecovery::Outcome::Finished;
  }
  WindowsUpdaterPlatform real;
  std::vector<std::string> requested;
  int restarts = 0;
};

class UpdateOverHttps : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new test::TempFolder();
    server_ = new test::LocalHttpsServer();
    const std::string& der = server_->CertificateDer();
    // urlmon trusts the machine's root store. Wine rebuilds its system view
    // from the registry once per process, so the certificate goes into the
    // registry store itself, after that first opening.
    HCERTSTORE root =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    CertCloseStore(root, 0);
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\SystemCertificates\\Root", 0,
                    nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_REG, 0, 0, 0, key);
    CertAddEncodedCertificateToStore(
        store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
        static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &trusted_);
    CertCloseStore(store, 0);
    RegCloseKey(key);

    test::ZipWriter zip;
    zip.Add("Vantor.exe", "new exe");
    zip.Add("WebView2Loader.dll", "new dll");
    zip.WriteTo(*folder_ / "build.zip");
    archive_ = test::ReadBytes(*folder_ / "build.zip");
    digest_ = FileSha256(*folder_ / "build.zip");

    httplib::SSLServer& routes = server_->Routes();
    routes.Get("/v2/index.php", [](const httplib::Request&, httplib::Response& response) {
      Sleep(checkDelay_);
      response.set_content(offer_, "text/plain");
    });
    routes.Get("/slow.zip", [](const httplib::Request&, httplib::Response& response) {
      // 2 MB in 64 KB pieces, one every 100 ms.
      response.set_content_provider(2 << 20, "application/zip",
                                    [](size_t offset, size_t, httplib::DataSink& sink) {
                                      if (offset > 0) Sleep(100);
                                      const std::string piece(64 << 10, 'z');
                                      return sink.write(piece.data(), piece.size());
                                    });
    });
    routes.Get("/build.zip", [](const httplib::Request&, httplib::Response& response) {
      response.set_content(archive_, "application/zip");
    });
    routes.Get("/short.zip", [](const httplib::Request&, httplib::Response& response) {
      // Announces the whole archive, sends half, then drops the connection.
      response.set_content_provider(archive_.size(), "application/zip",
                                    [](size_t offset, size_t, httplib::DataSink& sink) {
                                      if (offset > 0) return false;
                                      sink.write(archive_.data(), archive_.size() / 2);
                                      return true;
                                    });
    });
    server_->Start();
    port_ = server_->Port();
  }
  static void TearDownTestSuite() {
    delete server_;
    if (trusted_ != nullptr) CertDeleteCertificateFromStore(trusted_);  // frees it too
    delete folder_;
  }

  void SetUp() override {
    test::WriteBytes(program_ / "Vantor.exe", "old exe");
    test::WriteBytes(program_ / "WebView2Loader.dll", "old dll");
  }

  static std::string Base() { return "https://localhost:" + std::to_string(port_); }

  // Runs the updater as start-up does: check, then install; returns what the
  // program's two files hold afterwards.
  std::string Update(const std::string& offer) {
    offer_ = offer;
    Updater updater(platform_, program_.path(), {Base(), server_->CertificateFile()});
    if (updater.CheckForUpdate()) updater.InstallUpdate();
    return test::ReadBytes(program_ / "Vantor.exe") + " + " +
           test::ReadBytes(program_ / "WebView2Loader.dll");
  }

  static inline test::TempFolder* folder_ = nullptr;
  static inline test::LocalHttpsServer* server_ = nullptr;
  static inline PCCERT_CONTEXT trusted_ = nullptr;
  static inline int port_ = 0;
  static inline std::string offer_;
  static inline DWORD checkDelay_ = 0;
  static inline std::string archive_;
  static inline std::string digest_;

  test::TempFolder program_;
  DownloadingPlatform platform_;
  DownloadProgress progress;
};

TEST_F(UpdateOverHttps, AWholeArchiveWithItsDigestIsInstalled) {
  EXPECT_EQ(Update(Base() + "/build.zip#sha256=" + digest_), "new exe + new dll");
  // The fragment never reaches the server.
  EXPECT_EQ(platform_.requested, std::vector<std::string>{Base() + "/build.zip"});
  EXPECT_EQ(platform_.restarts, 1);
}

TEST_F(UpdateOverHttps, ADigestThatDoesNotMatchInstallsNothing) {
  EXPECT_EQ(Update(Base() + "/build.zip#sha256=" + std::string(64, '0')), "old exe + old dll");
  EXPECT_EQ(platform_.restarts, 0);  // the program goes on as it is
  EXPECT_FALSE(fs::exists(program_ / "update.zip"));
}

TEST_F(UpdateOverHttps, AnErrorPageIsNoDownload) {
  const DownloadResult result =
      platform_.real.Download(Base() + "/missing.zip", program_ / "update.zip", progress);
  EXPECT_EQ(result.status, 404);
  EXPECT_TRUE(result.completed);  // urlmon itself calls an error page a success
  EXPECT_NE(DownloadProblem(result, 0), "");
  EXPECT_EQ(Update(Base() + "/missing.zip"), "old exe + old dll");
}

TEST_F(UpdateOverHttps, ATransferCutShortIsNoDownload) {
  const DownloadResult result =
      platform_.real.Download(Base() + "/short.zip", program_ / "update.zip", progress);
  std::error_code error;
  const auto received = fs::file_size(program_ / "update.zip", error);
  // urlmon calls the cut transfer a success; the announced length does not.
  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.status, 200);
  EXPECT_EQ(DownloadProblem(result, error ? 0 : received),
            std::to_string(received) + " of " + std::to_string(archive_.size()) + " bytes arrived");
  EXPECT_EQ(Update(Base() + "/short.zip"), "old exe + old dll");
}

// A window of this process with this title, and the texts of its controls.
struct SeenWindow {
  HWND window = nullptr;
  long long shownAfter = -1;  // milliseconds
  std::vector<std::wstring> texts;
};
SeenWindow WaitForWindow(const wchar_t* title, std::chrono::steady_clock::time_point since,
                         int milliseconds) {
  SeenWindow seen;
  for (int waited = 0; waited < milliseconds && seen.window == nullptr; waited += 10) {
    HWND window = FindWindowW(L"#32770", title);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (window != nullptr && owner == GetCurrentProcessId() && IsWindowVisible(window)) {
      seen.window = window;
    } else {
      Sleep(10);
    }
  }
  if (seen.window == nullptr) return seen;
  seen.shownAfter = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - since)
                        .count();
  EnumChildWindows(
      seen.window,
      [](HWND child, LPARAM texts) {
        wchar_t text[256] = {};
        GetWindowTextW(child, text, 256);
        wchar_t kind[64] = {};
        GetClassNameW(child, kind, 64);
        reinterpret_cast<std::vector<std::wstring>*>(texts)->push_back(
            std::wstring(kind) == L"msctls_progress32" ? L"<progress bar>" : text);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&seen.texts));
  return seen;
}

bool Holds(const std::vector<std::wstring>& texts, const std::wstring& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

long long Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

// A quick answer shows nothing; a slow one shows the window, which closes
// when the answer comes, or whose button, Esc or close box starts the game
// at once, the answer ignored.
TEST_F(UpdateOverHttps, ASlowCheckShowsAWindowThePlayerMayLeave) {
  const struct {
    DWORD delay;
    bool press;
    UINT message;
    WPARAM wParam;
  } table[] = {{0, false, 0, 0},
               {1500, false, 0, 0},
               {4000, true, TDM_CLICK_BUTTON, IDCANCEL},
               {4000, true, WM_KEYDOWN, VK_ESCAPE},
               {4000, true, WM_CLOSE, 0}};
  for (const auto& row : table) {
    SCOPED_TRACE(std::to_string(row.delay) + " ms, message " + std::to_string(row.message));
    checkDelay_ = row.delay;
    offer_ = Base() + "/build.zip";
    const auto start = std::chrono::steady_clock::now();
    SeenWindow seen;
    long long pressedAt = -1;
    std::thread player([&] {
      seen = WaitForWindow(L"Vantor", start, 3000);
      if (seen.window == nullptr || !row.press) return;
      Sleep(300);
      pressedAt = Since(start);
      PostMessageW(seen.window, row.message, row.wParam, 0);
    });
    const auto outcome = CheckWithWindow({Base(), server_->CertificateFile()}, "2.0.9");
    const long long returnedAt = Since(start);
    player.join();
    if (row.delay == 0) {
      EXPECT_EQ(seen.window, nullptr);
      EXPECT_TRUE(outcome && outcome->offer);
      continue;
    }
    EXPECT_GE(seen.shownAfter, 250);
    EXPECT_LE(seen.shownAfter, 1000);
    EXPECT_TRUE(Holds(seen.texts, L"Checking for updates\u2026"));
    EXPECT_TRUE(Holds(seen.texts, L"&Start without updating"));
    if (row.press) {
      EXPECT_FALSE(outcome);
      EXPECT_LT(returnedAt - pressedAt, 500);
    } else {
      EXPECT_TRUE(outcome && outcome->offer);
      EXPECT_LT(returnedAt, 2500);
      EXPECT_FALSE(IsWindow(seen.window));
    }
  }
  checkDelay_ = 0;
}

// Cancel while the bytes come: the download stops, and nothing is left of it.
TEST_F(UpdateOverHttps, CancelMidDownloadLeavesTheFolderAsItWas) {
  Updater updater(platform_, program_.path(), {Base(), server_->CertificateFile()});
  updater.downloadUrl = Base() + "/slow.zip";
  const auto start = std::chrono::steady_clock::now();
  SeenWindow seen;
  long long shownAfter = -1, cancelledAt = -1;
  std::thread player([&] {
    shownAfter = WaitForWindow(L"Vantor Update", start, 3000).shownAfter;
    if (shownAfter < 0) return;
    Sleep(800);                                          // some bytes in
    seen = WaitForWindow(L"Vantor Update", start, 100);  // its texts now
    cancelledAt = Since(start);
    SendMessageW(seen.window, TDM_CLICK_BUTTON, IDCANCEL, 0);
  });
  const UpdateEnd end = InstallWithWindow(
      [&](DownloadProgress& progress) { return updater.InstallUpdate(progress); });
  const long long returnedAt = Since(start);
  player.join();
  EXPECT_EQ(end.kind, UpdateEnd::Kind::Cancelled);
  EXPECT_LE(shownAfter, 500);
  EXPECT_LT(returnedAt - cancelledAt, 2000);
  EXPECT_TRUE(Holds(seen.texts, L"Downloading the update"));
  EXPECT_TRUE(Holds(seen.texts, L"Cancel"));
  EXPECT_TRUE(Holds(seen.texts, L"<progress bar>"));
  EXPECT_TRUE(std::any_of(seen.texts.begin(), seen.texts.end(), [](const std::wstring& text) {
    return text.size() > 10 && text.substr(text.size() - 10) == L" of 2.0 MB";
  }));
  EXPECT_EQ(test::ReadBytes(program_ / "Vantor.exe") + " + " +
                test::ReadBytes(program_ / "WebView2Loader.dll"),
            "old exe + old dll");
  EXPECT_FALSE(fs::exists(program_ / "update.zip"));
  EXPECT_FALSE(fs::exists(program_ / "update.staging"));
  EXPECT_EQ(platform_.restarts, 0);
}

// --- the platform's fallbacks ------------------------------------------------------

TEST(UpdateInstall, ATargetInUseRollsTheWholeInstallBack) {
  test::TempFolder program;
  test::WriteBytes(program / "Vantor.exe", "old exe");
  test::WriteBytes(program / "WebView2Loader.dll", "old dll");
  // Held open without FILE_SHARE_DELETE, as a scanner might: it cannot be renamed.
  HANDLE held = CreateFileW((program / "WebView2Loader.dll").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  test::ZipWriter zip;
  zip.Add("Vantor.exe", "new exe");
  zip.Add("WebView2Loader.dll", "new dll");
  zip.WriteTo(program / "update.zip");
  const InstallReport report = InstallArchive(program / "update.zip", program.path());
  CloseHandle(held);
  EXPECT_TRUE(report.rolledBack);
  EXPECT_EQ(report.failed, std::vector<std::string>{"WebView2Loader.dll"});
  EXPECT_EQ(test::ReadBytes(program / "Vantor.exe"), "old exe");
  EXPECT_EQ(test::ReadBytes(program / "WebView2Loader.dll"), "old dll");
  EXPECT_FALSE(fs::exists(program / "update.staging"));
}

// As some unzip tools and sync clients leave a release: read-only.
// Whatever other attributes a read-only file has, the update replaces it
// and the clean-up removes its kept copy: no file of the old release stays.
TEST(UpdateInstall, ReadOnlyFilesAreReplacedAndTheirKeptCopiesRemoved) {
  for (const DWORD others : {DWORD{0}, DWORD{FILE_ATTRIBUTE_HIDDEN},
                             DWORD{FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE}}) {
    SCOPED_TRACE(others);
    test::TempFolder program;
    test::WriteBytes(program / "data.bin", "old data");
    test::WriteBytes(program / "data.bin.old", "left by an earlier update");
    test::WriteBytes(program / "update.kept", "data.bin.old\n");
    for (const char* name : {"data.bin", "data.bin.old"}) {
      SetFileAttributesW((program / name).c_str(), FILE_ATTRIBUTE_READONLY | others);
    }
    EXPECT_TRUE(RemoveUpdateLeftovers(program.path()).empty());
    EXPECT_FALSE(fs::exists(program / "data.bin.old"));
    test::ZipWriter zip;
    zip.Add("data.bin", "new data");
    zip.WriteTo(program / "update.zip");
    EXPECT_EQ(InstallArchive(program / "update.zip", program.path()).installed,
              std::vector<std::string>{"data.bin"});
    EXPECT_EQ(test::ReadBytes(program / "data.bin"), "new data");
    EXPECT_TRUE(RemoveUpdateLeftovers(program.path()).empty());
    EXPECT_FALSE(fs::exists(program / "data.bin.old"));
    EXPECT_FALSE(fs::exists(program / "update.kept"));
  }
}

fs::path Helper() { return fs::path(GetExecutableFolder()) / L"helpers" / L"update_helper.exe"; }

std::vector<DWORD> g_accessAsked;

// Wine does not enforce a process's security descriptor, so the refusal of
// SYNCHRONIZE is made here, at the platform's own seam.
HANDLE WINAPI OpenWithoutWaitRight(DWORD access, BOOL inherit, DWORD id) {
  g_accessAsked.push_back(access);
  if (access & SYNCHRONIZE) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return OpenProcess(access, inherit, id);
}

TEST(UpdaterProcesses, ACopyThatRefusesTheRightToWaitIsStillEnded) {
  test::TempFolder folder;
  fs::copy_file(Helper(), folder / "Vantor.exe");
  std::wstring commandLine = L"\"" + (folder / "Vantor.exe").wstring() + L"\" sleep";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION running{};
  ASSERT_TRUE(CreateProcessW((folder / "Vantor.exe").c_str(), commandLine.data(), nullptr, nullptr,
                             FALSE, 0, nullptr, folder.path().c_str(), &startup, &running));
  Sleep(300);  // let it appear in the process list
  g_accessAsked.clear();
  WindowsUpdaterPlatform platform(&OpenWithoutWaitRight);
  platform.EndOtherProcessesNamed(L"Vantor.exe");
  EXPECT_EQ(WaitForSingleObject(running.hProcess, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD code = 0;
  GetExitCodeProcess(running.hProcess, &code);
  EXPECT_EQ(code, 9u);
  EXPECT_EQ(g_accessAsked,
            (std::vector<DWORD>{PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE,
                                PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION}));
  CloseHandle(running.hThread);
  CloseHandle(running.hProcess);
}

}  // namespace
}  // namespace vantor
