#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>

#include "runtime/RuntimeState.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"
#include "tests/common/TempFolder.h"

namespace rt {
namespace {

class CallFrameTest : public ::testing::Test {
 protected:
  void SetUp() override { InitRuntime(nullptr); }
};

// Records what a command saw, so the frame's contract can be checked from outside.
struct Seen {
  int32_t count = -1;
  ArgRecord third{};
  bool resultWasZero = false;
};
Seen g_seen;

void RecordingCommand(ArgRecord* result, int32_t count, ArgRecord* args) {
  g_seen.resultWasZero = result->value == 0 && result->type == 0;
  g_seen.count = count;
  if (count >= 3) g_seen.third = args[2];
  result->Set<int32_t>(count);
  result->type = kTypeInt;
}

void SilentCommand(ArgRecord* result, int32_t, ArgRecord*) {
  (void)result;  // writes nothing
}

TEST_F(CallFrameTest, RoutineSeesAZeroedResultAndItsArguments) {
  ArgRecord args[3];
  args[0].Set<int32_t>(1);
  args[0].type = kTypeInt;
  args[1].Set<int32_t>(2);
  args[1].type = kTypeInt;
  ArgRecord result = Services().callCoreCommand(RecordingCommand, 3, args);
  EXPECT_TRUE(g_seen.resultWasZero);
  EXPECT_EQ(g_seen.count, 3);
  EXPECT_EQ(g_seen.third.type, kTypeNone);  // all zero: omitted
  EXPECT_EQ(g_seen.third.value, 0u);
  EXPECT_EQ(result.As<int32_t>(), 3);
  EXPECT_EQ(result.type, kTypeInt);
}

TEST_F(CallFrameTest, RoutineThatWritesNothingReturnsNoValue) {
  ArgRecord result = Services().callLibraryCommand(SilentCommand, 0, nullptr);
  EXPECT_EQ(result.value, 0u);
  EXPECT_EQ(result.type, kTypeNone);
}

TEST_F(CallFrameTest, ServiceTableMemoryEntries) {
  void* p = Services().allocMem(10);
  ASSERT_NE(p, nullptr);
  p = Services().reallocMem(p, 20);
  Services().freeMem(p);
  Services().freeMem(nullptr);
}

TEST_F(CallFrameTest, PathRequest) {
  char buffer[MAX_PATH];
  std::memset(buffer, 'x', sizeof buffer);
  RuntimeNotify(1006, 7, reinterpret_cast<intptr_t>(buffer));
  EXPECT_STREQ(buffer, "");
  RuntimeNotify(1006, 1, reinterpret_cast<intptr_t>(buffer));
  EXPECT_EQ(std::string(buffer), Runtime().runDirectory + "\\");
  RuntimeNotify(1006, 2001, reinterpret_cast<intptr_t>(buffer));
  EXPECT_EQ(std::string(buffer), Runtime().runDirectory + "\\");
  RuntimeNotify(1006, 2002, reinterpret_cast<intptr_t>(buffer));
  EXPECT_EQ(std::string(buffer), "runtime_tests");
  EXPECT_STREQ(reinterpret_cast<const char*>(RuntimeNotify(2004, 0, 0)), "runtime_tests");
}

TEST_F(CallFrameTest, RunDirectoryIsTheProgramsFolderAndTheCurrentDirectory) {
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  std::string path(self, static_cast<size_t>(n));
  std::string folder = path.substr(0, path.rfind('/'));
  // The platform may spell separators either way; compare with both mapped to '/'.
  std::string runDirectory = reinterpret_cast<const char*>(RuntimeNotify(2003, 0, 0));
  for (char& c : runDirectory) c = c == '\\' ? '/' : c;
  EXPECT_EQ(runDirectory, folder);
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(std::string(cwd), folder);
}

TEST_F(CallFrameTest, ModulePathSplitting) {
  std::string dir, name;
  SplitModulePath("velmora.exe", &dir, &name);
  EXPECT_EQ(dir, "");
  EXPECT_EQ(name, "velmora.exe");
  SplitModulePath("C:\\Program Files\\Velmora\\velmora.exe", &dir, &name);
  EXPECT_EQ(dir, "C:\\Program Files\\Velmora");
  EXPECT_EQ(name, "velmora.exe");
  SplitModulePath("/opt/velmora/velmora", &dir, &name);
  EXPECT_EQ(dir, "/opt/velmora");
}

TEST_F(CallFrameTest, NumericConversionRequest) {
  auto convert = [](TypeCode kind, auto value) {
    ArgRecord r;
    r.Set(value);
    r.type = kind;
    return static_cast<int32_t>(RuntimeNotify(2001, reinterpret_cast<intptr_t>(&r), 0));
  };
  EXPECT_EQ(convert(kTypeByte, uint8_t{200}), 200);
  EXPECT_EQ(convert(kTypeShort, int16_t{-5}), -5);
  EXPECT_EQ(convert(kTypeInt, int32_t{-70000}), -70000);
  EXPECT_EQ(convert(kTypeLong, int64_t{0x123456789}), 0x23456789);
  EXPECT_EQ(convert(kTypeFloat, -2.9f), -2);
  EXPECT_EQ(convert(kTypeDouble, 7.99), 7);
  EXPECT_EQ(convert(kTypeDouble, 1e300), INT32_MAX);  // defined, not undefined behaviour
}

TEST_F(CallFrameTest, NumericConversionOfTextIsFatal) {
  ArgRecord r;
  r.SetPointer("12");
  r.type = kTypeText;
  EXPECT_EXIT(RuntimeNotify(2001, reinterpret_cast<intptr_t>(&r), 0),
              ::testing::ExitedWithCode(255), ::testing::HasSubstr("欲转换数据类型不是数值"));
}

TEST_F(CallFrameTest, SimpleRequests) {
  EXPECT_EQ(RuntimeNotify(1004, 0, 0), 1);
  EXPECT_EQ(RuntimeNotify(1005, 0, 0), 5);
  EXPECT_EQ(RuntimeNotify(2002, 0, 0), 0);
  EXPECT_EQ(RuntimeNotify(2024, -1, 1), 0);  // unchecked allocation may fail
  void* p = reinterpret_cast<void*>(RuntimeNotify(2024, 8, 0));
  ASSERT_NE(p, nullptr);
  p = reinterpret_cast<void*>(RuntimeNotify(2026, reinterpret_cast<intptr_t>(p), 64));
  RuntimeNotify(2025, reinterpret_cast<intptr_t>(p), 0);

  ImageHeader header{};
  header.runMode = 3;
  header.lastIdNumber = 92626;
  InitRuntime(&header);
  EXPECT_EQ(RuntimeNotify(2030, 0, 0), 3);
  EXPECT_EQ(Runtime().idCounter, 92627u);
  InitRuntime(nullptr);
}

// A folder with two files, a hidden-looking name and a subfolder, walked the way the
// application walks its batch folders.
class FileSearchTest : public CallFrameTest {
 protected:
  void SetUp() override {
    CallFrameTest::SetUp();
    dir_ = testing_temp::MakeFolder("velmora-search");
    ASSERT_FALSE(dir_.empty());
    for (const char* name : {"a.jpg", "B.JPG", "notes.txt"}) {
      std::ofstream(dir_ + "/" + name) << "x";
    }
    ASSERT_EQ(mkdir((dir_ + "/sub.jpg").c_str(), 0755), 0);
  }
  void TearDown() override { std::system(("rm -rf " + dir_).c_str()); }

