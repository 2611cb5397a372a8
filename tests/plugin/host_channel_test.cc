#include "plugin/host_channel.h"

#include <gtest/gtest.h>

#include <string>

namespace kolvar {
namespace {

TEST(HostChannelTest, TextsAreCutIntoPiecesOf63) {
  struct Case {
    std::size_t length;
    std::vector<std::size_t> pieces;
  };
  const Case cases[] = {
      {0, {0}},           {63, {63}},          {64, {63, 1}},       {126, {63, 63}},
      {127, {63, 63, 1}}, {189, {63, 63, 63}}, {300, {63, 63, 63}},
  };
  for (const auto& c : cases) {
    std::string text;
    for (std::size_t i = 0; i < c.length; ++i) text += static_cast<char>('a' + i % 26);
    HostEvent event = MakeHostEvent(text, kKindMess);
    EXPECT_EQ(event.text, text) << c.length;
    ASSERT_EQ(event.pieces.size(), c.pieces.size()) << c.length;
    std::size_t at = 0;
    for (std::size_t i = 0; i < c.pieces.size(); ++i) {
      EXPECT_EQ(event.pieces[i], text.substr(at, c.pieces[i])) << c.length << " piece " << i;
      at += c.pieces[i];
    }
  }
}

TEST(HostChannelTest, KindTextsByCode) {
  EXPECT_EQ(KindText(50), "NOTIF");
  EXPECT_EQ(KindText(100), "USER");
  EXPECT_EQ(KindText(-10), "MESS");
  EXPECT_EQ(KindText(-25), "SEARCHSTATUS:RUNNING");
  EXPECT_EQ(KindText(-30), "SEARCHSTATUS:COMPLETE");
  EXPECT_EQ(KindText(7), "UNKNOWN");
  EXPECT_EQ(MakeHostEvent("x", 7).kind, "UNKNOWN");
  EXPECT_EQ(MakeHostEvent("x", 7).name, "Kolvar");
}

}  // namespace
}  // namespace kolvar
