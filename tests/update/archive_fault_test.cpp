// The all-or-nothing installation against injected faults: whatever fails, the
// program's folder is afterwards the old release or the new one, byte for
// byte, never a mix, and nothing outside it changes.
#include <gtest/gtest.h>

#include <map>
#include <new>

#include "support/temp_folder.h"
#include "support/zip_writer.h"
#include "update/archive_install.h"
#include "update/interrupted_install.h"
#include "update/leftovers.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;

// Fails the n-th file operation (from 1) of one kind, or every operation
// from the n-th on (as a power cut would), or throws at the n-th. Before
// each one it looks whether the files the program needs to start are there.
class FailingFiles final : public InstallFiles {
 public:
  enum class Kind { Write, Swap, Any };
  enum class Mode { Once, FromThenOn, Throw };
  FailingFiles(Kind kind, int n, Mode mode = Mode::Once, fs::path program = {})
      : kind_(kind), n_(n), mode_(mode), program_(std::move(program)) {}
  bool MakeFolder(const fs::path& folder) override {
    return Go(Kind::Any) && InstallFiles::MakeFolder(folder);
  }
  bool Write(const fs::path& file, const std::function<bool(std::FILE*)>& fill) override {
    return Go(Kind::Write) && InstallFiles::Write(file, fill);
  }
  bool WriteWhole(const fs::path& file, std::string_view bytes) override {
    return Go(Kind::Any) && InstallFiles::WriteWhole(file, bytes);
  }
  bool Rename(const fs::path& from, const fs::path& to) override {
    return Go(Kind::Swap) && InstallFiles::Rename(from, to);
  }
  bool Replace(const fs::path& from, const fs::path& to) override {
    return Go(Kind::Swap) && InstallFiles::Replace(from, to);
  }
  bool KeepCopy(const fs::path& file, const fs::path& copy) override {
    return Go(Kind::Swap) && InstallFiles::KeepCopy(file, copy);
  }
  bool Remove(const fs::path& file) override { return Go(Kind::Any) && InstallFiles::Remove(file); }
  bool RemoveFolder(const fs::path& folder) override {
    return Go(Kind::Any) && InstallFiles::RemoveFolder(folder);
  }
  int operations = 0;
  int alsoFailing = 0;  // one more operation that fails, counted like the n-th
  bool startableThroughout = true;

 private:
  bool Go(Kind kind) {
    ++operations;
    if (!program_.empty()) {
      startableThroughout = startableThroughout && fs::exists(program_ / "Vantor.exe") &&
                            fs::exists(program_ / "WebView2Loader.dll");
    }
    if (kind_ != Kind::Any && kind != kind_) return true;
    const int seen = ++seen_;
    if (mode_ == Mode::Throw && seen == n_) throw std::bad_alloc();
    if (seen == alsoFailing) return false;
    return mode_ == Mode::FromThenOn ? seen < n_ : seen != n_;
  }
  Kind kind_;
  int n_;
  Mode mode_;
  fs::path program_;
  int seen_ = 0;
};

const Tree kOldRelease = {{"program/Vantor.exe", "old exe"},
                          {"program/WebView2Loader.dll", "old dll"},
                          {"program/assets/readme.txt", "old readme"},
                          {"outside.txt", "keep me"}};
const Tree kNewRelease = {{"program/Vantor.exe", "new exe"},
                          {"program/WebView2Loader.dll", "new dll"},
                          {"program/assets/readme.txt", "new readme"},
                          {"outside.txt", "keep me"}};

class ArchiveFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& [name, bytes] : kOldRelease) {
      fs::create_directories((root.path() / name).parent_path());
      test::WriteBytes(root.path() / name, bytes);
    }
    test::ZipWriter zip;
    zip.Add("Vantor.exe", "new exe");
    zip.Add("WebView2Loader.dll", "new dll");
    zip.Add("assets/readme.txt", "new readme");
    zip.WriteTo(root.path() / "update.zip");
  }
  fs::path program() const { return root.path() / "program"; }
  void Reset() {
    fs::remove_all(program());
    SetUp();
  }

  // Every file under <root> but the archive, and the kept ".old" copies and
  // their list (which the next start removes) unless `strict`, with its content.
  Tree Release(bool strict = false) const {
    Tree files;
    for (const auto& entry : fs::recursive_directory_iterator(root.path())) {
      const fs::path& path = entry.path();
      if (path.filename() == "update.zip") continue;
      const bool kept = path.extension() == ".old" || path.filename() == "update.kept";
      if (!entry.is_regular_file() || (!strict && kept)) {
        if (strict && fs::is_directory(path) && fs::is_empty(path)) files[path.string()] = "";
        continue;
      }
      files[fs::relative(path, root.path()).generic_string()] = test::ReadBytes(path);
    }
    return files;
  }

  test::TempFolder root;
};

