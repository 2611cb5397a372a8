#include "tvguide/channel_catalogue.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/file_io.h"
#include "support/temp_dir.h"

namespace kolvar {
namespace {

using testing::TempDir;
using Names = std::vector<std::string>;

TEST(ChannelListTest, ListsIndexFilesOfAnyCaseAndRestoresCheckMarks) {
  TempDir dir;
  for (const char* name :
       {"A.ndx", "b.NDX", "c.pdt", "notes.txt", ".hidden.ndx", "~z.ndx", "_x.ndx", "[y.ndx"}) {
    ASSERT_TRUE(WriteFileAtomic(dir.Path(name), "x"));
  }
  std::filesystem::create_directory(ToNativePath(dir.Path("folder.ndx")));
  TSettings s;
  s.Channels = {"a.NDX", "gone.ndx", "B.ndx"};
  s.ChannelCount = 2;  // the third is not counted
  const ChannelListing listing = ListChannels(dir.Folder(), s);
  // Windows orders by the upper-cased names: letters come before "[" and "_".
  EXPECT_EQ(listing.names,
            (Names{".hidden.ndx", "A.ndx", "b.NDX", "folder.ndx", "[y.ndx", "_x.ndx", "~z.ndx"}));
  EXPECT_EQ(listing.checked, (std::vector<bool>{false, true, false, false, false, false, false}));
}

TEST(ChannelListTest, NothingFoundInAnEmptyOrMissingFolder) {
  TempDir dir;
  EXPECT_TRUE(ListChannels(dir.Folder(), TSettings{}).names.empty());
  EXPECT_TRUE(ListChannels(dir.Path("no-such-folder/"), TSettings{}).names.empty());
}

TEST(TimeShiftTableTest, AnEntryBelongsToTheChannelItNames) {
  TSettings s;
  s.TimeShifts = {"XA.ndx#30", "a.NDX#-90", "A#B.ndx#x", "C.ndx", "D.ndx#60"};
  s.TimeShiftCount = 4;
  EXPECT_EQ(FindTimeShiftEntry(s, "A.ndx"), 1u);  // not XA.ndx's; letter case ignored
  EXPECT_EQ(FindTimeShiftEntry(s, "xa.ndx"), 0u);
  EXPECT_EQ(FindTimeShiftEntry(s, "A#B.ndx"), 2u);  // the name ends at the last "#"
  EXPECT_EQ(FindTimeShiftEntry(s, "C.ndx"), 3u);    // no "#": the whole entry
  EXPECT_EQ(FindTimeShiftEntry(s, "X"), std::nullopt);
  EXPECT_EQ(FindTimeShiftEntry(s, "D.ndx"), std::nullopt);  // past the count
  EXPECT_EQ(TimeShiftOfEntry("A.ndx#-90"), -90);
  EXPECT_EQ(TimeShiftOfEntry("A#B.ndx#+30"), 30);
  EXPECT_EQ(TimeShiftOfEntry("B.ndx#x"), std::nullopt);
  EXPECT_EQ(TimeShiftOfEntry("B.ndx#"), std::nullopt);
  EXPECT_EQ(TimeShiftOfEntry("120"), 120);  // no "#": the whole entry

  StoreTimeShift(s, "A#B.ndx", 30);
  EXPECT_EQ(s.TimeShifts[2], "A#B.ndx#30");
  EXPECT_EQ(s.TimeShiftCount, 4);
  StoreTimeShift(s, "E.ndx", -1440);
  EXPECT_EQ(s.TimeShiftCount, 5);
  EXPECT_EQ(s.TimeShifts, (Names{"XA.ndx#30", "a.NDX#-90", "A#B.ndx#30", "C.ndx", "E.ndx#-1440"}));

  // Another channel's entry is never taken over.
  TSettings only;
  only.TimeShifts = {"XA.ndx#60"};
  only.TimeShiftCount = 1;
  EXPECT_EQ(FindTimeShiftEntry(only, "A.ndx"), std::nullopt);
  StoreTimeShift(only, "A.ndx", 30);
  EXPECT_EQ(only.TimeShifts, (Names{"XA.ndx#60", "A.ndx#30"}));
  EXPECT_EQ(only.TimeShiftCount, 2);
}

}  // namespace
}  // namespace kolvar
