#include "common/atomic_file.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace vantor {
namespace {

TEST(AtomicFile, CreatesAFileWithExactlyTheBytes) {
  test::TempFolder folder;
  const auto target = folder / "settings.json";
  const std::string bytes = std::string("{\r\n\0\xFF}\r\n", 7);
  ASSERT_TRUE(WriteFileAtomically(target, bytes));
  EXPECT_EQ(test::ReadBytes(target), bytes);
  EXPECT_FALSE(std::filesystem::exists(StagingPathFor(target)));
}

TEST(AtomicFile, ACutBetweenStagingAndCommitLeavesTheOldFileWhole) {
  test::TempFolder folder;
  const auto target = folder / "settings.json";
  test::WriteBytes(target, "old content");

  const auto staged = StageFile(target, "new content");
  ASSERT_TRUE(staged.has_value());
  // The process dies here: the old file is still the whole old file.
  EXPECT_EQ(test::ReadBytes(target), "old content");
  EXPECT_EQ(test::ReadBytes(*staged), "new content");

  ASSERT_TRUE(CommitStagedFile(*staged, target));
  EXPECT_EQ(test::ReadBytes(target), "new content");
  EXPECT_FALSE(std::filesystem::exists(*staged));
}

TEST(AtomicFile, AFailedStagingReportsFailureAndKeepsTheOldFile) {
  test::TempFolder folder;
  const auto target = folder / "settings.json";
  test::WriteBytes(target, "old content");
  // A folder where the temporary file must go: the write cannot start.
  std::filesystem::create_directory(StagingPathFor(target));

  EXPECT_FALSE(WriteFileAtomically(target, "new content"));
  EXPECT_EQ(test::ReadBytes(target), "old content");
}

TEST(AtomicFile, AMissingFolderReportsFailure) {
  test::TempFolder folder;
  EXPECT_FALSE(WriteFileAtomically(folder / "missing" / "settings.json", "x"));
}

}  // namespace
}  // namespace vantor
