#include "win32/host_protocol.h"

#include <gtest/gtest.h>

#include <string>

namespace kolvar::win32 {
namespace {

TEST(HostEventRecordTest, LaysOutTheEventForTheHost) {
  HostEvent event{"Kolvar", "NOTIF", "whole text", {"piece one", "piece two"}};
  HostEventRecord rec = LayOutHostEvent(event);
  EXPECT_STREQ(rec.name, "Kolvar");
  EXPECT_STREQ(rec.kind, "NOTIF");
  EXPECT_EQ(std::string(rec.marker, 4), std::string("EXT\0", 4));
  EXPECT_EQ(rec.entryCount, 3);
  EXPECT_EQ(rec.entryFlags[0], 1);
  EXPECT_EQ(rec.entryFlags[1], 0);
  EXPECT_EQ(rec.entryFlags[3], 0);
  EXPECT_STREQ(rec.entryText[0], "whole text");
  EXPECT_STREQ(rec.entryText[1], "piece one");
  EXPECT_STREQ(rec.entryText[2], "piece two");
  EXPECT_EQ(rec.entryText[3], nullptr);
}

TEST(HostEventRecordTest, CutsNameAndKindToTheirFields) {
  HostEvent event{std::string(100, 'n'), std::string(300, 'k'), "t", {"t"}};
  HostEventRecord rec = LayOutHostEvent(event);
  EXPECT_EQ(std::string(rec.name), std::string(63, 'n'));
  EXPECT_EQ(std::string(rec.kind), std::string(123, 'k'));
  EXPECT_EQ(std::string(rec.marker), "EXT");
}

TEST(HostEventRecordTest, NeverPointsPastThreePieces) {
  HostEvent event{"Kolvar", "MESS", "t", {"a", "b", "c", "d"}};
  HostEventRecord rec = LayOutHostEvent(event);
  EXPECT_EQ(rec.entryCount, 4);
  EXPECT_STREQ(rec.entryText[3], "c");
}

}  // namespace
}  // namespace kolvar::win32
