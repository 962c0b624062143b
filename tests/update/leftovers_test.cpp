#include "update/leftovers.h"

#include <gtest/gtest.h>

#include <set>

#include "support/temp_folder.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

TEST(RemoveUpdateLeftovers, RemovesOldCopiesAndTheUpdateArchiveOnly) {
  test::TempFolder folder;
  for (const char* name :
       {"Vantor.exe.old", "WebView2Loader.dll.old", "WebView2Loader.dll", "update.zip", "a.OLD",
        "x.old.txt", "photos.zip", "Vantor.exe", "config.json", "config.json.invalid", "old",
        ".old", "empty", "full", "orphan.dll.old", "update.journal.tmp"}) {
    test::WriteBytes(folder / name, "x");
  }
  fs::create_directories(folder / "sub");
  test::WriteBytes(folder / "sub" / "deep.old", "x");
  fs::create_directory(folder / "empty.old");
  fs::create_directories(folder / "full.old");
  test::WriteBytes(folder / "full.old" / "inside.txt", "x");

  const auto leftOver = RemoveUpdateLeftovers(folder.path());

  std::set<std::string> remaining;
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    remaining.insert(entry.path().filename().string());
  }
  EXPECT_EQ(remaining,
            (std::set<std::string>{"a.OLD", "x.old.txt", "photos.zip", "Vantor.exe", "config.json",
                                   "config.json.invalid", "old", ".old", "sub", "full.old",
                                   "WebView2Loader.dll", "empty", "full",
                                   // the only copy of a file whose original is missing
                                   "orphan.dll.old"}));
  EXPECT_TRUE(fs::exists(folder / "sub" / "deep.old"));  // sub-folders are not searched
  // A folder that is not empty cannot go; it is skipped, not fatal.
  EXPECT_EQ(leftOver, std::vector<fs::path>{folder / "full.old"});
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
