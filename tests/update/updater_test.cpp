#include "update/updater.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <thread>

#include "common/files.h"
#include "common/text.h"
#include "support/temp_folder.h"
#include "support/zip_writer.h"
#include "update/archive_install.h"
#include "update/download_check.h"
#include "update/finish_request.h"
#include "update/install_layout.h"
#include "update/install_lock_name.h"
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
    if (press == 'b') {  // before the last byte
      progress.Cancel();
      return {false, 0x80004004, 200, std::nullopt};  // E_ABORT, a part arrived
    }
    if (press == 'a') {  // after the last byte, from the window's thread
      std::thread player([&progress] { progress.Cancel(); });
      while (!progress.Cancelled()) std::this_thread::yield();
      player.join();
    }
    if (press == 'i') progress.onInstalling = [&] { pressRefused = !progress.Cancel(); };
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
  bool TryLockInstallation(const fs::path&) override { return Next(lockFree); }
  bool FinisherRunning(const fs::path&) override { return Next(finisherRuns); }
  static bool Next(std::vector<bool>& answers) {
    const bool answer = answers.front();
    if (answers.size() > 1) answers.erase(answers.begin());
    return answer;
  }
  std::vector<bool> lockFree{true}, finisherRuns{false};  // the last answer repeats
  bool canHandOff = true;
  std::vector<std::string> calls;
  fs::path archive;  // what a download brings; empty: the download fails
  // What the download reports when the file arrived; the length announced
  // is the file's own unless set.
  DownloadResult answer{true, 0, 200, std::nullopt};
  char press = '-';  // when the player presses Cancel: never, b, a or i
  bool pressRefused = false;
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
  for (const char* name : {"Vantor.exe.old", "Vantor.exe", "update.zip", "notes.txt"}) {
    test::WriteBytes(folder / name, "x");
  }
  test::WriteBytes(folder / "update.kept", "Vantor.exe.old\n");
  for (const char* mine : {"photos.zip", "notes.txt.old"}) test::WriteBytes(folder / mine, "mine");
  Updater updater(platform, folder.path());
  EXPECT_EQ(platform.calls, (std::vector<std::string>{"end Vantor.exe.old", "end Vantor.exe"}));
  EXPECT_EQ(updater.version, "2.0.9");
  EXPECT_EQ(updater.updateZipPath, folder / "update.zip");
  for (const char* gone : {"Vantor.exe.old", "update.zip", "update.kept"}) {
    EXPECT_FALSE(fs::exists(folder / gone)) << gone;
  }
  for (const char* mine : {"photos.zip", "notes.txt.old"}) EXPECT_TRUE(fs::exists(folder / mine));
}

// A second start while another puts an update in place (the installer with
// the lock; the finisher before it takes the lock, or with it, whether or
// not the program file is already the new one) touches nothing and ends;
// once the finisher ended, a start goes on as usual.
TEST_F(UpdaterTest, ASecondStartNeverUndoesAnUpdateBeingPutInPlace) {
  const struct {
    const char* name;
    std::vector<bool> lockFree, finisherRuns;
    bool programIn, stepsAside;
  } table[] = {
      {"the installer holds the lock", {false}, {false}, false, true},
      {"the finisher holds the lock, the program already in", {false}, {true}, true, true},
      {"the finisher has not taken the lock yet", {true, false}, {true}, false, true},
      {"the finisher let go and ended", {true, true}, {true, false}, true, false},
  };
  const auto files = [](const fs::path& folder) {
    std::map<std::string, std::string> all;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      if (entry.is_regular_file()) all[entry.path().string()] = test::ReadBytes(entry.path());
    }
    return all;
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.name);
    test::TempFolder program;
    test::WriteBytes(program / "Vantor.exe", "old exe");
    test::WriteBytes(program / "data.bin", "old data");
    test::ZipWriter zip;
    zip.Add("Vantor.exe", "new exe");
    zip.Add("data.bin", "new data");
    zip.WriteTo(program / "update.zip");
    // The installer's state at its hand-off: all but the program file in
    // place, the hand-off counted.
    ASSERT_TRUE(
        InstallArchive(program / "update.zip", program.path(), L"Vantor.exe").programPending);
    ASSERT_EQ(RecoverInterruptedInstall(program.path(), L"Vantor.exe").outcome,
              InstallRecovery::Outcome::HandOff);
    if (row.programIn) RecoverInterruptedInstall(program.path());  // the finisher's work
    const auto before = files(program.path());
    FakeUpdaterPlatform second;
    second.lockFree = row.lockFree;
    second.finisherRuns = row.finisherRuns;
    const Updater updater(second, program.path());
    EXPECT_EQ(updater.anotherStartIsUpdating, row.stepsAside);
    EXPECT_EQ(test::ReadBytes(program / "Vantor.exe"), row.programIn ? "new exe" : "old exe");
    EXPECT_EQ(test::ReadBytes(program / "data.bin"), "new data");
    if (row.stepsAside) {
      EXPECT_TRUE(second.calls.empty());
      EXPECT_EQ(files(program.path()), before);
    } else {
      EXPECT_EQ(second.calls.front(), "end Vantor.exe.old");
      EXPECT_FALSE(fs::exists(program / "Vantor.exe.old"));  // listed, so cleared
    }
  }
}