// Writes stage entries 1 to 3; swaps alternate: old 1 kept, new 1 in its
// place, old 2 kept, new 2 in, old 3 kept, new 3 in.
TEST_F(ArchiveFaults, AnyFailingStepLeavesTheOldReleaseByteForByte) {
  using K = FailingFiles::Kind;
  const struct {
    K kind;
    int n;
    bool rolledBack;
    const char* failedEntry;
  } table[] = {
      {K::Write, 1, false, "Vantor.exe"},        {K::Write, 2, false, "WebView2Loader.dll"},
      {K::Write, 3, false, "assets/readme.txt"}, {K::Swap, 1, true, "Vantor.exe"},
      {K::Swap, 2, true, "Vantor.exe"},          {K::Swap, 3, true, "WebView2Loader.dll"},
      {K::Swap, 4, true, "WebView2Loader.dll"},  {K::Swap, 5, true, "assets/readme.txt"},
      {K::Swap, 6, true, "assets/readme.txt"},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(std::string(row.kind == K::Write ? "write " : "swap ") + std::to_string(row.n));
    FailingFiles files(row.kind, row.n);
    const InstallReport report = InstallArchive(root.path() / "update.zip", program(), files);
    EXPECT_EQ(Release(), kOldRelease);
    EXPECT_TRUE(report.installed.empty());
    EXPECT_EQ(report.failed, std::vector<std::string>{row.failedEntry});
    EXPECT_EQ(report.rolledBack, row.rolledBack);
    EXPECT_FALSE(fs::exists(program() / "update.staging"));
    EXPECT_FALSE(fs::exists(program() / "Vantor.exe.old"));
  }
  // With nothing failing, the same archive installs whole.
  FailingFiles none(K::Write, 0);
  const InstallReport report = InstallArchive(root.path() / "update.zip", program(), none);
  EXPECT_EQ(Release(), kNewRelease);
  EXPECT_EQ(report.installed.size(), 3u);
  EXPECT_FALSE(fs::exists(program() / "update.staging"));
}

// A damaged entry (its bytes no longer match its CRC) stops everything, at
// whichever position it sits.
TEST_F(ArchiveFaults, ADamagedEntryAnywhereInstallsNothing) {
  const std::string good = test::ReadBytes(root.path() / "update.zip");
  // Each entry's data starts after its 30-byte header and its name.
  const size_t dataOffsets[] = {30 + 10, 30 + 10 + 7 + 30 + 18,
                                30 + 10 + 7 + 30 + 18 + 7 + 30 + 17};
  for (size_t offset : dataOffsets) {
    std::string bytes = good;
    bytes[offset] = 'X';
    test::WriteBytes(root.path() / "update.zip", bytes);
    const InstallReport report = InstallArchive(root.path() / "update.zip", program());
    EXPECT_EQ(Release(), kOldRelease) << offset;
    EXPECT_EQ(report.failed.size(), 1u) << offset;
    EXPECT_FALSE(report.rolledBack);
  }
}

