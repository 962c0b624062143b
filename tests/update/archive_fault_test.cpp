// The all-or-nothing installation against injected faults: whatever fails, the
// program's folder is afterwards the old release or the new one, byte for
// byte, never a mix, and nothing outside it changes.
#include <gtest/gtest.h>

#include <map>

#include "support/temp_folder.h"
#include "support/zip_writer.h"
#include "update/archive_install.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;

// Fails the n-th call (from 1) of one kind of file operation.
class FailingFiles final : public InstallFiles {
 public:
  enum class Kind { Write, Rename };
  FailingFiles(Kind kind, int n) : kind_(kind), n_(n) {}
  bool Write(const fs::path& file, const std::string& bytes) override {
    return Fails(Kind::Write) ? false : InstallFiles::Write(file, bytes);
  }
  bool Rename(const fs::path& from, const fs::path& to) override {
    return Fails(Kind::Rename) ? false : InstallFiles::Rename(from, to);
  }

 private:
  bool Fails(Kind kind) { return kind == kind_ && ++seen_ == n_; }
  Kind kind_;
  int n_;
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

  // Every file under <root> but the archive, and the kept ".old" copies
  // (which the next start removes), with its content.
  Tree Release() const {
    Tree files;
    for (const auto& entry : fs::recursive_directory_iterator(root.path())) {
      const fs::path& path = entry.path();
      if (!entry.is_regular_file() || path.filename() == "update.zip") continue;
      if (path.extension() == ".old") continue;
      files[fs::relative(path, root.path()).generic_string()] = test::ReadBytes(path);
    }
    return files;
  }

  test::TempFolder root;
};

// Writes stage entries 1 to 3; renames alternate: old 1 aside, new 1 in,
// old 2 aside, new 2 in, old 3 aside, new 3 in.
TEST_F(ArchiveFaults, AnyFailingStepLeavesTheOldReleaseByteForByte) {
  using K = FailingFiles::Kind;
  const struct {
    K kind;
    int n;
    bool rolledBack;
    const char* failedEntry;
  } table[] = {
      {K::Write, 1, false, "Vantor.exe"},         {K::Write, 2, false, "WebView2Loader.dll"},
      {K::Write, 3, false, "assets/readme.txt"},  {K::Rename, 1, true, "Vantor.exe"},
      {K::Rename, 2, true, "Vantor.exe"},         {K::Rename, 3, true, "WebView2Loader.dll"},
      {K::Rename, 4, true, "WebView2Loader.dll"}, {K::Rename, 5, true, "assets/readme.txt"},
      {K::Rename, 6, true, "assets/readme.txt"},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(std::string(row.kind == K::Write ? "write " : "rename ") + std::to_string(row.n));
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

TEST_F(ArchiveFaults, AnEntryNamedLikeAFolderIsSkippedAndTheFolderKept) {
  fs::create_directories(program() / "cache" / "Default");
  test::WriteBytes(program() / "cache" / "Default" / "Cookies", "mine");
  test::ZipWriter zip;
  zip.Add("cache", "not a folder");
  zip.Add("Vantor.exe", "new exe");
  zip.WriteTo(root.path() / "update.zip");
  const InstallReport report = InstallArchive(root.path() / "update.zip", program());
  EXPECT_EQ(report.skipped, std::vector<std::string>{"cache"});
  EXPECT_EQ(report.installed, std::vector<std::string>{"Vantor.exe"});
  EXPECT_EQ(test::ReadBytes(program() / "cache" / "Default" / "Cookies"), "mine");
  EXPECT_FALSE(fs::exists(program() / "cache.old"));
  EXPECT_EQ(report.log,
            (std::vector<std::string>{"update: skipped cache: a folder of that name exists",
                                      "update: installed 1 files"}));
}

TEST_F(ArchiveFaults, AStagingFolderLeftByACrashIsReplaced) {
  fs::create_directories(program() / "update.staging");
  test::WriteBytes(program() / "update.staging" / "0", "half of an old attempt");
  const InstallReport report = InstallArchive(root.path() / "update.zip", program());
  EXPECT_EQ(report.installed.size(), 3u);
  EXPECT_EQ(Release(), kNewRelease);
}

}  // namespace
}  // namespace vantor
