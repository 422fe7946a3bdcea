#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/kernel/Wildcard.h"
#include "platform/kernel32.h"
#include "tests/platform/PlatformTestSupport.h"

namespace {

using platform::kernel::WildcardPattern;
using platform_test::TempDirectory;
using platform_test::WriteAll;

struct WildcardCase {
  std::u16string pattern;
  std::u16string name;
  bool matches;
};

TEST(Wildcard, MatchingTable) {
  const WildcardCase cases[] = {
      {u"*", u"anything.txt", true},
      {u"*", u".", true},
      {u"*.jpg", u"a.jpg", true},
      {u"*.jpg", u"a.JPG", true},
      {u"*.JPG", u"photo.jpg", true},
      {u"*.jpg", u"a.jpeg", false},
      {u"*.jpg", u"ajpg", false},
      {u"*.jpg", u"a.b.jpg", true},
      {u"*.jpg", u"a.jpg.bak", false},
      {u"*.*", u"noext", true},
      {u"*.*", u"a.b", true},
      {u"*.*", u"..", true},
      {u"*.", u"noext", true},
      {u"*.", u"a.b", false},
      {u"a*", u"A", true},
      {u"a*b", u"aXYb", true},
      {u"a*b", u"aXYbc", false},
      {u"?", u"a", true},
      {u"?", u"ab", false},
      {u"?.txt", u"a.txt", true},
      {u"?.txt", u"ab.txt", false},
      {u"a?c", u"abc", true},
      {u"a?c", u"ac", false},
      {u"a?c", u"a.c", false},
      // Before a dot or at the end a '?' may match nothing.
      {u"file?.jpg", u"file.jpg", true},
      {u"file?.jpg", u"file1.jpg", true},
      {u"file?.jpg", u"file12.jpg", false},
      {u"ab??", u"ab", true},
      {u"x.*", u"x", true},
      {u"x.*", u"x.tar.gz", true},
      {u"readme", u"README", true},
      {u"\u7167*", u"\u7167\u7247.jpg", true},
      {u"\u7167?.jpg", u"\u7167\u7247.jpg", true},
      {u"", u"a", false},
  };
  for (const WildcardCase& c : cases) {
    EXPECT_EQ(WildcardPattern(c.pattern).Matches(c.name), c.matches)
        << std::string(c.pattern.begin(), c.pattern.end()) << " vs "
        << std::string(c.name.begin(), c.name.end());
  }
}

std::vector<std::string> FindAll(const std::string& pattern, DWORD* error = nullptr) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  SetLastError(0);
  HANDLE search = FindFirstFileA(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) {
    if (error) *error = GetLastError();
    return names;
  }
  do {
    names.push_back(data.cFileName);
  } while (FindNextFileA(search, &data));
  if (error) *error = GetLastError();
  EXPECT_TRUE(FindClose(search));
  return names;
}

using Names = std::vector<std::string>;

class FileSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a.JPG", "b.jpg", "c.jpeg", "noext", "x.tar.gz"}) {
      WriteAll(dir_.Unix(name), name);
    }
    ASSERT_TRUE(CreateDirectoryA(dir_.Windows("Sub").c_str(), nullptr));
  }
  std::string Pattern(const char* p) const { return dir_.Windows(p); }
  TempDirectory dir_;
};

TEST_F(FileSearch, ListsDotEntriesFirstThenNamesInCaseInsensitiveOrder) {
  EXPECT_EQ(FindAll(Pattern("*")),
            (Names{".", "..", "a.JPG", "b.jpg", "c.jpeg", "noext", "Sub", "x.tar.gz"}));
  EXPECT_EQ(FindAll(Pattern("*.*")), FindAll(Pattern("*")));
}

TEST_F(FileSearch, PatternsSelectLikeWindows) {
  EXPECT_EQ(FindAll(Pattern("*.jpg")), (Names{"a.JPG", "b.jpg"}));
  EXPECT_EQ(FindAll(Pattern("?.JPG")), (Names{"a.JPG", "b.jpg"}));
  EXPECT_EQ(FindAll(Pattern("*.")), (Names{".", "..", "noext", "Sub"}));
  EXPECT_EQ(FindAll(Pattern("x.*")), (Names{"x.tar.gz"}));
  EXPECT_EQ(FindAll(Pattern("s*")), (Names{"Sub"}));
  // Forward slashes separate as well.
  EXPECT_EQ(FindAll(dir_.Unix("*.gz")), (Names{"x.tar.gz"}));
}

