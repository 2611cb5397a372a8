#include "base/paths.h"

#include <gtest/gtest.h>

namespace kolvar {
namespace {

TEST(PathsTest, JoinAddsOneBackslashWhereNeeded) {
  EXPECT_EQ(JoinPath("C:\\Host\\Plugins\\Kolvar\\", "settings.ini"),
            "C:\\Host\\Plugins\\Kolvar\\settings.ini");
  EXPECT_EQ(JoinPath("C:\\TV", "ch1.ndx"), "C:\\TV\\ch1.ndx");
  EXPECT_EQ(JoinPath("/tmp/x/", "a"), "/tmp/x/a");
  EXPECT_EQ(JoinPath("", "a.txt"), "a.txt");
  EXPECT_EQ(JoinPath("C:\\Plug\\", "Skin\\border.bmp"), "C:\\Plug\\Skin\\border.bmp");
}

TEST(PathsTest, DirectoryPartKeepsItsSeparator) {
  EXPECT_EQ(DirectoryPart("C:\\Host\\Plugins\\Kolvar\\Kolvar.dll"), "C:\\Host\\Plugins\\Kolvar\\");
  EXPECT_EQ(DirectoryPart("C:\\host.exe"), "C:\\");
  EXPECT_EQ(DirectoryPart("/opt/host/host.exe"), "/opt/host/");
  EXPECT_EQ(DirectoryPart("host.exe"), "");
  EXPECT_EQ(DirectoryPart(""), "");
  EXPECT_EQ(DirectoryPart("C:\\dir\\"), "C:\\dir\\");
}

TEST(PathsTest, NativePathsUseTheSystemsSeparator) {
#ifdef _WIN32
  EXPECT_EQ(ToNativePath("C:\\Plug\\Skin\\border.bmp"), "C:\\Plug\\Skin\\border.bmp");
#else
  EXPECT_EQ(ToNativePath("/tmp/plug/Skin\\border.bmp"), "/tmp/plug/Skin/border.bmp");
#endif
  EXPECT_EQ(ToNativePath("plain"), "plain");
}

}  // namespace
}  // namespace kolvar
