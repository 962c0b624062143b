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

// What the start compares to learn whether an installation replaced the
// program: one file, one identity, however it is reached.
TEST(FileIdentity, OneFileOneIdentityAndANewOneAfterARename) {
  test::TempFolder folder;
  test::WriteBytes(folder / "a.bin", "same bytes");
  test::WriteBytes(folder / "b.bin", "same bytes");
  std::filesystem::create_directory(folder / "sub");
  std::filesystem::create_hard_link(folder / "a.bin", folder / "linked.bin");
  const auto a = FileIdentity(folder / "a.bin");
  ASSERT_TRUE(a);
  EXPECT_NE(FileIdentity(folder / "b.bin"), a);
  EXPECT_EQ(FileIdentity(folder / "linked.bin"), a);
  EXPECT_EQ(FileIdentity(folder / "sub" / ".." / "a.bin"), a);
  EXPECT_FALSE(FileIdentity(folder / "absent.bin"));
  test::WriteBytes(folder / "new.bin", "same bytes");
  ASSERT_TRUE(RenameDurably(folder / "new.bin", folder / "b.bin", true));
  EXPECT_NE(FileIdentity(folder / "linked.bin"), FileIdentity(folder / "b.bin"));
  ASSERT_TRUE(RenameDurably(folder / "b.bin", folder / "a.bin", true));
  EXPECT_NE(FileIdentity(folder / "a.bin"), a);
  EXPECT_EQ(FileIdentity(folder / "linked.bin"), a);  // the old file, still linked
}

}  // namespace
}  // namespace vantor
