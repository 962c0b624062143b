// The update check against a real HTTPS server on loopback, with a
// certificate made for the test.

#include <gtest/gtest.h>

#include "support/https_server.h"
#include "support/temp_folder.h"
#include "support/zip_writer.h"
#include "update/download_check.h"
#include "update/interrupted_install.h"
#include "update/updater.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

// Ends nothing; a download brings `archive` whole (or fails without one).
class NoProcesses final : public UpdaterPlatform {
 public:
  void EndOtherProcessesNamed(const std::wstring&) override {}
  DownloadResult Download(const std::string&, const fs::path& file, DownloadProgress&) override {
    if (archive.empty()) return {};
    fs::copy_file(archive, file, fs::copy_options::overwrite_existing);
    return {true, 0, 200, fs::file_size(archive)};
  }
  void Restart(const fs::path&) override {}
  bool HandOffToFinisher(const fs::path& folder) override {
    return RecoverInterruptedInstall(folder).outcome == InstallRecovery::Outcome::Finished;
  }
  fs::path archive;
};

class UpdateCheck : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new test::LocalHttpsServer();
    server_->Routes().Get("/v2/index.php",
                          [](const httplib::Request& request, httplib::Response& response) {
                            seenTarget_ = request.target;
                            seenUserAgent_ = request.get_header_value("User-Agent");
                            response.status = status_;
                            response.set_content(body_, "text/plain");
                          });
    server_->Start();
    port_ = server_->Port();
  }
  static void TearDownTestSuite() { delete server_; }

  bool Check(int status, const std::string& body, std::string* url = nullptr) {
    status_ = status;
    body_ = body;
    Updater updater(platform_, programFolder_.path(), TrustedServer());
    const bool offered = updater.CheckForUpdate();
    if (url) *url = updater.downloadUrl;
    return offered;
  }
  static UpdateServer TrustedServer() {
    return {"https://127.0.0.1:" + std::to_string(port_), server_->CertificateFile()};
  }

  static inline test::LocalHttpsServer* server_ = nullptr;
  static inline int port_ = 0;
  static inline int status_ = 200;
  static inline std::string body_;
  static inline std::string seenTarget_;
  static inline std::string seenUserAgent_;

  NoProcesses platform_;
  test::TempFolder programFolder_;
};

TEST_F(UpdateCheck, AnswersOfTheServer) {
  const std::string url = "https://downloads.vantor.io/Vantor-2.1.0-win-x64.zip";
  struct {
    int status;
    std::string body;
    bool offered;
  } const table[] = {
      {200, "0", false},
      {200, "0\n", false},
      {200, "", false},
      {200, url, true},
      {200, url + "\r\n", true},
      {200, "http://downloads.vantor.io/x.zip", false},
      {404, "<html><body>Not Found</body></html>", false},
      {500, "<html><body>Internal Server Error</body></html>", false},
  };
  for (const auto& row : table) {
    std::string offeredUrl;
    EXPECT_EQ(Check(row.status, row.body, &offeredUrl), row.offered) << row.status << row.body;
    EXPECT_EQ(offeredUrl, row.offered ? url : "");
  }
}

// The digest an offer names is the one the installation holds the archive to.
TEST_F(UpdateCheck, TheOfferedDigestIsTheOneTheInstallationChecks) {
  test::ZipWriter zip;
  zip.Add("Vantor.exe", "new exe");
  zip.WriteTo(programFolder_ / "served.zip");
  platform_.archive = programFolder_ / "served.zip";
  const std::string digest = FileSha256(platform_.archive);
  for (const std::string& named : {digest, std::string(64, '0')}) {
    test::WriteBytes(programFolder_ / "Vantor.exe", "old exe");
    status_ = 200;
    body_ = "https://downloads.vantor.io/x.zip#sha256=" + named;
    Updater updater(platform_, programFolder_.path(), TrustedServer());
    ASSERT_TRUE(updater.CheckForUpdate());
    EXPECT_EQ(updater.expectedSha256, named);
    updater.InstallUpdate();
    EXPECT_EQ(test::ReadBytes(programFolder_ / "Vantor.exe"),
              named == digest ? "new exe" : "old exe");
  }
}

TEST_F(UpdateCheck, SendsThePathWithTheVersionAndTheLibrarysUserAgent) {
  Check(200, "0");
  EXPECT_EQ(seenTarget_, "/v2/index.php?v=2.0.9");
  EXPECT_EQ(seenUserAgent_, "cpp-httplib/0.9");
}

TEST_F(UpdateCheck, AnUntrustedCertificateOffersNothing) {
  status_ = 200;
  body_ = "https://downloads.vantor.io/x.zip";
  seenTarget_.clear();
  // The system's roots do not know the test's certificate.
  Updater updater(platform_, programFolder_.path(),
                  {"https://127.0.0.1:" + std::to_string(port_), ""});
  EXPECT_FALSE(updater.CheckForUpdate());
  EXPECT_TRUE(seenTarget_.empty());
}

TEST_F(UpdateCheck, ARefusedConnectionOffersNothing) {
  // Port 1 (tcpmux) is served by nothing on a machine like this one.
  Updater updater(platform_, programFolder_.path(), {"https://127.0.0.1:1", ""});
  EXPECT_FALSE(updater.CheckForUpdate());
  EXPECT_TRUE(updater.downloadUrl.empty());
}

TEST_F(UpdateCheck, ABaseUrlThatIsNoUrlOffersNothing) {
  Updater updater(platform_, programFolder_.path(), {"not a url", ""});
  EXPECT_FALSE(updater.CheckForUpdate());
}

}  // namespace
}  // namespace vantor
