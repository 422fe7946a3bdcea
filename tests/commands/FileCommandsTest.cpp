#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "commands/files/FileCommands.h"
#include "platform/kernel32.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"
#include "tests/commands/CommandTestSupport.h"
#include "tests/common/Gbk.h"
#include "tests/common/TempFolder.h"

namespace cmd {
namespace {

using rt::Arg::Bytes;
using rt::Arg::Int;
using rt::Arg::Text;

using cmdtest::ByteSetBlock;
using cmdtest::TakeBytes;

class FileCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cmdtest::AttachRuntime();
    dir_ = testing_temp::MakeFolder("velmora-files");
    ASSERT_FALSE(dir_.empty());
  }
  void TearDown() override {
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static bool ResultBool(const rt::ArgRecord& r) {
    EXPECT_EQ(r.type, rt::kTypeBool);
    return r.As<int32_t>() != 0;
  }

  std::string dir_;
};

TEST_F(FileCommandsTest, RunDirectoryIsAFreshCopyOfTheRuntimes) {
  rt::ArgRecord r = rt::Call(GetRunDirectory, {});
  ASSERT_EQ(r.type, rt::kTypeText);
  EXPECT_EQ(std::string(static_cast<char*>(r.Pointer())), rt::Runtime().runDirectory);
  EXPECT_NE(r.Pointer(), rt::Runtime().runDirectory.c_str());
  rt::FreeMem(r.Pointer());
}

TEST_F(FileCommandsTest, FileExistsHonoursWildcardsAndDirectories) {
  Write(Path("photo.JPG"), "x");
  EXPECT_TRUE(ResultBool(rt::Call(FileExists, {Text(Path("photo.JPG").c_str())})));
  EXPECT_TRUE(ResultBool(rt::Call(FileExists, {Text((dir_ + "\\*.jpg").c_str())})));
  EXPECT_FALSE(ResultBool(rt::Call(FileExists, {Text((dir_ + "\\*.png").c_str())})));
  EXPECT_TRUE(ResultBool(rt::Call(FileExists, {Text(dir_.c_str())})));
  EXPECT_FALSE(ResultBool(rt::Call(FileExists, {Text(Path("none").c_str())})));
  EXPECT_FALSE(ResultBool(rt::Call(FileExists, {Text("")})));
  EXPECT_FALSE(ResultBool(rt::Call(FileExists, {})));
}

TEST_F(FileCommandsTest, ReadWholeFileGivesTheBytesOrTheEmptyByteSet) {
  std::string binary("a\0b\xFF\xB0\xA1", 6);
  Write(Path("data.bin"), binary);
  Write(Path("empty.bin"), "");
  EXPECT_EQ(TakeBytes(rt::Call(ReadWholeFile, {Text(Path("data.bin").c_str())})), binary);
  rt::ArgRecord empty = rt::Call(ReadWholeFile, {Text(Path("empty.bin").c_str())});
  EXPECT_EQ(empty.Pointer(), nullptr);
  EXPECT_EQ(empty.type, rt::kTypeByteSet);
  EXPECT_EQ(rt::Call(ReadWholeFile, {Text(Path("missing.bin").c_str())}).Pointer(), nullptr);
  EXPECT_EQ(rt::Call(ReadWholeFile, {Text("")}).Pointer(), nullptr);
  EXPECT_EQ(rt::Call(ReadWholeFile, {Text(dir_.c_str())}).Pointer(), nullptr);
}

TEST_F(FileCommandsTest, ReadWholeFileTakesGbkNames) {
  std::string gbkName = testing_gbk::Gbk("已处理照片.bmp");
  std::string onDisk = Path("已处理照片.bmp");
  Write(onDisk, "BM");
  EXPECT_EQ(TakeBytes(rt::Call(ReadWholeFile, {Text((dir_ + "\\" + gbkName).c_str())})), "BM");
}

TEST_F(FileCommandsTest, WriteWholeFileWritesEachNonEmptyByteSetInOrder) {
  std::string path = Path("out.bin");
  EXPECT_TRUE(ResultBool(
      rt::Call(WriteWholeFile, {Text(path.c_str()), ByteSetBlock("BM").Arg(), Bytes(nullptr),
                                ByteSetBlock(std::string_view("\0\1", 2)).Arg()})));
  EXPECT_EQ(Contents(path), std::string("BM\0\1", 4));

  // With no byte set the file is created or cut to nothing.
  EXPECT_TRUE(ResultBool(rt::Call(WriteWholeFile, {Text(path.c_str())})));
  EXPECT_EQ(Contents(path), "");
  EXPECT_EQ(access(path.c_str(), F_OK), 0);
  EXPECT_FALSE(ResultBool(rt::Call(WriteWholeFile, {Text(""), ByteSetBlock("x").Arg()})));
  EXPECT_FALSE(ResultBool(rt::Call(WriteWholeFile, {Text(Path("no/such/dir/f").c_str())})));
}

TEST_F(FileCommandsTest, WriteWholeFileRefusesAFileHeldWithoutWriteSharing) {
  std::string path = Path("held.bin");
  Write(path, "original");
  HANDLE held =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(
      ResultBool(rt::Call(WriteWholeFile, {Text(path.c_str()), ByteSetBlock("new").Arg()})));
  EXPECT_EQ(Contents(path), "original");
  CloseHandle(held);
  EXPECT_TRUE(
      ResultBool(rt::Call(WriteWholeFile, {Text(path.c_str()), ByteSetBlock("new").Arg()})));
  EXPECT_EQ(Contents(path), "new");
}

TEST_F(FileCommandsTest, ReadingWhileWritingIsRefused) {
  // The reader denies writers, so a file held open for writing cannot be read whole.
  std::string path = Path("busy.bin");
  Write(path, "data");
  HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(rt::Call(ReadWholeFile, {Text(path.c_str())}).Pointer(), nullptr);
  CloseHandle(writer);
  EXPECT_EQ(TakeBytes(rt::Call(ReadWholeFile, {Text(path.c_str())})), "data");
}

TEST_F(FileCommandsTest, ChangeFileAttributesSetsExactlyTheSettableBits) {
  std::string path = Path("skin.dll");
  Write(path, "x");
  ASSERT_TRUE(ResultBool(rt::Call(ChangeFileAttributes, {Text(path.c_str()), Int(1 | 4)})));
  EXPECT_EQ(GetFileAttributesA(path.c_str()) & 0x27u, 0x05u);
  // Hidden replaces read-only and system; the directory bit cannot be set.
  ASSERT_TRUE(ResultBool(rt::Call(ChangeFileAttributes, {Text(path.c_str()), Int(2 | 0x10)})));
  EXPECT_EQ(GetFileAttributesA(path.c_str()) & 0x37u, 0x02u);
  EXPECT_EQ(access(path.c_str(), W_OK) == 0 || getuid() == 0, true);
  EXPECT_FALSE(ResultBool(rt::Call(ChangeFileAttributes, {Text(Path("none").c_str()), Int(2)})));
}

TEST_F(FileCommandsTest, ReadOnlyFileCannotBeOverwritten) {
  std::string path = Path("locked.bin");
  Write(path, "keep");
  ASSERT_TRUE(ResultBool(rt::Call(ChangeFileAttributes, {Text(path.c_str()), Int(1)})));
  EXPECT_FALSE(ResultBool(rt::Call(WriteWholeFile, {Text(path.c_str()), ByteSetBlock("x").Arg()})));
  EXPECT_EQ(Contents(path), "keep");
}

TEST_F(FileCommandsTest, WrongArgumentKindsAreFatalNotWild) {
  EXPECT_EXIT(rt::Call(ReadWholeFile, {Int(12345)}), ::testing::ExitedWithCode(255),
              ::testing::HasSubstr("所提供参数的数据类型不符合要求"));
  EXPECT_EXIT(rt::Call(WriteWholeFile, {Text(Path("x").c_str()), Text("not bytes")}),
              ::testing::ExitedWithCode(255),
              ::testing::HasSubstr("所提供参数的数据类型不符合要求"));
}

}  // namespace
}  // namespace cmd
