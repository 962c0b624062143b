#include "update/archive_install.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include <map>

#include "support/temp_folder.h"
#include "support/zip_writer.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

// <root>/program is the program's folder; <root> holds what must never change.
class ArchiveInstall : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(program());
    test::WriteBytes(program() / "Vantor.exe", "old exe");
    test::WriteBytes(program() / "WebView2Loader.dll", "old dll");
    fs::create_directories(program() / "assets");
    test::WriteBytes(root.path() / "outside.txt", "keep me");
  }
  fs::path program() const { return root.path() / "program"; }
  InstallReport Install(test::ZipWriter& zip) {
    zip.WriteTo(root.path() / "update.zip");
    return InstallArchive(root.path() / "update.zip", program());
  }
  // Every file under <root>, with its content, except the archive itself.
  std::map<std::string, std::string> Tree() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root.path())) {
      if (!entry.is_regular_file() || entry.path().filename() == "update.zip") continue;
      files[fs::relative(entry.path(), root.path()).generic_string()] =
          test::ReadBytes(entry.path());
    }
    return files;
  }

  test::TempFolder root;
};

TEST_F(ArchiveInstall, ReplacesFilesAndKeepsTheOldOnes) {
  test::ZipWriter zip;
  zip.Add("Vantor.exe", "new exe");
  zip.Add("WebView2Loader.dll", "new dll");
  zip.Add("assets/readme.txt", "new readme");
  const InstallReport report = Install(zip);
  EXPECT_EQ(report.installed.size(), 3u);
  EXPECT_EQ(Tree(), (std::map<std::string, std::string>{
                        {"outside.txt", "keep me"},
                        {"program/Vantor.exe", "new exe"},
                        {"program/Vantor.exe.old", "old exe"},
                        {"program/WebView2Loader.dll", "new dll"},
                        {"program/WebView2Loader.dll.old", "old dll"},
                        {"program/assets/readme.txt", "new readme"},
                        // what the next start's clean-up removes
                        {"program/update.kept", "Vantor.exe.old\nWebView2Loader.dll.old\n"}}));
}

TEST_F(ArchiveInstall, AnEntryInAMissingFolderIsSkippedAndTheOthersInstalled) {
  test::ZipWriter zip;
  zip.Add("missing/deeper/file.txt", "x");
  zip.Add("Vantor.exe", "new exe");
  zip.Add("Read Me.txt", "new notes");  // an inner blank is an ordinary name
  const InstallReport report = Install(zip);
  EXPECT_EQ(report.installed, (std::vector<std::string>{"Vantor.exe", "Read Me.txt"}));
  EXPECT_EQ(report.skipped, std::vector<std::string>{"missing/deeper/file.txt"});
  EXPECT_FALSE(fs::exists(program() / "missing"));
  // Each file has its own entry's bytes, not a neighbour's.
  EXPECT_EQ(test::ReadBytes(program() / "Vantor.exe"), "new exe");
  EXPECT_EQ(test::ReadBytes(program() / "Read Me.txt"), "new notes");
}

TEST_F(ArchiveInstall, WithoutTheProgramInTheArchiveTheProgramStaysAsItWas) {
  test::ZipWriter zip;
  zip.Add("notes.txt", "hello");
  Install(zip);
  EXPECT_EQ(test::ReadBytes(program() / "Vantor.exe"), "old exe");
  EXPECT_FALSE(fs::exists(program() / "Vantor.exe.old"));
  EXPECT_EQ(test::ReadBytes(program() / "notes.txt"), "hello");
}

TEST_F(ArchiveInstall, NoArchiveOrABrokenOneInstallsNothing) {
  const auto before = Tree();
  EXPECT_TRUE(InstallArchive(root.path() / "absent.zip", program()).installed.empty());
  test::WriteBytes(root.path() / "update.zip", "<html>Not Found</html>");
  EXPECT_TRUE(InstallArchive(root.path() / "update.zip", program()).installed.empty());
  EXPECT_EQ(Tree(), before);
}