TEST_F(ArchiveFaults, AnEntryNamedLikeAFolderOrThePlayersDataIsSkipped) {
  fs::create_directories(program() / "cache" / "Default");
  test::WriteBytes(program() / "cache" / "Default" / "Cookies", "mine");
  test::WriteBytes(program() / "config.json", "{}");
  test::ZipWriter zip;
  zip.Add("assets", "not a folder");
  zip.Add("cache/Default/Cookies", "theirs");
  zip.Add("Config.json", "{\"Raw Input\": true}");
  zip.Add("Vantor.exe", "new exe");
  zip.WriteTo(root.path() / "update.zip");
  const InstallReport report = InstallArchive(root.path() / "update.zip", program());
  EXPECT_EQ(report.installed, std::vector<std::string>{"Vantor.exe"});
  EXPECT_EQ(test::ReadBytes(program() / "assets" / "readme.txt"), "old readme");
  EXPECT_EQ(test::ReadBytes(program() / "cache" / "Default" / "Cookies"), "mine");
  EXPECT_EQ(test::ReadBytes(program() / "config.json"), "{}");
  EXPECT_FALSE(fs::exists(program() / "assets.old"));
  EXPECT_EQ(report.log,
            (std::vector<std::string>{
                "update: skipped assets: a folder of that name exists",
                "update: skipped cache/Default/Cookies: that name holds the player's own data",
                "update: skipped Config.json: that name holds the player's own data",
                "update: installed 1 files"}));
}

TEST_F(ArchiveFaults, AStagingFolderLeftByACrashIsReplaced) {
  fs::create_directories(program() / "update.staging");
  test::WriteBytes(program() / "update.staging" / "0", "half of an old attempt");
  const InstallReport report = InstallArchive(root.path() / "update.zip", program());
  EXPECT_EQ(report.installed.size(), 3u);
  EXPECT_EQ(Release(), kNewRelease);
}

// The last swap fails, and so does putting the second file back: the
// journal, the staging folder and the kept copy stay for the next start,
// which makes the old release whole.
TEST_F(ArchiveFaults, AnIncompleteRollBackKeepsItsWayBack) {
  FailingFiles files(FailingFiles::Kind::Swap, 6);
  files.alsoFailing = 7;  // the roll-back's first step: the old dll back
  const InstallReport report = InstallArchive(root.path() / "update.zip", program(), files);
  EXPECT_EQ(report.log.back(), "update: rolled back only in part; the next start tries again");
  EXPECT_TRUE(fs::exists(program() / "update.journal"));
  EXPECT_TRUE(fs::exists(program() / "update.staging"));
  EXPECT_EQ(test::ReadBytes(program() / "WebView2Loader.dll.old"), "old dll");
  EXPECT_EQ(test::ReadBytes(program() / "Vantor.exe"), "old exe");
  RecoverInterruptedInstall(program());
  RemoveUpdateLeftovers(program());
  EXPECT_EQ(Release(true), kOldRelease);
}

// A start as the program makes it: recovery from the program file, the
// finisher when recovery hands the program file over, then the clean-up.
void StartOver(const fs::path& folder, InstallFiles& files) {
  if (RecoverInterruptedInstall(folder, files, L"Vantor.exe").outcome ==
      InstallRecovery::Outcome::HandOff) {
    RecoverInterruptedInstall(folder, files);
  }
  RemoveUpdateLeftovers(folder);
}