  std::set<std::string> Walk(const std::string& pattern, uint32_t mask, int32_t all) {
    std::set<std::string> names;
    int32_t handle = 0;
    char* name = FindFileEntry(pattern.c_str(), mask, all, &handle);
    while (name != nullptr) {
      names.insert(name);
      FreeMem(name);
      name = FindFileEntry(nullptr, mask, all, &handle);
    }
    EXPECT_EQ(handle, 0);  // closed and cleared at the end
    return names;
  }
  std::string dir_;
};

TEST_F(FileSearchTest, AllNonDirectoriesSkipsFoldersAndDotEntries) {
  EXPECT_EQ(Walk(dir_ + "\\*.*", 0, 1), (std::set<std::string>{"a.jpg", "B.JPG", "notes.txt"}));
  EXPECT_EQ(Walk(dir_ + "/*.jpg", 0, 1), (std::set<std::string>{"a.jpg", "B.JPG"}));
}

TEST_F(FileSearchTest, DirectoryMaskFindsFolders) {
  std::set<std::string> dirs = Walk(dir_ + "/*", 0x10, 0);
  EXPECT_EQ(dirs.count("sub.jpg"), 1u);
  EXPECT_EQ(dirs.count("a.jpg"), 0u);
}

TEST_F(FileSearchTest, MissingFolderAndContinuationWithoutSearch) {
  EXPECT_TRUE(Walk(dir_ + "/missing/*.jpg", 0, 1).empty());
  int32_t handle = 0;
  EXPECT_EQ(FindFileEntry("", 0, 1, &handle), nullptr);
  EXPECT_EQ(FindFileEntry(nullptr, 0, 1, nullptr), nullptr);
}

TEST_F(FileSearchTest, NewPatternClosesTheOpenSearchAndEndEntryCloses) {
  int32_t handle = 0;
  char* first = FindFileEntry((dir_ + "/*.txt").c_str(), 0, 1, &handle);
  ASSERT_NE(first, nullptr);
  EXPECT_NE(handle, 0);
  FreeMem(first);
  char* again = FindFileEntry((dir_ + "/a.jpg").c_str(), 0, 1, &handle);
  ASSERT_NE(again, nullptr);
  EXPECT_STREQ(again, "a.jpg");
  FreeMem(again);
  AuxDispatch(kAuxEndFind, handle, 0, 0, 0);
}

}  // namespace
}  // namespace rt
