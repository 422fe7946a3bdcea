#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "platform/kernel32.h"

namespace {

bool AllBytesAre(const void* p, size_t n, unsigned char value) {
  const auto* bytes = static_cast<const unsigned char*>(p);
  for (size_t i = 0; i < n; ++i) {
    if (bytes[i] != value) return false;
  }
  return true;
}

TEST(Heap, ZeroMemoryFlagClearsFreshBlocksEvenWhereMallocReusesDirtyMemory) {
  HANDLE heap = GetProcessHeap();
  ASSERT_NE(heap, nullptr);
  // Leave dirty blocks behind for malloc to hand out again.
  for (int i = 0; i < 16; ++i) {
    void* dirty = HeapAlloc(heap, 0, 256);
    ASSERT_NE(dirty, nullptr);
    std::memset(dirty, 0xCD, 256);
    HeapFree(heap, 0, dirty);
  }
  void* block = HeapAlloc(heap, HEAP_ZERO_MEMORY, 256);
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(AllBytesAre(block, 256, 0));
  EXPECT_EQ(HeapSize(heap, 0, block), 256u);
  EXPECT_TRUE(HeapFree(heap, 0, block));
}

// Photo-size blocks are kept for the next request of their size; one handed out again must
// behave as a fresh block: cleared when asked, of the size asked, never given to two owners.
TEST(Heap, PhotoSizeBlocksHandedOutAgainBehaveAsFreshOnes) {
  HANDLE heap = GetProcessHeap();
  const SIZE_T big = SIZE_T{20} << 20, less = big - 4096;
  auto* dirty = static_cast<unsigned char*>(HeapAlloc(heap, 0, big));
  ASSERT_NE(dirty, nullptr);
  std::memset(dirty, 0xCD, big);
  HeapFree(heap, 0, dirty);
  auto* cleared = static_cast<unsigned char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, less));
  auto* other = static_cast<unsigned char*>(HeapAlloc(heap, 0, big));
  ASSERT_NE(cleared, nullptr);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(HeapSize(heap, 0, cleared), less);
  std::memset(other, 0x11, big);
  EXPECT_TRUE(AllBytesAre(cleared, less, 0));
  other = static_cast<unsigned char*>(HeapReAlloc(heap, 0, other, big + (1 << 20)));
  ASSERT_NE(other, nullptr);
  EXPECT_TRUE(AllBytesAre(other, big, 0x11));
  HeapFree(heap, 0, cleared);
  HeapFree(heap, 0, other);
}

TEST(Heap, ZeroByteAllocationsAreDistinctUsableBlocks) {
  HANDLE heap = GetProcessHeap();
  std::set<void*> blocks;
  for (int i = 0; i < 8; ++i) {
    void* p = HeapAlloc(heap, 0, 0);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(HeapSize(heap, 0, p), 0u);
    blocks.insert(p);
  }
  EXPECT_EQ(blocks.size(), 8u);
  for (void* p : blocks) EXPECT_TRUE(HeapFree(heap, 0, p));
}

TEST(Heap, SizeIsTheRequestedSizeNotMallocsRoundedOne) {
  HANDLE heap = GetProcessHeap();
  void* p = HeapAlloc(heap, 0, 13);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(HeapSize(heap, 0, p), 13u);
  p = HeapReAlloc(heap, 0, p, 1000);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(HeapSize(heap, 0, p), 1000u);
  HeapFree(heap, 0, p);
}

TEST(Heap, ReAllocKeepsContentsAndZeroesOnlyTheGrownPart) {
  HANDLE heap = GetProcessHeap();
  auto* p = static_cast<unsigned char*>(HeapAlloc(heap, 0, 100));
  ASSERT_NE(p, nullptr);
  std::memset(p, 0xEE, 100);
  // Shrinking leaves the old bytes in place inside malloc's block; growing again with
  // HEAP_ZERO_MEMORY must still clear everything past the shrunken size.
  p = static_cast<unsigned char*>(HeapReAlloc(heap, 0, p, 10));
  ASSERT_NE(p, nullptr);
  p = static_cast<unsigned char*>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, p, 100));
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(AllBytesAre(p, 10, 0xEE));
  EXPECT_TRUE(AllBytesAre(p + 10, 90, 0));
  // A move to a bigger block as well.
  p = static_cast<unsigned char*>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, p, 1 << 20));
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(AllBytesAre(p, 10, 0xEE));
  EXPECT_TRUE(AllBytesAre(p + 10, (1 << 20) - 10, 0));
  HeapFree(heap, 0, p);
}

TEST(Heap, InPlaceOnlyReAllocFailsWithoutMovingTheBlock) {
  HANDLE heap = GetProcessHeap();
  auto* p = static_cast<char*>(HeapAlloc(heap, 0, 32));
  ASSERT_NE(p, nullptr);
  std::memcpy(p, "keep me", 8);
  EXPECT_EQ(HeapReAlloc(heap, HEAP_REALLOC_IN_PLACE_ONLY, p, 64 << 20), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_STREQ(p, "keep me");
  EXPECT_EQ(HeapSize(heap, 0, p), 32u);
  // Shrinking in place always works and keeps the address.
  EXPECT_EQ(HeapReAlloc(heap, HEAP_REALLOC_IN_PLACE_ONLY, p, 8), p);
  EXPECT_EQ(HeapSize(heap, 0, p), 8u);
  HeapFree(heap, 0, p);
}

TEST(Heap, FailuresReturnNullInsteadOfThrowing) {
  HANDLE heap = GetProcessHeap();
  SIZE_T huge = static_cast<SIZE_T>(-1) - 8;
  EXPECT_EQ(HeapAlloc(heap, HEAP_GENERATE_EXCEPTIONS, huge), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  void* p = HeapAlloc(heap, 0, 16);
  EXPECT_EQ(HeapReAlloc(heap, 0, p, huge), nullptr);
  EXPECT_EQ(HeapSize(heap, 0, p), 16u);  // the old block survives a failed resize
  HeapFree(heap, 0, p);
  EXPECT_EQ(HeapReAlloc(heap, 0, nullptr, 16), nullptr);
}

TEST(Heap, OnlyTheProcessHeapIsAccepted) {
  HANDLE heap = GetProcessHeap();
  EXPECT_EQ(GetProcessHeap(), heap);
  EXPECT_LE(reinterpret_cast<uintptr_t>(heap), 0xFFFFFFFFu);
  EXPECT_EQ(HeapAlloc(nullptr, 0, 16), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(HeapAlloc(INVALID_HANDLE_VALUE, 0, 16), nullptr);
  EXPECT_TRUE(HeapFree(heap, 0, nullptr));
  // A heap handle is not closed with CloseHandle.
  EXPECT_FALSE(CloseHandle(heap));
  void* p = HeapAlloc(heap, 0, 1);
  EXPECT_NE(p, nullptr) << "the heap must survive a refused CloseHandle";
  HeapFree(heap, 0, p);
}

TEST(Heap, MoveMemoryHandlesOverlap) {
  char text[] = "abcdef";
  RtlMoveMemory(text + 1, text, 5);
  EXPECT_STREQ(text, "aabcde");
  RtlMoveMemory(text, text + 2, 4);
  EXPECT_STREQ(text, "bcdede");
}

}  // namespace