TEST_F(FileSearch, APlainNameFindsThatOneEntry) {
  EXPECT_EQ(FindAll(Pattern("noext")), (Names{"noext"}));
  EXPECT_EQ(FindAll(Pattern("Sub")), (Names{"Sub"}));
  DWORD error = 0;
  EXPECT_EQ(FindAll(Pattern("noext"), &error).size(), 1u);
  EXPECT_EQ(error, ERROR_NO_MORE_FILES);
}

TEST_F(FileSearch, FailuresTellAMissingFileFromAMissingFolder) {
  DWORD error = 0;
  EXPECT_TRUE(FindAll(Pattern("*.png"), &error).empty());
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(FindAll(Pattern("missing"), &error).empty());
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(FindAll(Pattern("nowhere\\*"), &error).empty());
  EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
  EXPECT_TRUE(FindAll(Pattern("noext\\*"), &error).empty()) << "a file is no folder";
  EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
  EXPECT_TRUE(FindAll(Pattern("S*\\x"), &error).empty());
  EXPECT_EQ(error, ERROR_INVALID_NAME);
}

TEST_F(FileSearch, FindDataDescribesTheEntry) {
  WriteAll(dir_.Unix("sized"), std::string(1234, 'z'));
  // 2020-01-01 00:00:00 UTC.
  struct timespec times[2] = {{1577836800, 0}, {1577836800, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, dir_.Unix("sized").c_str(), times, 0), 0);
  ASSERT_EQ(chmod(dir_.Unix("noext").c_str(), 0444), 0);

  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(Pattern("sized").c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 1234u);
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
  uint64_t written =
      (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
  EXPECT_EQ(written, 132223104000000000ull);
  EXPECT_EQ(data.cAlternateFileName[0], 0);
  EXPECT_TRUE(FindClose(search));
  EXPECT_FALSE(FindClose(search));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  search = FindFirstFileA(Pattern("Sub").c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(CloseHandle(search)) << "a search is closed with FindClose";
  FindClose(search);

  search = FindFirstFileA(Pattern("noext").c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_READONLY);
  FindClose(search);
}

TEST_F(FileSearch, HiddenAndSystemBitsComeFromTheStoredAttributes) {
  if (!platform_test::SupportsUserXattrs(dir_.path())) GTEST_SKIP() << "no user xattrs under /tmp";
  ASSERT_TRUE(
      SetFileAttributesA(Pattern("b.jpg").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(Pattern("b.*").c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  FindClose(search);
}

TEST(FileSearchNames, GbkNamesRoundTripThroughTheDisk) {
  TempDirectory dir;
  std::string gbkName = std::string(platform_test::kPhotoGbk) + ".jpg";
  HANDLE file =
      CreateFileA(dir.Windows(gbkName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  ASSERT_TRUE(platform_test::Exists(dir.Unix(std::string(platform_test::kPhotoUtf8) + ".jpg")));

  EXPECT_EQ(FindAll(dir.Windows("*.jpg")), (Names{gbkName}));
  EXPECT_EQ(FindAll(dir.Windows(gbkName)), (Names{gbkName}));
  // A wildcard next to a double-byte character.
  EXPECT_EQ(FindAll(dir.Windows(std::string(platform_test::kPhotoGbk, 2) + "*")), (Names{gbkName}));
}

TEST(FileSearchNames, NamesGbkCannotSpellAreLeftOut) {
  TempDirectory dir;
  WriteAll(dir.Unix("plain.txt"), "");
  WriteAll(dir.Unix("thai\xE0\xB8\x81.txt"), "");  // U+0E01 has no GBK form
  WriteAll(dir.Unix("broken\xFF\xFE.txt"), "");    // not UTF-8 at all
  EXPECT_EQ(FindAll(dir.Windows("*.txt")), (Names{"plain.txt"}));
}

}  // namespace
