#include "update/updater.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/text.h"
#include "support/temp_folder.h"
#include "support/zip_writer.h"
#include "update/download_check.h"
#include "update/finish_request.h"
#include "update/install_layout.h"
#include "update/interrupted_install.h"
#include "update/process_selection.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

std::string Sha256Of(const std::string& bytes) {
  test::TempFolder scratch;
  test::WriteBytes(scratch / "f", bytes);
  return FileSha256(scratch / "f");
}

class FakeUpdaterPlatform final : public UpdaterPlatform {
 public:
  void EndOtherProcessesNamed(const std::wstring& exeName) override {
    calls.push_back(exeName == kProgramFileName       ? "end Vantor.exe"
                    : exeName == kKeptProgramFileName ? "end Vantor.exe.old"
                                                      : "end ?");
  }
  DownloadResult Download(const std::string& url, const fs::path& file,
                          DownloadProgress& progress) override {
    calls.push_back("download " + url);
    if (archive.empty()) return {false, 0x800C0005, 0, std::nullopt};  // not found
    fs::copy_file(archive, file, fs::copy_options::overwrite_existing);
    if (playerCancels) {
      progress.cancelled = true;
      return {false, 0x80004004, 200, std::nullopt};  // E_ABORT, a part arrived
    }
    DownloadResult result = answer;
    if (!result.announcedLength) result.announcedLength = fs::file_size(archive);
    return result;
  }
  void Restart(const fs::path& program) override {
    calls.push_back("restart");
    restarted = program;
  }
  // Plays the finisher: a process that does not run from the program file.
  bool HandOffToFinisher(const fs::path& folder) override {
    calls.push_back("hand off");
    if (!canHandOff) return false;
    RecoverInterruptedInstall(folder);
    Restart(folder / kProgramFileName);
    return true;
  }
  bool canHandOff = true;
  std::vector<std::string> calls;
  fs::path archive;  // what a download brings; empty: the download fails
  // What the download reports when the file arrived; the length announced
  // is the file's own unless set.
  DownloadResult answer{true, 0, 200, std::nullopt};
  bool playerCancels = false;
  fs::path restarted;
};

class UpdaterTest : public ::testing::Test {
 protected:
  // What the next download brings: an archive holding one new Vantor.exe,
  // and data that makes it larger than any read buffer when asked.
  void ServeArchiveWithNewProgram(size_t dataBytes = 0) {
    test::ZipWriter zip;
    zip.Add("Vantor.exe", "new exe");
    if (dataBytes > 0) zip.Add("data.pak", std::string(dataBytes, 'd'));
    zip.WriteTo(served / "built.zip");
    platform.archive = served / "built.zip";
  }
  // An updater over the old build that installs the offered archive.
  UpdateEnd InstallOfferedUpdate(const std::string& sha256 = "") {
    test::WriteBytes(folder / "Vantor.exe", "old exe");
    Updater updater(platform, folder.path());
    updater.downloadUrl = "https://downloads.vantor.io/v.zip";
    updater.expectedSha256 = sha256;
    return updater.InstallUpdate();
  }

  test::TempFolder folder;
  test::TempFolder served;
  FakeUpdaterPlatform platform;
};

TEST_F(UpdaterTest, ConstructionEndsTheOldBuildThenOtherCopiesThenClearsLeftovers) {
  test::WriteBytes(folder / "Vantor.exe.old", "x");
  test::WriteBytes(folder / "Vantor.exe", "x");
  test::WriteBytes(folder / "update.zip", "x");
  test::WriteBytes(folder / "photos.zip", "mine");
  Updater updater(platform, folder.path());
  EXPECT_EQ(platform.calls, (std::vector<std::string>{"end Vantor.exe.old", "end Vantor.exe"}));
  EXPECT_EQ(updater.version, "2.0.9");
  EXPECT_EQ(updater.updateZipPath, folder / "update.zip");
  EXPECT_FALSE(fs::exists(folder / "Vantor.exe.old"));
  EXPECT_FALSE(fs::exists(folder / "update.zip"));
  EXPECT_TRUE(fs::exists(folder / "photos.zip"));
}

