// The parts of a path and joining, natively and under Windows: the rules every program's
// paths are cut and joined by.
#include <gtest/gtest.h>

#include <string>

#include "path.h"

namespace {

TEST(PathTest, PartsOfAPath) {
  const struct {
    const char *path, *folder, *name, *extension;
  } cases[] = {
      {"C:\\Pics\\sea.jpg", "C:\\Pics", "sea.jpg", ".jpg"},
      {"C:\\x.Jpeg", "C:", "x.Jpeg", ".Jpeg"},
      {"C:\\a.b\\name", "C:\\a.b", "name", ""},  // a dot in a folder is no extension
      {"a.tar.gz", "", "a.tar.gz", ".gz"},
      {"\\.wcl", "", ".wcl", ".wcl"},
      {"C:\\Pics\\", "C:\\Pics", "", ""},
      {"C:\\\\a.bmp", "C:\\", "a.bmp", ".bmp"},  // a doubled backslash after a drive's root
      {"", "", "", ""},
#ifdef _WIN32
      {"C:/Pics/sea.jpg", "", "C:/Pics/sea.jpg", ".jpg"},  // Windows paths cut at backslashes
#else
      {"/tmp/lists/new.wcl", "/tmp/lists", "new.wcl", ".wcl"},
      {"/tmp\\mixed/a.gif", "/tmp\\mixed", "a.gif", ".gif"},
#endif
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(c.folder, FolderOf(c.path));
    EXPECT_EQ(c.name, FileNameOf(c.path));
    EXPECT_EQ(c.extension, ExtensionOf(c.path));
    // The name and the extension end where the path does, so they can be handed on as C text.
    EXPECT_STREQ(c.name, FileNameOf(c.path).data());
    EXPECT_STREQ(c.extension, ExtensionOf(c.path).data());
  }
  EXPECT_TRUE(HasSeparator("\\x"));
  EXPECT_FALSE(HasSeparator("plain"));
  EXPECT_TRUE(HasExtension("D:\\x.JPG", ".jpg"));
  EXPECT_FALSE(HasExtension("D:\\x.jpg.bak", ".jpg"));
  EXPECT_TRUE(IsBareDrive("C:"));
  EXPECT_FALSE(IsBareDrive("C:\\"));
  EXPECT_TRUE(EndsWithSeparator("C:\\"));
  EXPECT_FALSE(EndsWithSeparator("C:"));
  EXPECT_EQ("C:\\Pics\\a.bmp", JoinPath("C:\\Pics", "a.bmp"));
  EXPECT_EQ("C:\\\\a.bmp", JoinPath("C:\\", "a.bmp"));  // a root's backslash is kept
  EXPECT_EQ(std::string(300, 'x') + "\\y", JoinPath(std::string(300, 'x'), "y"));  // no limit
}

}  // namespace
