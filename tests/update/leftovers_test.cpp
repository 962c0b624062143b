#include "update/leftovers.h"

#include <gtest/gtest.h>

#include <set>

#include "support/temp_folder.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

// Only what an update listed in "update.kept" goes of the ".old" files: a
// player's own notes.txt.old beside notes.txt stays, listed or not.
TEST(RemoveUpdateLeftovers, RemovesListedKeptCopiesAndTheUpdatersFilesOnly) {
  test::TempFolder folder;
  for (const char* name : {"Vantor.exe.old", "WebView2Loader.dll.old", "WebView2Loader.dll",
                           "update.zip", "update.download", "a.OLD", "x.old.txt", "photos.zip",
                           "Vantor.exe", "config.json", "config.json.old", "notes.txt",
                           "notes.txt.old", "orphan.dll.old", "update.journal.tmp", "full"}) {
    test::WriteBytes(folder / name, "x");
  }
  fs::create_directories(folder / "sub");
  test::WriteBytes(folder / "sub" / "deep.old", "x");
  fs::create_directories(folder / "full.old");
  test::WriteBytes(folder / "full.old" / "inside.txt", "x");
  // Lines that cannot be a kept copy in the folder itself are not acted on.
  test::WriteBytes(folder / "update.kept",
                   "Vantor.exe.old\r\nWebView2Loader.dll.old\norphan.dll.old\nsub/deep.old\n"
                   "../x.old\nfull.old\nnotes.txt\ngone.old\n");

  EXPECT_EQ(RemoveUpdateLeftovers(folder.path()), std::vector<fs::path>{folder / "full.old"});

  std::set<std::string> remaining;
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    remaining.insert(entry.path().filename().string());
  }
  EXPECT_EQ(remaining, (std::set<std::string>{
                           "a.OLD", "x.old.txt", "photos.zip", "Vantor.exe", "config.json",
                           "config.json.old", "notes.txt", "notes.txt.old", "sub", "full.old",
                           "WebView2Loader.dll", "orphan.dll.old", "update.kept", "full"}));
  EXPECT_TRUE(fs::exists(folder / "sub" / "deep.old"));
  // What stays listed: the only copy of a file whose original is missing,
  // and what could not be removed yet.
  EXPECT_EQ(test::ReadBytes(folder / "update.kept"), "full.old\norphan.dll.old\n");
}

TEST(RemoveUpdateLeftovers, AStagingFolderACrashLeftGoesWithWhatItHolds) {
  test::TempFolder folder;
  fs::create_directories(folder / "update.staging");
  test::WriteBytes(folder / "update.staging" / "0", "half a build");
  fs::create_directories(folder / "cache");
  test::WriteBytes(folder / "cache" / "Cookies", "mine");
  EXPECT_TRUE(RemoveUpdateLeftovers(folder.path()).empty());
  EXPECT_FALSE(fs::exists(folder / "update.staging"));
  EXPECT_EQ(test::ReadBytes(folder / "cache" / "Cookies"), "mine");
}

TEST(RemoveUpdateLeftovers, WhileAJournalIsPendingKeptCopiesAndStagingStay) {
  test::TempFolder folder;
  for (const char* name : {"update.journal", "Vantor.exe", "Vantor.exe.old", "update.zip"}) {
    test::WriteBytes(folder / name, "x");
  }
  fs::create_directories(folder / "update.staging");
  RemoveUpdateLeftovers(folder.path());
  EXPECT_TRUE(fs::exists(folder / "Vantor.exe.old"));
  EXPECT_TRUE(fs::exists(folder / "update.staging"));
  EXPECT_FALSE(fs::exists(folder / "update.zip"));
}

TEST(RemoveUpdateLeftovers, AMissingFolderIsNotAnError) {
  test::TempFolder folder;
  EXPECT_TRUE(RemoveUpdateLeftovers(folder / "absent").empty());
}

}  // namespace
}  // namespace vantor
