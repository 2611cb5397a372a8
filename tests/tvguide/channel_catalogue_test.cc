#include "tvguide/channel_catalogue.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/file_io.h"
#include "base/paths.h"
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
  CheckListBox list;
  ASSERT_EQ(FillChannelList(dir.Folder(), s, list), 1);
  // Windows orders by the upper-cased names: letters come before "[" and "_".
  EXPECT_EQ(list.Items,
            (Names{".hidden.ndx", "A.ndx", "b.NDX", "folder.ndx", "[y.ndx", "_x.ndx", "~z.ndx"}));
  EXPECT_EQ(list.Checked, (std::vector<bool>{false, true, false, false, false, false, false}));
  EXPECT_EQ(ChannelCounterText(list), "1/7");
}

TEST(ChannelListTest, NothingFoundEmptiesTheList) {
  TempDir dir;
  CheckListBox list;
  list.Add("old.ndx", true);
  EXPECT_EQ(FillChannelList(dir.Folder(), TSettings{}, list), -1);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(ChannelCounterText(list), "0/0");
  EXPECT_EQ(FillChannelList(dir.Path("no-such-folder/"), TSettings{}, list), -1);
}

TEST(ChannelListTest, CheckedChannelsAreNumberedInThreePlaces) {
  CheckListBox list;
  for (int i = 1; i <= 12; ++i) list.Add("c" + std::to_string(i) + ".ndx", i != 2);
  std::string text = CheckedChannelsText(list);
  EXPECT_EQ(text.substr(0, 22), "  1. c1.ndx\n  2. c3.nd");
  EXPECT_NE(text.find("\n 10. c11.ndx\n 11. c12.ndx"), std::string::npos);
  EXPECT_EQ(text.back(), 'x');
  EXPECT_EQ(CheckedChannelsText(CheckListBox{}), "");
  KeepCheckedChannels(list);
  EXPECT_EQ(list.Count(), 11);
  EXPECT_EQ(list.Items[1], "c3.ndx");
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
