#include "base/file_io.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/paths.h"
#include "support/failing_file_system.h"
#include "support/temp_dir.h"

namespace kolvar {
namespace {

using testing::FailingFileSystem;
using testing::FileFaults;
using testing::TempDir;

int EntriesIn(const TempDir& dir) {
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Folder())) {
    ++entries;
  }
  return entries;
}

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
  EXPECT_EQ(EntriesIn(dir), 1);
}

// Each call a write makes failing in turn, for contents of three chunks.
TEST(FileIoTest, AFailedAtomicWriteLeavesTheOldFileWholeAndNoTemporary) {
  TempDir dir;
  const std::string path = dir.Path("a.txt");
  const std::string contents(150 * 1024, 'n');
  FailingFileSystem counting;
  {
    ScopedFileSystem scope(counting);
    ASSERT_TRUE(WriteFileAtomic(path, contents));
  }
  EXPECT_EQ(counting.Calls().write, 3);
  EXPECT_EQ(counting.Calls().remove, 0);
  for (const testing::FaultKind& kind : testing::kSaveCalls) {
    ASSERT_GT(counting.Calls().*kind.calls, 0) << kind.name;
    for (int n = 1; n <= counting.Calls().*kind.calls; ++n) {
      SCOPED_TRACE(std::string(kind.name) + " " + std::to_string(n));
      ASSERT_TRUE(WriteFileAtomic(path, "old contents"));
      FileFaults faults;
      faults.*kind.fault = n;
      FailingFileSystem failing(faults);
      {
        ScopedFileSystem scope(failing);
        EXPECT_FALSE(WriteFileAtomic(path, contents));
      }
      EXPECT_EQ(ReadWholeFile(path), "old contents");
      EXPECT_EQ(EntriesIn(dir), 1);
    }
  }
  // A system that will not delete the cut-short temporary keeps it; the next
  // write replaces it.
  {
    FailingFileSystem failing({.failWrite = 1, .failRemove = 1});
    ScopedFileSystem scope(failing);
    EXPECT_FALSE(WriteFileAtomic(path, contents));
  }
  EXPECT_EQ(ReadWholeFile(path), "old contents");
  EXPECT_EQ(EntriesIn(dir), 2);
  EXPECT_TRUE(WriteFileAtomic(path, "new"));
  EXPECT_EQ(EntriesIn(dir), 1);
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

// A channel named in Cyrillic ("Pervyi") is listed, written and read under its own
// name, whatever the system's code page.
TEST(FileIoTest, CyrillicNamesListAndOpen) {
  TempDir dir;
  const std::string name = "\xCF\xE5\xF0\xE2\xFB\xE9.ndx";
  ASSERT_TRUE(WriteFileAtomic(dir.Path(name), "x"));
  EXPECT_EQ(ListFolder(dir.Folder(), ".ndx"), std::vector<std::string>{name});
  EXPECT_EQ(ReadWholeFile(dir.Path(name)), "x");
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
