// The parts of a path and joining, natively and under Windows: the rules every program's
// paths are cut and joined by.
#include <gtest/gtest.h>

#include <string>

#include "path.h"
#include "platform.h"

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

// UTF-8 and UTF-16 both ways, with the bytes that are no UTF-8 replaced, never skipped or read
// past; the ANSI code page's text as UTF-8.
TEST(PathTest, TextConversions) {
  const struct {
    std::string utf8;
    std::wstring wide;
    bool valid;
    std::string back;  // Utf8FromWide(wide)
  } cases[] = {
      {"plain", L"plain", true, "plain"},
      {"\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE", L"\x0424\x043E\x0442\x043E", true, ""},
      {"\xE6\x9D\xB1\xE4\xBA\xAC", L"\x6771\x4EAC", true, ""},
      {"\xF0\x9F\x93\xB7", L"\xD83D\xDCF7", true, ""},                   // a surrogate pair
      {"a\xE9z", L"a\xFFFDz", false, "a\xEF\xBF\xBDz"},                  // code page 1252's "é"
      {"\xC0\x80", L"\xFFFD\xFFFD", false, "\xEF\xBF\xBD\xEF\xBF\xBD"},  // overlong
      {"\xED\xA0\x80", L"\xFFFD\xFFFD\xFFFD", false, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"\xF0\x9F\x93", L"\xFFFD\xFFFD\xFFFD", false,
       "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // cut short
      {"\xF4\x90\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD", false,
       "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // past U+10FFFF
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(c.wide, WideFromUtf8(c.utf8));
    EXPECT_EQ(c.valid, IsValidUtf8(c.utf8));
    EXPECT_EQ(c.back.empty() ? c.utf8 : c.back, Utf8FromWide(c.wide));
    EXPECT_EQ(c.wide.size(), Utf16Length(c.utf8));
  }
  EXPECT_EQ("\xEF\xBF\xBDx", Utf8FromWide(L"\xDC00x")) << "an unpaired surrogate";
  EXPECT_EQ("", Utf8FromWide(static_cast<const wchar_t *>(nullptr)));
  EXPECT_TRUE(IsAscii("C:\\a b.bmp"));
  EXPECT_FALSE(IsAscii("C:\\\xC3\xA9.bmp"));
#ifdef _WIN32
  if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << GetACP();
#endif
  EXPECT_EQ("caf\xC3\xA9 \xE2\x82\xAC\xE2\x80\x9C", Utf8FromAnsi("caf\xE9 \x80\x93"));
}

// Paths too long for the plain form get the "\\?\" form, absolute and with a share's "UNC";
// short ones stay as they are.
TEST(PathTest, WidePathForms) {
  EXPECT_EQ(L"C:\\\x0424\\a.bmp", WidePath("C:\\\xD0\xA4\\a.bmp"));
#ifdef _WIN32
  const std::string deep = "C:\\" + std::string(300, 'd') + "\\a.bmp";
  EXPECT_EQ(L"\\\\?\\" + WideFromUtf8(deep), WidePath(deep));
  EXPECT_EQ(L"\\\\?\\C:\\" + std::wstring(300, L'd') + L"\\b.bmp",
            WidePath("C:\\" + std::string(300, 'd') + "\\x\\..\\.\\b.bmp"));
  const std::string share = "\\\\server\\share\\" + std::string(300, 's');
  EXPECT_EQ(L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L's'), WidePath(share));
  EXPECT_EQ(L"\\\\?\\" + WideFromUtf8(deep), WidePath("\\\\?\\" + deep)) << "kept";
#endif
}

}  // namespace
