#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <string>

#include "platform/kernel32.h"
#include "tests/platform/PlatformTestSupport.h"

namespace {

using platform_test::TempDirectory;
using platform_test::WriteAll;

std::string StoredAttribute(const std::string& path) {
  char value[64];
  ssize_t n = getxattr(path.c_str(), "user.DOSATTRIB", value, sizeof(value));
  return n < 0 ? "<none>" : std::string(value, static_cast<size_t>(n));
}

mode_t ModeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

TEST(FileAttributes, PlainFilesAndFolders) {
  TempDirectory dir;
  WriteAll(dir.Unix("f"), "x");
  EXPECT_EQ(GetFileAttributesA(dir.Windows("f").c_str()), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(CreateDirectoryA(dir.Windows("d").c_str(), nullptr));
  EXPECT_EQ(GetFileAttributesA(dir.Windows("d").c_str()), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesA(dir.Windows("d\\").c_str()), FILE_ATTRIBUTE_DIRECTORY);

  EXPECT_EQ(GetFileAttributesA(dir.Windows("missing").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesA(dir.Windows("missing\\f").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesA(dir.Windows("f\\g").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(FileAttributes, ReadOnlyIsTheAbsenceOfWritePermission) {
  TempDirectory dir;
  std::string unixPath = dir.Unix("f");
  WriteAll(unixPath, "x");
  ASSERT_EQ(chmod(unixPath.c_str(), 0664), 0);
  ASSERT_TRUE(SetFileAttributesA(dir.Windows("f").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(ModeOf(unixPath), 0444u);
  EXPECT_EQ(GetFileAttributesA(dir.Windows("f").c_str()), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(SetFileAttributesA(dir.Windows("f").c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_NE(ModeOf(unixPath) & S_IWUSR, 0u);
  EXPECT_EQ(GetFileAttributesA(dir.Windows("f").c_str()), FILE_ATTRIBUTE_NORMAL);
  // A file someone made writable for the group only is not read-only either.
  ASSERT_EQ(chmod(unixPath.c_str(), 0464), 0);
  EXPECT_EQ(GetFileAttributesA(dir.Windows("f").c_str()), FILE_ATTRIBUTE_NORMAL);
}

class StoredAttributes : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!platform_test::SupportsUserXattrs(dir_.path())) {
      GTEST_SKIP() << "the file system under /tmp keeps no user extended attributes";
    }
    WriteAll(dir_.Unix("f"), "x");
  }
  std::string Path() const { return dir_.Windows("f"); }
  TempDirectory dir_;
};

TEST_F(StoredAttributes, HiddenSystemAndArchiveAreKeptAsHexText) {
  ASSERT_TRUE(SetFileAttributesA(Path().c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(StoredAttribute(dir_.Unix("f")), "0x22");
  EXPECT_EQ(GetFileAttributesA(Path().c_str()), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  ASSERT_TRUE(SetFileAttributesA(Path().c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(StoredAttribute(dir_.Unix("f")), "<none>");
  EXPECT_EQ(GetFileAttributesA(Path().c_str()), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(StoredAttributes, SettingReplacesEveryBitAtOnce) {
  ASSERT_TRUE(SetFileAttributesA(
      Path().c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(GetFileAttributesA(Path().c_str()),
            FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
  // Hidden alone: read-only, system and archive go.
  ASSERT_TRUE(SetFileAttributesA(Path().c_str(), FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(GetFileAttributesA(Path().c_str()), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_NE(ModeOf(dir_.Unix("f")) & S_IWUSR, 0u);
  // Bits that cannot be set are ignored.
  ASSERT_TRUE(SetFileAttributesA(Path().c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM));
  EXPECT_EQ(GetFileAttributesA(Path().c_str()), FILE_ATTRIBUTE_SYSTEM);
}

TEST_F(StoredAttributes, FoldersKeepReadOnlyAsAFlagOnly) {
  ASSERT_TRUE(CreateDirectoryA(dir_.Windows("d").c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesA(dir_.Windows("d").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributesA(dir_.Windows("d").c_str()),
            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
  HANDLE file = CreateFileA(dir_.Windows("d\\inside").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_NEW, 0, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE) << "files can still be made inside";
  CloseHandle(file);
}

TEST_F(StoredAttributes, ValuesWrittenByOtherToolsAreRead) {
  // Text, its zero and a binary record after it, as another tool may leave it.
  const char value[] = "0x21\0\x03\x00\x11";
  ASSERT_EQ(setxattr(dir_.Unix("f").c_str(), "user.DOSATTRIB", value, sizeof(value) - 1, 0), 0);
  EXPECT_EQ(GetFileAttributesA(Path().c_str()), FILE_ATTRIBUTE_ARCHIVE)
      << "read-only comes from the mode";
  ASSERT_EQ(setxattr(dir_.Unix("f").c_str(), "user.DOSATTRIB", "junk", 4, 0), 0);
  EXPECT_EQ(GetFileAttributesA(Path().c_str()), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(StoredAttributes, OverwritingAHiddenFileMustNameTheHiddenBit) {
  ASSERT_TRUE(SetFileAttributesA(Path().c_str(), FILE_ATTRIBUTE_HIDDEN));
  HANDLE file = CreateFileA(Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(platform_test::ReadAll(dir_.Unix("f")), "x");
  file = CreateFileA(Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_HIDDEN, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  // Opening without replacing is not affected.
  file = CreateFileA(Path().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
}

TEST_F(StoredAttributes, NewFilesTakeAttributesFromTheFlags) {
  HANDLE file = CreateFileA(dir_.Windows("new").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "ok", 2, &written, nullptr)) << "the creator may still write";
  CloseHandle(file);
  EXPECT_EQ(GetFileAttributesA(dir_.Windows("new").c_str()),
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
}

TEST(FileAttributesWithoutXattrs, HiddenCannotBeSetWhereTheFileSystemRefuses) {
  // procfs refuses extended attributes outright.
  const char* path = "/proc/self/comm";
  if (setxattr(path, "user.velmora-probe", "1", 1, 0) == 0 || errno != ENOTSUP) {
    GTEST_SKIP() << path << " unexpectedly keeps user extended attributes";
  }
  SetLastError(0);
  EXPECT_FALSE(SetFileAttributesA(path, FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(GetFileAttributesA(path) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_TRUE(SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL)) << "clearing needs nothing stored";
}

}  // namespace