// A present file the archive would replace that cannot be read (held
// without sharing; natively, a pipe) can be neither compared nor kept:
// nothing is installed, not even the entry before it, and the log says why.
TEST_F(ArchiveInstall, AnUnreadableFileToReplaceInstallsNothingAtAll) {
  const fs::path unreadable = program() / "b.pak";
#ifdef _WIN32
  test::WriteBytes(unreadable, "old b");
  const auto before = Tree();
  HANDLE held =
      CreateFileW(unreadable.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
#else
  ASSERT_EQ(mkfifo(unreadable.c_str(), 0644), 0);
  const auto before = Tree();  // a pipe is no file to read
#endif
  test::ZipWriter zip;
  zip.Add("Vantor.exe", "new exe");
  zip.Add("b.pak", "new b");
  zip.Add("WebView2Loader.dll", "new dll");
  const InstallReport report = Install(zip);
#ifdef _WIN32
  CloseHandle(held);
#endif
  EXPECT_TRUE(report.installed.empty());
  EXPECT_EQ(report.failed, std::vector<std::string>{"b.pak"});
  EXPECT_EQ(Tree(), before);
  EXPECT_FALSE(fs::exists(program() / "update.staging"));
  EXPECT_FALSE(fs::exists(program() / "update.journal"));
  bool said = false;
  for (const std::string& line : report.log) {
    said = said || line == "update: the present b.pak cannot be read; nothing was replaced";
  }
  EXPECT_TRUE(said);
}

TEST_F(ArchiveInstall, AFailedEntryGetsItsOldFileBack) {
  // An entry whose data does not match its checksum cannot be extracted.
  test::ZipWriter zip;
  zip.Add("Vantor.exe", "new exe");
  zip.WriteTo(root.path() / "update.zip");
  std::string bytes = test::ReadBytes(root.path() / "update.zip");
  bytes[30 + 10] = 'X';  // inside the stored data, after the 30-byte header and the name
  test::WriteBytes(root.path() / "update.zip", bytes);
  const InstallReport report = InstallArchive(root.path() / "update.zip", program());
  EXPECT_EQ(report.failed, std::vector<std::string>{"Vantor.exe"});
  EXPECT_EQ(test::ReadBytes(program() / "Vantor.exe"), "old exe");
  EXPECT_FALSE(fs::exists(program() / "Vantor.exe.old"));
}

TEST_F(ArchiveInstall, HostileEntryNamesWriteNothingAndLoseNothing) {
  const std::vector<std::string> hostile = {
      "../outside.txt",
      "..\\outside.txt",
      "../../escaped.txt",
      "assets/../../outside.txt",
      "assets\\..\\..\\outside.txt",
      "/etc/escaped.txt",
      "\\escaped.txt",
      "C:\\escaped.txt",
      "C:/escaped.txt",
      "C:escaped.txt",
      "\\\\?\\C:\\escaped.txt",
      "\\\\server\\share\\escaped.txt",
      "//server/share/escaped.txt",
      "Vantor.exe:stream",
      ":stream",
      "Vantor.exe.",
      "Vantor.exe ",
      "./Vantor.exe",
      "assets/./x.txt",
      "assets//x.txt",
      "assets/",
      "newdir/",
      "..",
      ".",
      "",
      "con",
      "assets/nul.txt",
      "COM1.dll",
      "con.min.js",
      "nul.tar.gz",
      "a<b>.txt",
      "a|b.txt",
      "a*.txt",
      std::string("a\x01.txt"),
      "caf\xe9.txt",  // Latin-1, not UTF-8
      "\xff\xfe.txt",
  };
  const auto before = Tree();
  test::ZipWriter zip;
  for (const auto& name : hostile) zip.Add(name, "pwned");
  const InstallReport report = Install(zip);
  EXPECT_TRUE(report.installed.empty());
  EXPECT_EQ(report.skipped.size(), hostile.size());
  EXPECT_EQ(Tree(), before);  // 0 files written anywhere, 0 files lost
  EXPECT_FALSE(fs::exists(root.path() / "escaped.txt"));
  EXPECT_FALSE(fs::exists(program() / "newdir"));
}

// Each name the updater writes itself is skipped; the rest installs.
TEST_F(ArchiveInstall, AnEntryNamedLikeTheUpdatersOwnFilesIsSkipped) {
  for (const char* own :
       {"update.zip", "update.journal", "update.journal.tmp", "update.journal.failed",
        "update.staging/0", "data.old", "VANTOR.EXE.OLD"}) {
    SCOPED_TRACE(own);
    test::WriteBytes(program() / "Vantor.exe", "old exe");
    test::ZipWriter zip;
    zip.Add(own, "pwned");
    zip.Add("Vantor.exe", "new exe");
    const InstallReport report = Install(zip);
    EXPECT_EQ(report.skipped, std::vector<std::string>{own});
    EXPECT_EQ(report.installed, std::vector<std::string>{"Vantor.exe"});
    EXPECT_EQ(test::ReadBytes(program() / "Vantor.exe"), "new exe");
    EXPECT_FALSE(fs::exists(program() / own) && test::ReadBytes(program() / own) == "pwned");
    fs::remove(program() / "Vantor.exe.old");
  }
}

#ifndef _WIN32
TEST_F(ArchiveInstall, ALinkInsideTheFolderDoesNotLeadOutOfIt) {
  fs::create_directory_symlink(root.path(), program() / "link");
  test::ZipWriter zip;
  zip.Add("link/outside.txt", "pwned");
  const InstallReport report = Install(zip);
  EXPECT_TRUE(report.installed.empty());
  EXPECT_EQ(test::ReadBytes(root.path() / "outside.txt"), "keep me");
}
#endif

}  // namespace
}  // namespace vantor