// Killed after its journal was written: the start hands the program file to
// the finisher once; a second time, or without a finisher, it undoes.
TEST_F(UpdaterTest, ConstructionHandsAnInterruptedUpdateToTheFinisherOnce) {
  const struct {
    const char* name;
    int recoveries;
    bool canHandOff;
    const char* programAfter;
    const char* lastCall;
  } table[] = {
      {"first start", 0, true, "new exe", "restart"},
      {"no finisher", 0, false, "old exe", "hand off"},
      {"taken up before", 1, true, "old exe", "end Vantor.exe"},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.name);
    platform.calls.clear();
    platform.canHandOff = row.canHandOff;
    test::WriteBytes(folder / "Vantor.exe", "old exe");
    fs::create_directories(folder / "update.staging");
    test::WriteBytes(folder / "update.staging" / "0", "new exe");
    SwapItem item = MakeSwapItem(folder.path(), "Vantor.exe", folder / "Vantor.exe", 0, true);
    item.oldContent = *ContentOf(item.target);
    item.newContent = *ContentOf(item.staged);
    test::WriteBytes(folder / "update.journal", FormatJournal({{item}, false, row.recoveries}));
    Updater updater(platform, folder.path());
    EXPECT_EQ(test::ReadBytes(folder / "Vantor.exe"), row.programAfter);
    EXPECT_EQ(platform.calls.back(), row.lastCall);
    EXPECT_FALSE(updater.lastUpdateIncomplete);
    if (std::string(row.lastCall) == "restart") continue;  // the finisher's start tidies up
    for (const char* gone : {"Vantor.exe.old", "update.staging", "update.journal"}) {
      EXPECT_FALSE(fs::exists(folder / gone)) << gone;
    }
  }
}

// Journals no start can act on: each is set aside at the first start, which
// goes on without a restart and tells the player; the next start is plain.
TEST_F(UpdaterTest, AJournalThatCanBeNeitherFinishedNorUndoneIsSetAside) {
  test::TempFolder outside;
  const auto item = [&](const char* name, const std::string& oldBytes, const std::string& newBytes,
                        bool staged) {
    const size_t n = std::string(name) == "Vantor.exe" ? 0 : 1;
    SwapItem made = MakeSwapItem(folder.path(), name, folder / name, n, true);
    made.oldContent = {oldBytes.size(), Sha256Of(oldBytes)};
    made.newContent = {newBytes.size(), Sha256Of(newBytes)};
    if (staged) test::WriteBytes(made.staged, newBytes);
    return made;
  };
  const struct {
    const char* name;
    std::function<std::string()> setUp;  // lays the folder out, returns the journal
  } table[] = {
      {"kept copy and staged file both gone",
       [&] {
         test::WriteBytes(folder / "assets" / "a.pak", "new a");  // its old one is lost
         return FormatJournal({{item("Vantor.exe", "old exe", "new exe", false),
                                item("assets/a.pak", "old a", "new a", false)}});
       }},
      {"a folder removed",
       [&] {
         fs::remove_all(folder / "assets");
         return FormatJournal({{item("Vantor.exe", "old exe", "new exe", true),
                                item("assets/a.pak", "old a", "new a", true)}});
       }},
      {"a truncated journal",
       [&] {
         const std::string whole =
             FormatJournal({{item("Vantor.exe", "old exe", "new exe", true)}});
         return whole.substr(0, whole.size() / 2);
       }},
      {"config.json", [&] { return FormatJournal({{item("config.json", "{}", "", true)}}); }},
#ifndef _WIN32  // Wine makes no links
      {"a linked path",
       [&] {
         fs::create_directory_symlink(outside.path(), folder / "linked");
         return FormatJournal({{item("linked/a.pak", "old a", "new a", true)}});
       }},
#endif
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.name);
    fs::remove_all(folder / "update.journal.failed");
    fs::create_directories(folder / "assets");
    fs::create_directories(folder / "update.staging");
    test::WriteBytes(folder / "Vantor.exe", "old exe");
    test::WriteBytes(folder / "config.json", "{}");
    test::WriteBytes(folder / "update.journal", row.setUp());
    platform.calls.clear();
    EXPECT_TRUE(Updater(platform, folder.path()).lastUpdateIncomplete);
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"end Vantor.exe.old", "end Vantor.exe"}));
    EXPECT_TRUE(fs::exists(folder / "update.journal.failed"));
    EXPECT_FALSE(fs::exists(folder / "update.journal"));
    EXPECT_FALSE(Updater(platform, folder.path()).lastUpdateIncomplete);
    EXPECT_EQ(test::ReadBytes(folder / "Vantor.exe"), "old exe");
    EXPECT_EQ(test::ReadBytes(folder / "config.json"), "{}");
    EXPECT_TRUE(fs::is_empty(outside.path()));
    fs::remove(folder / "linked");
  }
}

