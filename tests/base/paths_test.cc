#include "base/paths.h"

#include <gtest/gtest.h>

#include "base/file_io.h"

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

TEST(PathsTest, ANameWithoutExtensionTakesTheChosenTypes) {
  constexpr char kFilter[] = "Text file (*.txt)|*.TXT|Calendar (*.ics)|*.ICS|All|*.*";
  struct Case {
    const char* typed;
    int type;
    const char* path;
  };
  for (const Case& c :
       {Case{"C:\\TV\\x", 1, "C:\\TV\\x.txt"}, Case{"C:\\TV\\x", 2, "C:\\TV\\x.ics"},
        Case{"C:\\TV\\x", 3, "C:\\TV\\x"}, Case{"C:\\TV\\x", 4, "C:\\TV\\x"},
        Case{"C:\\TV\\x", 0, "C:\\TV\\x"}, Case{"C:\\TV\\x.ICS", 1, "C:\\TV\\x.ICS"},
        Case{"C:\\T.V\\x", 2, "C:\\T.V\\x.ics"}, Case{"x.list", 2, "x.list"},
        Case{"C:\\TV\\", 2, "C:\\TV\\"}}) {
    EXPECT_EQ(WithChosenExtension(c.typed, kFilter, c.type), c.path) << c.typed << " " << c.type;
  }
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