// A power cut after any file operation of an update of four entries (one of
// them new, the first a folder entry that is skipped): the installation,
// the hand-off and the finisher; then a next start, itself cut after its
// first, second or fourth operation or not at all, and one more start. The
// folder is then the whole old release or the whole new one, with nothing of
// the update left, and the program could have been started at every instant.
// Again with the last staged file lost meanwhile: the start undoes it.
TEST_F(ArchiveFaults, ACutAtAnyOperationEndsWholeAfterTheNextStart) {
  const Tree newWithAddition = {{"program/Vantor.exe", "new exe"},
                                {"program/WebView2Loader.dll", "new dll"},
                                {"program/assets/readme.txt", "new readme"},
                                {"program/assets/added.txt", "added"},
                                {"outside.txt", "keep me"}};
  using F = FailingFiles;
  for (const bool stagedLost : {false, true}) {
    for (const int secondCut : {0, 1, 2, 4}) {
      std::string outcomes;
      for (int cut = 1; cut <= 21; ++cut) {
        SCOPED_TRACE("cut at operation " + std::to_string(cut) + ", then at " +
                     std::to_string(secondCut));
        Reset();
        test::ZipWriter zip;
        zip.Add("assets/", "");
        zip.Add("Vantor.exe", "new exe");
        zip.Add("assets/added.txt", "added");
        zip.Add("WebView2Loader.dll", "new dll");
        zip.Add("assets/readme.txt", "new readme");
        zip.WriteTo(root.path() / "update.zip");
        F files(F::Kind::Any, cut, F::Mode::FromThenOn, program());
        if (InstallArchive(root.path() / "update.zip", program(), files, L"Vantor.exe")
                .programPending &&
            RecoverInterruptedInstall(program(), files, L"Vantor.exe").outcome ==
                InstallRecovery::Outcome::HandOff) {
          RecoverInterruptedInstall(program(), files);
        }
        if (cut == 21) {
          EXPECT_EQ(files.operations, 20);  // the last cut falls after the end
        }
        if (stagedLost) fs::remove(program() / "update.staging" / "3");
        F nextStart(F::Kind::Any, secondCut > 0 ? secondCut : 1000, F::Mode::FromThenOn, program());
        StartOver(program(), nextStart);
        F lastStart(F::Kind::Any, 1000, F::Mode::Once, program());
        StartOver(program(), lastStart);
        EXPECT_TRUE(files.startableThroughout && nextStart.startableThroughout &&
                    lastStart.startableThroughout && fs::exists(program() / "Vantor.exe") &&
                    fs::exists(program() / "WebView2Loader.dll"));
        const Tree after = Release(true);
        outcomes += after == kOldRelease ? 'o' : after == newWithAddition ? 'n' : '?';
      }
      SCOPED_TRACE(std::to_string(secondCut));
      // Up to the journal's write (6) the old release stays. From then on a
      // start hands the program file to the finisher once: the update is
      // finished unless the finisher itself was cut before the program file
      // went in (13-15), or a start counted the hand-off and was cut (second
      // cut 2 and 4); then a later start undoes it. The program file goes in
      // at 15; the lost staged file goes in at 11; the kept copies are
      // listed for the clean-up at 18.
      const char* expected[2][2] = {{"oooooonnnnnnooonnnnnn", "ooooooooooooooonnnnnn"},
                                    {"ooooooooooonooonnnnnn", "ooooooooooooooonnnnnn"}};
      EXPECT_EQ(outcomes, expected[stagedLost][secondCut > 1]);
    }
  }
}

TEST_F(ArchiveFaults, AnArchiveNamingOneFileTwiceOrAnErrorMidwayChangesNothing) {
  const struct {
    const char* name;
    const char* first;
    const char* second;
    int throwAtRename;
  } table[] = {
      {"the same name twice", "WebView2Loader.dll", "WebView2Loader.dll", 0},
      {"names that differ in case only", "WebView2Loader.dll", "WEBVIEW2LOADER.DLL", 0},
      {"accented Latin in either case", "données.pak", "DONNÉES.PAK", 0},
      {"Cyrillic in either case", "файл.pak", "ФАЙЛ.PAK", 0},
      {"Greek in either case", "σύνολο.pak", "ΣΎΝΟΛΟ.PAK", 0},
      {"an error thrown after a new file went in", "WebView2Loader.dll", nullptr, 4},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.name);
    Reset();
    test::ZipWriter zip;
    zip.Add("assets/added.txt", "not in the old release");  // must go again
    zip.Add(row.first, "new dll");
    zip.Add("Vantor.exe", "new exe");
    if (row.second != nullptr) zip.Add(row.second, "second dll");
    zip.Add("assets/readme.txt", "new readme");
    zip.WriteTo(root.path() / "update.zip");
    FailingFiles files(FailingFiles::Kind::Swap, row.throwAtRename, FailingFiles::Mode::Throw);
    const InstallReport report = InstallArchive(root.path() / "update.zip", program(), files);
    EXPECT_TRUE(report.installed.empty());
    EXPECT_EQ(report.log.back(), row.second != nullptr
                                     ? "update: the archive was refused; nothing was replaced"
                                     : "update: rolled back; the old release stays");
    EXPECT_EQ(Release(true), kOldRelease);
  }
  // An earlier update still pending: its staged files and kept copies stay.
  test::WriteBytes(program() / "update.journal", "pending");
  const InstallReport report = InstallArchive(root.path() / "update.zip", program());
  EXPECT_TRUE(report.installed.empty());
  EXPECT_EQ(test::ReadBytes(program() / "Vantor.exe"), "old exe");
}

}  // namespace
}  // namespace vantor