TEST_F(UpdaterTest, InstallDownloadsInstallsAndRestartsTheProgram) {
  ServeArchiveWithNewProgram();
  InstallOfferedUpdate();
  // The program file is the finisher's, which then starts the program.
  EXPECT_EQ(std::vector<std::string>(platform.calls.end() - 3, platform.calls.end()),
            (std::vector<std::string>{"download https://downloads.vantor.io/v.zip", "hand off",
                                      "restart"}));
  EXPECT_EQ(platform.restarted, folder / "Vantor.exe");
  EXPECT_EQ(test::ReadBytes(folder / "Vantor.exe"), "new exe");
  EXPECT_FALSE(fs::exists(folder / "update.journal"));
}

TEST_F(UpdaterTest, AFailedDownloadReplacesNothingAndTheProgramGoesOn) {
  const UpdateEnd end = InstallOfferedUpdate();
  EXPECT_EQ(end.kind, UpdateEnd::Kind::NotInstalled);
  EXPECT_EQ(end.why, "the download did not complete");
  EXPECT_EQ(platform.calls.back(), "download https://downloads.vantor.io/v.zip");
  EXPECT_EQ(test::ReadBytes(folder / "Vantor.exe"), "old exe");
  EXPECT_FALSE(fs::exists(folder / "Vantor.exe.old"));
}

// What the download reported, and the digest the offer named: only a whole
// 200 with the named digest installs.
TEST_F(UpdaterTest, OnlyAWholeDownloadWithTheNamedDigestIsInstalled) {
  ServeArchiveWithNewProgram(3 << 19);  // 1.5 MB
  const std::string digest = FileSha256(platform.archive);
  const std::string other(64, 'a');
  using Kind = UpdateEnd::Kind;
  const struct {
    const char* name;
    DownloadResult answer;
    std::string sha256;
    bool playerCancels;
    Kind end;
  } table[] = {
      {"whole", {true, 0, 200, std::nullopt}, "", false, Kind::HandedOff},
      {"whole with its digest", {true, 0, 200, std::nullopt}, digest, false, Kind::HandedOff},
      {"another digest", {true, 0, 200, std::nullopt}, other, false, Kind::NotInstalled},
      {"an error page", {true, 0, 404, std::nullopt}, "", false, Kind::NotInstalled},
      {"cut short", {true, 0, 200, 4u << 20}, "", false, Kind::NotInstalled},
      {"no status seen", {true, 0, 0, std::nullopt}, "", false, Kind::NotInstalled},
      {"a part left by the failed call", {false, 0x80004005, 200, std::nullopt}, "", false,
       Kind::NotInstalled},
      {"cancelled by the player", {true, 0, 200, std::nullopt}, "", true, Kind::Cancelled},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.name);
    fs::remove(folder / "Vantor.exe.old");
    platform.answer = row.answer;
    platform.playerCancels = row.playerCancels;
    EXPECT_EQ(InstallOfferedUpdate(row.sha256).kind, row.end);
    EXPECT_EQ(test::ReadBytes(folder / "Vantor.exe"),
              row.end == Kind::HandedOff ? "new exe" : "old exe");
    // Only the finisher starts the program again; otherwise this one goes on.
    EXPECT_EQ(platform.calls.back(), row.end == Kind::HandedOff
                                         ? "restart"
                                         : "download https://downloads.vantor.io/v.zip");
    EXPECT_FALSE(fs::exists(folder / "update.staging"));
    EXPECT_EQ(fs::exists(folder / "update.zip"), row.end == Kind::HandedOff);  // the next start's
  }
}

