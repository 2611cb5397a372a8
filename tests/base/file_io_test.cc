#include "base/file_io.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/paths.h"
#include "support/temp_dir.h"

namespace kolvar {
namespace {

using testing::TempDir;

TEST(FileIoTest, WritesAndReadsBytesExactly) {
  TempDir dir;
  std::string data("line\r\n\xC0\xFF\0end", 11);
  ASSERT_TRUE(WriteFileAtomic(dir.Path("a.txt"), data));
  EXPECT_EQ(ReadWholeFile(dir.Path("a.txt")), data);
}

TEST(FileIoTest, ReplacesAnExistingFileAndLeavesNoTemporary) {
  TempDir dir;
  ASSERT_TRUE(WriteFileAtomic(dir.Path("a.txt"), "old and longer"));
  ASSERT_TRUE(WriteFileAtomic(dir.Path("a.txt"), "new"));
  EXPECT_EQ(ReadWholeFile(dir.Path("a.txt")), "new");
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Folder())) {
    ++files;
  }
  EXPECT_EQ(files, 1);
}

TEST(FileIoTest, FailuresAreReportedNotHidden) {
  TempDir dir;
  EXPECT_FALSE(ReadWholeFile(dir.Path("missing.txt")).has_value());
  // A folder that does not exist cannot take the file.
  EXPECT_FALSE(WriteFileAtomic(dir.Path("no-such-folder/a.txt"), "x"));
  // A folder where the file should be: the write fails and the folder stays.
  std::filesystem::create_directory(ToNativePath(dir.Path("taken")));
  EXPECT_FALSE(WriteFileAtomic(dir.Path("taken"), "x"));
  EXPECT_TRUE(std::filesystem::is_directory(ToNativePath(dir.Path("taken"))));
}

TEST(FileIoTest, EmptyFiles) {
  TempDir dir;
  ASSERT_TRUE(WriteFileAtomic(dir.Path("empty"), ""));
  EXPECT_EQ(ReadWholeFile(dir.Path("empty")), "");
}

#ifndef _WIN32
// Only a case-sensitive file system holds names that differ only in letter case.
TEST(FileIoTest, NamesThatDifferOnlyInLetterCaseListInAFixedOrder) {
  TempDir dir;
  for (const char* name : {"b.ndx", "a.NDX", "B.ndx", "A.ndx", "a.ndx"}) {
    ASSERT_TRUE(WriteFileAtomic(dir.Path(name), "x"));
  }
  EXPECT_EQ(ListFolder(dir.Folder(), ".ndx"),
            (std::vector<std::string>{"A.ndx", "a.NDX", "a.ndx", "B.ndx", "b.ndx"}));
}
#endif

}  // namespace
}  // namespace kolvar
