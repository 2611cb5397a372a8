#include "base/file_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

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

// What the guide watcher sees of a folder: every entry with its size and write
// time, a rewritten file with another, and no file opened for it.
TEST(FileIoTest, AFolderListsWithSizesAndWriteTimes) {
  TempDir dir;
  const std::string name = "\xCF\xE5\xF0\xE2\xFB\xE9.ndx";
  ASSERT_TRUE(WriteFileAtomic(dir.Path(name), "abc"));
  ASSERT_TRUE(WriteFileAtomic(dir.Path("b.PDT"), ""));
  std::vector<FileStamp> all = ListFolderStamps(dir.Folder(), "");
  std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].name, "b.PDT");
  EXPECT_EQ(all[1].name, name);
  EXPECT_EQ(all[1].size, 3u);
  ASSERT_EQ(ListFolderStamps(dir.Folder(), ".ndx").size(), 1u);
  ASSERT_TRUE(WriteFileAtomic(dir.Path(name), "abd"));
  const FileStamp again = ListFolderStamps(dir.Folder(), ".ndx")[0];
  EXPECT_EQ(again.size, 3u);
  EXPECT_NE(again.writeTime, all[1].writeTime);
  EXPECT_TRUE(ListFolderStamps(dir.Path("missing\\"), "").empty());
}

#ifndef _WIN32
// Linux names files in UTF-8: the core's Windows-1251 names are turned into it
// and back, so every character lists and opens as itself.
TEST(FileIoTest, EveryWindows1251CharacterOfANameListsAndOpensAsItself) {
  TempDir dir;
  std::vector<std::string> written;
  for (int byte = 1; byte < 256; ++byte) {
    if (byte == '/' || byte == '\\') continue;
    written.push_back("n" + std::string(1, static_cast<char>(byte)) + ".ndx");
    ASSERT_TRUE(WriteFileAtomic(dir.Path(written.back()), written.back()));
  }
  std::vector<std::string> listed = ListFolder(dir.Folder(), ".ndx");
  for (const std::string& name : listed) EXPECT_EQ(ReadWholeFile(dir.Path(name)), name);
  std::sort(listed.begin(), listed.end());
  std::sort(written.begin(), written.end());
  EXPECT_EQ(listed, written);
  // On the disk, UTF-8 (NTV); removed under the core's name.
  ASSERT_TRUE(WriteFileAtomic(dir.Path("\xCD\xD2\xC2.pdt"), "x"));
  const std::string utf8 = dir.Folder() + "\xD0\x9D\xD0\xA2\xD0\x92.pdt";
  EXPECT_TRUE(std::filesystem::exists(utf8));
  EXPECT_TRUE(CurrentFileSystem().RemoveFile(dir.Path("\xCD\xD2\xC2.pdt")));
  EXPECT_FALSE(std::filesystem::exists(utf8));
}

// Names other programs gave: UTF-8 ones list in Windows-1251 and open again. A
// name that is not UTF-8, or holds a character Windows-1251 lacks, is left out
// (as the Windows build leaves out what Windows-1251 cannot spell), and no name
// of the core's opens it.
TEST(FileIoTest, NamesTheSystemGivesListInWindows1251OrNotAtAll) {
  struct Case {
    const char* native;
    const char* listed;  // null: left out
  };
  const Case cases[] = {
      {"\xD0\x9F\xD0\xB5\xD1\x80\xD0\xB2\xD1\x8B\xD0\xB9.ndx", "\xCF\xE5\xF0\xE2\xFB\xE9.ndx"},
      // Ukrainian Yi, Io and the numero sign, outside the Russian letters' block.
      {"2+2 (\xD0\xA3\xD0\xBA\xD1\x80\xD0\xB0\xD1\x97\xD0\xBD\xD0\xB0).ndx",
       "2+2 (\xD3\xEA\xF0\xE0\xBF\xED\xE0).ndx"},
      {"\xD0\x81\xD0\xBB\xD0\xBA\xD0\xB0 \xE2\x84\x96 1.ndx", "\xA8\xEB\xEA\xE0 \xB9 1.ndx"},
      {"\xCE\x95\xCE\xBB.ndx", nullptr},     // Greek
      {"TV \xF0\x9F\x93\xBA.ndx", nullptr},  // past the Basic Multilingual Plane
      {"\xCF\xE5.ndx", nullptr},             // Windows-1251 bytes
      {"\xC0\xAF.ndx", nullptr},             // an overlong slash
      {"\xED\xA0\x80.ndx", nullptr},         // a surrogate
      {"cut\xD0.ndx", nullptr},              // cut short
  };
  TempDir dir;
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    std::ofstream(dir.Folder() + c.native, std::ios::binary) << c.native;
    if (c.listed) expected.push_back(c.listed);
  }
  std::vector<std::string> listed = ListFolder(dir.Folder(), ".ndx");
  std::sort(listed.begin(), listed.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);
  for (const Case& c : cases) {
    if (c.listed) {
      EXPECT_EQ(ReadWholeFile(dir.Path(c.listed)), c.native) << c.listed;
    }
  }
  // Its bytes as a Windows-1251 name name another file, which is not there.
  EXPECT_FALSE(ReadWholeFile(dir.Path("\xCF\xE5.ndx")).has_value());
}

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
