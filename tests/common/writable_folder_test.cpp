#include "common/writable_folder.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace vantor {
namespace {

TEST(WritableFolder, TheFirstThatTakesAFileIsCreatedAndLeftEmpty) {
  test::TempFolder root;
  const auto blocked = root.path() / "blocked";
  test::WriteBytes(blocked, "a file where a folder should be");
  const auto second = root.path() / "own" / "cache";
  const auto third = root.path() / "third";

  EXPECT_EQ(FirstWritableFolder({blocked / "cache", second, third}), second);
  EXPECT_TRUE(std::filesystem::is_directory(second));
  EXPECT_TRUE(std::filesystem::is_empty(second));
  EXPECT_FALSE(std::filesystem::exists(third));
}

TEST(WritableFolder, NoneWhenNoFolderCanBeMade) {
  test::TempFolder root;
  const auto blocked = root.path() / "blocked";
  test::WriteBytes(blocked, "x");
  EXPECT_EQ(FirstWritableFolder({blocked / "a", blocked / "b"}), std::nullopt);
  EXPECT_EQ(FirstWritableFolder({}), std::nullopt);
}

}  // namespace
}  // namespace vantor