TEST_F(UpdaterTest, AnEmptyUrlIsNotDownloaded) {
  Updater updater(platform, folder.path());
  EXPECT_EQ(updater.InstallUpdate().kind, UpdateEnd::Kind::NotInstalled);
  for (const auto& call : platform.calls) EXPECT_EQ(call.rfind("download", 0), std::string::npos);
}

TEST(FinishRequest, CarriesTheParentAndThePlayersArguments) {
  EXPECT_EQ(ArgumentsAfterProgram(L"\"C:\\Vantor Games\\Vantor.exe\"  --steam \"a b\""),
            L"--steam \"a b\"");
  EXPECT_EQ(ArgumentsAfterProgram(L"Vantor.exe --steam"), L"--steam");
  EXPECT_EQ(ArgumentsAfterProgram(L"Vantor.exe"), L"");
  const std::wstring arguments = FinisherArguments({4242, L"--steam \"a b\""});
  EXPECT_EQ(arguments, L"--finish-update 4242 --steam \"a b\"");
  const auto read = ReadFinishRequest(arguments);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->parentId, 4242u);
  EXPECT_EQ(read->programArguments, L"--steam \"a b\"");
  EXPECT_EQ(ReadFinishRequest(L"--finish-update 7")->programArguments, L"");
  for (const wchar_t* other :
       {L"", L"--steam", L"--finish-update", L"--finish-update x", L"--finish-updates 7",
        L"--finish-update 7x", L"--finish-update 99999999999", L"x --finish-update 7"}) {
    EXPECT_FALSE(ReadFinishRequest(other)) << WideToUtf8(other);
  }
}

TEST(ProcessesToEnd, ExactNameAndNeverItself) {
  const std::vector<RunningProcess> running = {
      {4, L"Vantor.exe"},    {8, L"vantor.exe"},   {12, L"Vantor.exe.old"}, {16, L"Vantor.exe"},
      {20, L"MyVantor.exe"}, {24, L"Vantor.exe "}, {28, L"Vantor.ex"},
  };
  EXPECT_EQ(ProcessesToEnd(running, L"Vantor.exe", 16), std::vector<std::uint32_t>{4});
  EXPECT_EQ(ProcessesToEnd(running, L"Vantor.exe", 99), (std::vector<std::uint32_t>{4, 16}));
  EXPECT_EQ(ProcessesToEnd(running, L"Vantor.exe.old", 4), std::vector<std::uint32_t>{12});
  // An id Windows gave to another program since the snapshot is left alone.
  for (const wchar_t* ours : {L"C:\\Games\\Vantor.exe", L"D:\\V\\VANTOR.EXE.OLD", L"Vantor.exe"}) {
    EXPECT_TRUE(IsVantorImage(ours)) << WideToUtf8(ours);
  }
  for (const wchar_t* other :
       {L"C:\\Windows\\notepad.exe", L"C:\\Vantor.exe\\game.exe", L"C:\\MyVantor.exe", L""}) {
    EXPECT_FALSE(IsVantorImage(other)) << WideToUtf8(other);
  }
}

}  // namespace
}  // namespace vantor
