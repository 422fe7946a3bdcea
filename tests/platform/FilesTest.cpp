#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "platform/kernel32.h"
#include "tests/platform/PlatformTestSupport.h"

namespace {

using platform_test::Exists;
using platform_test::ReadAll;
using platform_test::TempDirectory;
using platform_test::WriteAll;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING) {
  return CreateFileA(path.c_str(), access, share, nullptr, disposition, 0, nullptr);
}

std::string ReadThrough(HANDLE file, DWORD count) {
  std::string data(count, '\0');
  DWORD read = 0;
  if (!ReadFile(file, data.data(), count, &read, nullptr)) return "<failed>";
  data.resize(read);
  return data;
}

bool WriteThrough(HANDLE file, std::string_view data) {
  DWORD written = 0;
  return WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
         written == data.size();
}

TEST(Files, WriteReadAndSizeThroughBackslashPaths) {
  TempDirectory dir;
  HANDLE file = Open(dir.Windows("data.bin"), GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_LE(reinterpret_cast<uintptr_t>(file), 0xFFFFFFFFu) << "handles fit in 32 bits";
  EXPECT_NE(file, nullptr);
  EXPECT_TRUE(WriteThrough(file, "hello world"));
  DWORD high = 99;
  EXPECT_EQ(GetFileSize(file, &high), 11u);
  EXPECT_EQ(high, 0u);
  EXPECT_EQ(SetFilePointer(file, 6, nullptr, FILE_BEGIN), 6u);
  EXPECT_EQ(ReadThrough(file, 100), "world") << "a short read at the end still succeeds";
  EXPECT_EQ(ReadThrough(file, 100), "") << "reading at the end gives zero bytes";
  EXPECT_EQ(SetFilePointer(file, -6, nullptr, FILE_END), 5u);
  EXPECT_TRUE(SetEndOfFile(file));
  EXPECT_EQ(GetFileSize(file, nullptr), 5u);
  EXPECT_TRUE(FlushFileBuffers(file));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(ReadAll(dir.Unix("data.bin")), "hello");
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Files, DispositionsAndTheErrorsTheyReport) {
  TempDirectory dir;
  std::string path = dir.Windows("f.txt");
  WriteAll(dir.Unix("f.txt"), "old contents");

  EXPECT_EQ(Open(path, GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);

  HANDLE file = Open(path, GENERIC_READ, 0, OPEN_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(ReadThrough(file, 100), "old contents");
  CloseHandle(file);

  file = Open(dir.Windows("new.txt"), GENERIC_READ, 0, OPEN_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  CloseHandle(file);

  file = Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(GetFileSize(file, nullptr), 0u);
  EXPECT_TRUE(WriteThrough(file, "abc"));
  CloseHandle(file);

  EXPECT_EQ(Open(path, GENERIC_READ, 0, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE)
      << "truncating needs write access";
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  file = Open(path, GENERIC_WRITE, 0, TRUNCATE_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_EQ(ReadAll(dir.Unix("f.txt")), "");

  EXPECT_EQ(Open(dir.Windows("missing.txt"), GENERIC_READ, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open(dir.Windows("no\\such\\x.txt"), GENERIC_WRITE, 0, CREATE_ALWAYS),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(Exists(dir.Unix("no"))) << "a failed create makes no folders";
  EXPECT_EQ(Open("", GENERIC_READ, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(Open(dir.Windows("a*.txt"), GENERIC_READ, 0, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
  EXPECT_EQ(Open(path, GENERIC_READ, 0, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(Files, FoldersCannotBeOpenedAsFiles) {
  TempDirectory dir;
  ASSERT_TRUE(CreateDirectoryA(dir.Windows("sub").c_str(), nullptr));
  for (DWORD access : {DWORD{GENERIC_READ}, DWORD{GENERIC_WRITE}}) {
    for (DWORD disposition : {DWORD{OPEN_EXISTING}, DWORD{OPEN_ALWAYS}}) {
      EXPECT_EQ(Open(dir.Windows("sub"), access, kShareAll, disposition), INVALID_HANDLE_VALUE);
      EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    }
  }
}

TEST(Files, ReadOnlyFilesRefuseWritersEvenForRoot) {
  TempDirectory dir;
  std::string unixPath = dir.Unix("ro.txt");
  WriteAll(unixPath, "keep");
  ASSERT_EQ(chmod(unixPath.c_str(), 0444), 0);
  std::string path = dir.Windows("ro.txt");

  EXPECT_EQ(Open(path, GENERIC_WRITE, kShareAll), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Open(path, GENERIC_READ, kShareAll, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(DeleteFileA(path.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadAll(unixPath), "keep");

  HANDLE reader = Open(path, GENERIC_READ, kShareAll);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadThrough(reader, 10), "keep");
  CloseHandle(reader);
}

TEST(Files, HandlesOnlyDoWhatTheirAccessAllows) {
  TempDirectory dir;
  WriteAll(dir.Unix("f"), "data");
  HANDLE reader = Open(dir.Windows("f"), GENERIC_READ, kShareAll);
  HANDLE writer = Open(dir.Windows("f"), GENERIC_WRITE, kShareAll);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  DWORD count = 7;
  char buffer[4];
  EXPECT_FALSE(WriteFile(reader, "x", 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(count, 0u);
  EXPECT_FALSE(SetEndOfFile(reader));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(ReadFile(writer, buffer, 4, &count, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, buffer, 4, &count, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  CloseHandle(reader);
  CloseHandle(writer);
}

TEST(Files, EveryHandleHasItsOwnFilePointer) {
  TempDirectory dir;
  WriteAll(dir.Unix("f"), "0123456789");
  HANDLE a = Open(dir.Windows("f"), GENERIC_READ, FILE_SHARE_READ);
  HANDLE b = Open(dir.Unix("f"), GENERIC_READ, FILE_SHARE_READ);
  ASSERT_NE(a, INVALID_HANDLE_VALUE);
  ASSERT_NE(b, INVALID_HANDLE_VALUE);
  EXPECT_NE(a, b);
  EXPECT_EQ(ReadThrough(a, 4), "0123");
  EXPECT_EQ(ReadThrough(b, 2), "01");
  EXPECT_EQ(ReadThrough(a, 2), "45");
  CloseHandle(a);
  CloseHandle(b);
}

TEST(Files, FilePointerBeyondFourGigabytesNeedsTheHighWord) {
  TempDirectory dir;
  HANDLE file = Open(dir.Windows("big"), GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LONG high = 1;
  EXPECT_EQ(SetFilePointer(file, 0x10, &high, FILE_BEGIN), 0x10u);
  EXPECT_EQ(high, 1);
  ASSERT_TRUE(SetEndOfFile(file));  // sparse: no real space is used
  DWORD sizeHigh = 0;
  EXPECT_EQ(GetFileSize(file, &sizeHigh), 0x10u);
  EXPECT_EQ(sizeHigh, 1u);

  // Without the high word the result would not fit, so nothing moves.
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  high = 0;
  EXPECT_EQ(SetFilePointer(file, 0, &high, FILE_CURRENT), 0x10u);
  EXPECT_EQ(high, 1);

  // Moving before the start fails and leaves the pointer where it was.
  EXPECT_EQ(SetFilePointer(file, 5, nullptr, FILE_BEGIN), 5u);
  EXPECT_EQ(SetFilePointer(file, -6, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 5u);
  CloseHandle(file);
}

struct ShareCase {
  const char* what;
  DWORD firstAccess, firstShare, secondAccess, secondShare;
  bool secondOpens;
};

class ShareModes : public ::testing::TestWithParam<ShareCase> {};

TEST_P(ShareModes, SecondOpenOfTheSameFile) {
  const ShareCase& c = GetParam();
  TempDirectory dir;
  WriteAll(dir.Unix("f"), "x");
  HANDLE first = Open(dir.Windows("f"), c.firstAccess, c.firstShare);
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  // The second open spells the path differently: what counts is the file itself.
  HANDLE second = Open(dir.Unix("f"), c.secondAccess, c.secondShare);
  if (c.secondOpens) {
    EXPECT_NE(second, INVALID_HANDLE_VALUE);
  } else {
    EXPECT_EQ(second, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  }
  if (second != INVALID_HANDLE_VALUE) CloseHandle(second);
  CloseHandle(first);
  // Closing the first open lifts whatever it imposed.
  second = Open(dir.Unix("f"), c.secondAccess, c.secondShare);
  EXPECT_NE(second, INVALID_HANDLE_VALUE);
  CloseHandle(second);
}

constexpr DWORD R = GENERIC_READ, W = GENERIC_WRITE, RW = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE,
                SRW = FILE_SHARE_READ | FILE_SHARE_WRITE;

INSTANTIATE_TEST_SUITE_P(
    Table, ShareModes,
    ::testing::Values(
        ShareCase{"readers sharing reads", R, SR, R, SR, true},
        ShareCase{"a writer where only reads are shared", R, SR, W, SRW, false},
        ShareCase{"a second open that forbids the first one's writing", W, SRW, R, SR, false},
        ShareCase{"a second open that forbids the first one's reading", R, SRW, R, SW, false},
        ShareCase{"writers sharing writes", W, SW, W, SW, true},
        ShareCase{"readers and writers sharing all", RW, SRW, RW, SRW, true},
        ShareCase{"an exclusive open keeps readers out", R, 0, R, SRW, false},
        ShareCase{"an exclusive writer keeps writers out", W, 0, W, SRW, false},
        ShareCase{"opens without data access are never in the way", 0, 0, RW, 0, true},
        ShareCase{"and are never kept out", RW, 0, 0, 0, true},
        ShareCase{"a reader who shares only writes", W, SRW, R, SW, true}),
    [](const ::testing::TestParamInfo<ShareCase>& info) {
      // "an exclusive open keeps readers out" -> "AnExclusiveOpenKeepsReadersOut"
      std::string name;
      bool upper = true;
      for (const char* p = info.param.what; *p != 0; ++p) {
        if (std::isalnum(static_cast<unsigned char>(*p))) {
          name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(*p))) : *p;
          upper = false;
        } else {
          upper = true;
        }
      }
      return name;
    });

TEST(Files, CreateAlwaysRefusedForSharingLeavesTheFileUntouched) {
  TempDirectory dir;
  WriteAll(dir.Unix("f"), "precious");
  HANDLE holder = Open(dir.Windows("f"), GENERIC_READ, FILE_SHARE_READ);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  for (DWORD disposition : {DWORD{CREATE_ALWAYS}, DWORD{TRUNCATE_EXISTING}, DWORD{OPEN_ALWAYS}}) {
    EXPECT_EQ(Open(dir.Windows("f"), GENERIC_WRITE, kShareAll, disposition), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(ReadAll(dir.Unix("f")), "precious");
  }
  // The same goes for a writer that would forbid the reader already there.
  EXPECT_EQ(Open(dir.Windows("f"), GENERIC_WRITE, FILE_SHARE_WRITE, CREATE_ALWAYS),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadAll(dir.Unix("f")), "precious");
  CloseHandle(holder);
}

TEST(Files, HardLinksAreTheSameFileForSharing) {
  TempDirectory dir;
  WriteAll(dir.Unix("a"), "x");
  ASSERT_EQ(link(dir.Unix("a").c_str(), dir.Unix("b").c_str()), 0);
  HANDLE first = Open(dir.Windows("a"), GENERIC_READ, 0);
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Open(dir.Windows("b"), GENERIC_READ, kShareAll), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  CloseHandle(first);
}

TEST(Files, DeletingNeedsEveryOpenToShareDelete) {
  TempDirectory dir;
  WriteAll(dir.Unix("f"), "x");
  HANDLE file = Open(dir.Windows("f"), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteFileA(dir.Windows("f").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(Exists(dir.Unix("f")));
  CloseHandle(file);

  file = Open(dir.Windows("f"), GENERIC_READ, kShareAll);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(DeleteFileA(dir.Windows("f").c_str()));
  EXPECT_FALSE(Exists(dir.Unix("f")));
  CloseHandle(file);

  EXPECT_FALSE(DeleteFileA(dir.Windows("f").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(DeleteFileA(dir.Windows("gone\\f").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  ASSERT_TRUE(CreateDirectoryA(dir.Windows("sub").c_str(), nullptr));
  EXPECT_FALSE(DeleteFileA(dir.Windows("sub").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(Files, CreatingAndRemovingFolders) {
  TempDirectory dir;
  std::string sub = dir.Windows("sub");
  EXPECT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA(sub.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(CreateDirectoryA(dir.Windows("x\\y").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

  WriteAll(dir.Unix("sub/file"), "x");
  EXPECT_FALSE(RemoveDirectoryA(sub.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
  EXPECT_FALSE(RemoveDirectoryA(dir.Windows("sub\\file").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
  ASSERT_TRUE(DeleteFileA(dir.Windows("sub\\file").c_str()));
  EXPECT_TRUE(RemoveDirectoryA(sub.c_str()));
  EXPECT_FALSE(Exists(dir.Unix("sub")));
  EXPECT_FALSE(RemoveDirectoryA(sub.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(Files, GbkNamesReachTheDiskAsUtf8) {
  TempDirectory dir;
  std::string folder = dir.Windows(platform_test::kFolderGbk);
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  std::string name = folder + "\\" + platform_test::kPhotoGbk + ".txt";
  HANDLE file = Open(name, GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(WriteThrough(file, "gbk"));
  CloseHandle(file);
  EXPECT_EQ(ReadAll(dir.Unix(std::string(platform_test::kFolderUtf8) + "/" +
                             platform_test::kPhotoUtf8 + ".txt")),
            "gbk");

  // 0x5C inside a double-byte character is part of the character, not a separator.
  std::string tricky = dir.Windows(std::string(platform_test::kBackslashTrailGbk) + ".txt");
  file = Open(tricky, GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_TRUE(Exists(dir.Unix(std::string(platform_test::kBackslashTrailUtf8) + ".txt")));
  EXPECT_TRUE(DeleteFileA(tricky.c_str()));

  // Bytes that are not GBK cannot name a file.
  EXPECT_EQ(Open(dir.Windows("bad\xFF"), GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
}

}  // namespace
