#include "common/files.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

TEST(GetExecutableFolder, IsTheFolderOfThisTestProgram) {
  const std::wstring wide = GetExecutableFolder();
  const std::string narrow = GetExecutableFolderA();
  ASSERT_FALSE(wide.empty());
  ASSERT_FALSE(narrow.empty());
  EXPECT_NE(wide.back(), L'\\');
  EXPECT_NE(wide.back(), L'/');
  EXPECT_EQ(WideToUtf8(wide), narrow);  // the build folder's name is ASCII
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(narrow)));
}

TEST(FileExists, TellsWhetherAFileCanBeOpenedForReading) {
  test::TempFolder folder;
  const auto file = folder / "present.txt";
  test::WriteBytes(file, "x");
  EXPECT_TRUE(FileExists(file.string()));
  EXPECT_TRUE(FileExists(PathToWide(file)));
  EXPECT_FALSE(FileExists((folder / "absent.txt").string()));
  EXPECT_FALSE(FileExists(PathToWide(folder / "absent.txt")));
}

}  // namespace
}  // namespace vantor