// Killed after its journal was written: the start hands the program file to
// the finisher once; a second time, or without a finisher, it undoes and
// says so. A count that no start wrote counts as used up.
TEST_F(UpdaterTest, ConstructionHandsAnInterruptedUpdateToTheFinisherOnce) {
  const struct {
    const char* name;
    const char* recoveries;
    bool canHandOff;
    const char* programAfter;
    const char* lastCall;
  } table[] = {
      {"first start", "0", true, "new exe", "restart"},
      {"no finisher", "0", false, "old exe", "hand off"},
      {"taken up before", "1", true, "old exe", "end Vantor.exe"},
      {"-1", "-1", true, "old exe", "end Vantor.exe"},
      {"2^31-1", "2147483647", true, "old exe", "end Vantor.exe"},
      {"2^31", "2147483648", true, "old exe", "end Vantor.exe"},
      {"2^32-1", "4294967295", true, "old exe", "end Vantor.exe"},
      {"1e30", "1e30", true, "old exe", "end Vantor.exe"},
      {"2.5", "2.5", true, "old exe", "end Vantor.exe"},
      {"a text", "\"3\"", true, "old exe", "end Vantor.exe"},
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
    std::string journal = FormatJournal({{item}, false, 0});
    journal.replace(journal.find("\"recoveries\": 0"), 16,
                    "\"recoveries\": " + std::string(row.recoveries));
    test::WriteBytes(folder / "update.journal", journal);
    Updater updater(platform, folder.path());
    EXPECT_EQ(test::ReadBytes(folder / "Vantor.exe"), row.programAfter);
    EXPECT_EQ(platform.calls.back(), row.lastCall);
    EXPECT_FALSE(updater.lastUpdateIncomplete);
    EXPECT_EQ(updater.lastUpdateUndone, std::string(row.programAfter) == "old exe");
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
  EXPECT_EQ(InstallOfferedUpdate().kind, UpdateEnd::Kind::HandedOff);
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
    char press;
    Kind end;
  } table[] = {
      {"whole", {true, 0, 200, std::nullopt}, "", '-', Kind::HandedOff},
      {"whole with its digest", {true, 0, 200, std::nullopt}, digest, '-', Kind::HandedOff},
      {"another digest", {true, 0, 200, std::nullopt}, other, '-', Kind::NotInstalled},
      {"an error page", {true, 0, 404, std::nullopt}, "", '-', Kind::NotInstalled},
      {"cut short", {true, 0, 200, 4u << 20}, "", '-', Kind::NotInstalled},
      {"no status seen", {true, 0, 0, std::nullopt}, "", '-', Kind::NotInstalled},
      {"a part left by the failed call",
       {false, 0x80004005, 200, std::nullopt},
       "",
       '-',
       Kind::NotInstalled},
      {"Cancel before the last byte", {true, 0, 200, std::nullopt}, "", 'b', Kind::Cancelled},
      // The whole archive is there and checked; the press still wins.
      {"Cancel after the last byte", {true, 0, 200, std::nullopt}, digest, 'a', Kind::Cancelled},
      {"Cancel once installing began", {true, 0, 200, std::nullopt}, "", 'i', Kind::HandedOff},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.name);
    fs::remove(folder / "Vantor.exe.old");
    platform.answer = row.answer;
    platform.press = row.press;
    platform.pressRefused = false;
    EXPECT_EQ(InstallOfferedUpdate(row.sha256).kind, row.end);
    EXPECT_EQ(platform.pressRefused, row.press == 'i');
    EXPECT_FALSE(fs::exists(folder / "update.download"));
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

// One lock per folder however it is spelled: through the file system's
// final path (here a stand-in for it), else by its text.
TEST(InstallLockName, OneNamePerFolderHoweverSpelled) {
  const auto finalPath = [](const fs::path& folder) -> std::optional<std::wstring> {
    const std::wstring text = PathToWide(folder);
    if (text == L"C:\\GAMES\\VANTOR~1" || text == L"S:\\") {  // a short name, a subst drive
      return L"\\\\?\\C:\\Games\\Vantor Client";
    }
    return std::nullopt;
  };
  const std::wstring name = InstallLockName(L"C:\\Games\\Vantor Client", finalPath);
  // The same as older builds named it: FNV-1a of "C:\GAMES\VANTOR CLIENT".
  EXPECT_EQ(name, L"Local\\Vantor.install.ab1326f648cfb772");
  for (const wchar_t* spelling : {L"c:\\games\\vantor client", L"C:/Games/Vantor Client/",
                                  L"C:\\Games\\.\\x\\..\\Vantor Client", L"C:\\GAMES\\VANTOR~1",
                                  L"S:\\", L"\\\\?\\C:\\Games\\Vantor Client"}) {
    EXPECT_EQ(InstallLockName(spelling, finalPath), name) << WideToUtf8(spelling);
  }
  EXPECT_NE(InstallLockName(L"C:\\Games\\Vantor", finalPath), name);
  EXPECT_EQ(InstallLockName(L"\\\\?\\UNC\\server\\share\\V", nullptr),
            InstallLockName(L"\\\\Server\\Share\\v\\", nullptr));
  EXPECT_EQ(NormalFolderText(L"E:"), L"E:\\");
}

TEST(ProcessesToEnd, TheNameInAnyCaseAndNeverItself) {
  const std::vector<RunningProcess> running = {
      {4, L"Vantor.exe"},  {8, L"vantor.exe"},    {12, L"Vantor.exe.old"},
      {16, L"Vantor.exe"}, {20, L"MyVantor.exe"}, {24, L"Vantor.exe "},
      {28, L"Vantor.ex"},  {32, L"VANTOR.EXE"},   {36, L"VANTOR.exe.OLD"},
  };
  EXPECT_EQ(ProcessesToEnd(running, L"Vantor.exe", 16), (std::vector<std::uint32_t>{4, 8, 32}));
  EXPECT_EQ(ProcessesToEnd(running, L"Vantor.exe", 99), (std::vector<std::uint32_t>{4, 8, 16, 32}));
  EXPECT_EQ(ProcessesToEnd(running, L"Vantor.exe.old", 4), (std::vector<std::uint32_t>{12, 36}));
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
