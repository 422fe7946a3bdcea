#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/kernel32.h"
#include "runtime/RuntimeState.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"

namespace rt {
namespace {

// Constant data as the program image would hold it: a text and a 2 x 3 int array.
struct ConstantImage {
  char text[5] = {'a', 'b', 'c', 'd', 0};
  int32_t array[3 + 6] = {2, 2, 3, 10, 11, 12, 13, 14, 15};
};

class RuntimeHeapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitRuntime(nullptr);
    AddConstantRange(&image_, sizeof image_);
  }
  void TearDown() override { ClearConstantRanges(); }
  ConstantImage image_;
};

TEST_F(RuntimeHeapTest, FreeIgnoresNullAndConstantBlocks) {
  FreeMem(nullptr);
  FreeMem(image_.text);
  FreeMem(image_.array + 3);
  EXPECT_STREQ(image_.text, "abcd");
  EXPECT_TRUE(IsConstant(image_.text));
  EXPECT_FALSE(IsConstant(reinterpret_cast<const char*>(&image_) + sizeof image_));
}

TEST_F(RuntimeHeapTest, ReallocOfConstantCopiesUpToTheRangeEnd) {
  char* fresh = static_cast<char*>(ReallocMem(image_.text, 100));
  ASSERT_NE(fresh, image_.text);
  EXPECT_EQ(std::memcmp(fresh, &image_, 100 < sizeof image_ ? 100 : sizeof image_), 0);
  EXPECT_GE(HeapSize(GetProcessHeap(), 0, fresh), 100u);
  EXPECT_STREQ(image_.text, "abcd");  // the constant stays where it was

  // Near the end of the range only what is left of it is copied.
  const char* last = reinterpret_cast<const char*>(&image_) + sizeof image_ - 2;
  char* tail = static_cast<char*>(ReallocMem(const_cast<char*>(last), 100));
  EXPECT_EQ(std::memcmp(tail, last, 2), 0);
  FreeMem(fresh);
  FreeMem(tail);
}

TEST_F(RuntimeHeapTest, ReallocOfNullAllocates) {
  void* p = ReallocMem(nullptr, 16);
  ASSERT_NE(p, nullptr);
  std::memset(p, 7, 16);
  p = ReallocMem(p, 4096);
  EXPECT_EQ(static_cast<uint8_t*>(p)[15], 7);
  FreeMem(p);
}

TEST_F(RuntimeHeapTest, ByteSetBlocks) {
  EXPECT_EQ(BuildByteSet(AllocMemSized, "x", 0), nullptr);
  void* b = BuildByteSet(AllocMemSized, "hello", 5);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(ReadInt32(b), 1);
  EXPECT_EQ(HeapSize(GetProcessHeap(), 0, b), 13u);
  ByteSetView v = ViewByteSet(b);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(v.data), v.size), "hello");
  FreeMem(b);
  EXPECT_EQ(BuildText(AllocMemSized, ""), nullptr);
}

TEST_F(RuntimeHeapTest, AppendingTextToTheEmptyArrayStoresAFreshCopy) {
  int32_t empty[2] = {1, 0};
  AddConstantRange(empty, sizeof empty);
  void* array = empty;
  char source[] = "photo";
  AppendArrayText(&array, source);
  ASSERT_NE(array, static_cast<void*>(empty));
  EXPECT_EQ(HeapSize(GetProcessHeap(), 0, array), 8 + sizeof(char*));
  EXPECT_EQ(ReadInt32(array), 1);
  EXPECT_EQ(ReadInt32(static_cast<uint8_t*>(array) + 4), 1);
  auto* element = static_cast<char*>(ReadPointer(static_cast<uint8_t*>(array) + 8));
  EXPECT_NE(element, source);
  EXPECT_STREQ(element, "photo");
  EXPECT_EQ(empty[1], 0);  // the constant is untouched
  FreeArrayValue(kTypeText, array);
}

TEST_F(RuntimeHeapTest, AppendingToATwoDimensionalArrayFlattensIt) {
  void* array = image_.array;
  int32_t extra = 16;
  AppendArrayElement(&array, 4, &extra);
  ASSERT_FALSE(IsConstant(array));
  ArrayShape shape = ReadArrayShape(array);
  EXPECT_EQ(shape.dimensions, 1);
  EXPECT_EQ(shape.elementCount, 7u);
  std::vector<int32_t> values(7);
  std::memcpy(values.data(), static_cast<uint8_t*>(array) + 8, 28);
  EXPECT_THAT(values, ::testing::ElementsAre(10, 11, 12, 13, 14, 15, 16));
  EXPECT_EQ(image_.array[0], 2);
  FreeMem(array);
}

TEST_F(RuntimeHeapTest, PrivateCopyOnlyForConstantArrays) {
  void* array = image_.array;
  MakeArrayPrivate(4, &array);
  ASSERT_NE(array, static_cast<void*>(image_.array));
  EXPECT_EQ(std::memcmp(array, image_.array, sizeof image_.array - 4), 0);
  void* again = array;
  MakeArrayPrivate(4, &again);
  EXPECT_EQ(again, array);  // already private: left alone
  FreeMem(array);
}

TEST_F(RuntimeHeapTest, FreeingATextArrayFreesItsElementsButNotConstantOnes) {
  void* array = nullptr;
  int32_t empty[2] = {1, 0};
  array = empty;
  AddConstantRange(empty, sizeof empty);
  AppendArrayText(&array, "one");
  AppendArrayText(&array, "");  // the empty text is stored as null
  char* constantText = image_.text;
  AppendArrayElement(&array, sizeof(char*), &constantText);
  EXPECT_EQ(ReadPointer(static_cast<uint8_t*>(array) + 16), nullptr);
  // The sanitizer build turns a wrong free here into a failure.
  FreeArrayValue(kTypeText | kByRefFlag, array);
  EXPECT_STREQ(image_.text, "abcd");
}

TEST_F(RuntimeHeapTest, UncheckedAllocationMayFail) {
  EXPECT_EQ(AllocMemUnchecked(-1), nullptr);
  void* p = AllocMemUnchecked(0);
  EXPECT_NE(p, nullptr);
  FreeMem(p);
}

TEST_F(RuntimeHeapTest, MalformedArrayHeadsReadAsEmpty) {
  int32_t bad[3] = {-4, 5, 6};
  EXPECT_EQ(ReadArrayShape(bad).elementCount, 0u);
  int32_t huge[3] = {2, 0x7FFFFFFF, 0x7FFFFFFF};
  EXPECT_EQ(ReadArrayShape(huge).elementCount, 0u);
}

using RuntimeHeapDeathTest = RuntimeHeapTest;

TEST_F(RuntimeHeapDeathTest, ExhaustionEndsTheProgramWithTheByteCount) {
  EXPECT_EXIT(AllocMem(-1), ::testing::ExitedWithCode(255),
              ::testing::HasSubstr("分配 -1 字节内存失败!"));
  EXPECT_EXIT(AllocMemSized(size_t{0x80000010}), ::testing::ExitedWithCode(255),
              ::testing::HasSubstr("分配 -2147483632 字节内存失败!"));
}

}  // namespace
}  // namespace rt
