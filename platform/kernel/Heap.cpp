// The process heap over malloc. Each block carries a small header with the size the caller
// asked for, which HeapSize reports (malloc only knows a rounded-up size).
#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#include "platform/kernel/HandleTable.h"
#include "platform/kernel32.h"

namespace platform::kernel {
namespace {

class HeapObject final : public KernelObject {
 public:
  ObjectKind Kind() const override { return ObjectKind::Heap; }
};

// 16 bytes keep the caller's block as aligned as malloc's own.
struct alignas(16) BlockHeader {
  SIZE_T size;
};
static_assert(sizeof(BlockHeader) == 16);

BlockHeader* HeaderOf(LPCVOID mem) {
  return reinterpret_cast<BlockHeader*>(static_cast<char*>(const_cast<LPVOID>(mem)) -
                                        sizeof(BlockHeader));
}

LPVOID DataOf(BlockHeader* header) {
  return reinterpret_cast<char*>(header) + sizeof(BlockHeader);
}

bool IsProcessHeap(HANDLE heap) {
  if (heap != nullptr && heap == GetProcessHeap()) return true;
  SetLastError(ERROR_INVALID_HANDLE);
  return false;
}

bool TooLarge(SIZE_T bytes) {
  // Beyond this a 32-bit caller could not have asked; it also keeps the header sum exact.
  return bytes > (SIZE_T{1} << 48);
}

// Pictures come one after another at one size (a batch of photos, say): a freed block of
// photo size is kept for the next such request instead of going back to the kernel, whose
// fresh pages each cost a fault on first touch -- for a 12-megapixel picture, a third of the
// time its decoding takes. One block at most, of 16 to 256 MB. The address sanitizer must
// see every large block really freed, so that a use after free still shows.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kKeepSpare = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kKeepSpare = false;
#else
constexpr bool kKeepSpare = true;
#endif
#else
constexpr bool kKeepSpare = true;
#endif
constexpr size_t kSpareLeast = size_t{16} << 20;
constexpr size_t kSpareMost = size_t{256} << 20;

std::mutex g_spareLock;
BlockHeader* g_spare = nullptr;

// The spare block for `total` bytes (header included), or null. A request much smaller than
// the spare leaves it for a later one of its own size.
BlockHeader* TakeSpare(size_t total) {
  if (!kKeepSpare || total < kSpareLeast || total > kSpareMost) return nullptr;
  std::lock_guard<std::mutex> lock(g_spareLock);
  if (g_spare == nullptr) return nullptr;
  const size_t capacity = malloc_usable_size(g_spare);
  if (capacity < total || capacity / 2 > total) return nullptr;
  return std::exchange(g_spare, nullptr);
}

void Release(BlockHeader* header) {
  const size_t capacity = malloc_usable_size(header);
  if (!kKeepSpare || capacity < kSpareLeast || capacity > kSpareMost) {
    std::free(header);
    return;
  }
  BlockHeader* older = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_spareLock);
    older = std::exchange(g_spare, header);
  }
  // The same block freed twice must not leave the spare pointing at freed memory.
  if (older != header) std::free(older);
}

}  // namespace
}  // namespace platform::kernel

using namespace platform::kernel;

HANDLE GetProcessHeap() {
  static HANDLE heap = KernelHandles().Insert(std::make_shared<HeapObject>());
  return heap;
}

LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
  if (!IsProcessHeap(heap)) return nullptr;
  if (TooLarge(bytes)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // A zero-byte request still gets a block of its own, as on Windows.
  const size_t total = sizeof(BlockHeader) + bytes;
  void* raw = TakeSpare(total);
  if (raw != nullptr) {
    if (flags & HEAP_ZERO_MEMORY) std::memset(raw, 0, total);
  } else {
    raw = (flags & HEAP_ZERO_MEMORY) ? std::calloc(1, total) : std::malloc(total);
  }
  if (raw == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto* header = static_cast<BlockHeader*>(raw);
  header->size = bytes;
  return DataOf(header);
}

LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID mem, SIZE_T bytes) {
  if (!IsProcessHeap(heap)) return nullptr;
  if (mem == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (TooLarge(bytes)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  BlockHeader* header = HeaderOf(mem);
  SIZE_T oldSize = header->size;
  if (flags & HEAP_REALLOC_IN_PLACE_ONLY) {
    if (sizeof(BlockHeader) + bytes > malloc_usable_size(header)) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
  } else {
    void* raw = std::realloc(header, sizeof(BlockHeader) + bytes);
    if (raw == nullptr) {
      // The old block stays valid and unchanged.
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    header = static_cast<BlockHeader*>(raw);
  }
  header->size = bytes;
  if ((flags & HEAP_ZERO_MEMORY) && bytes > oldSize) {
    std::memset(static_cast<char*>(DataOf(header)) + oldSize, 0, bytes - oldSize);
  }
  return DataOf(header);
}

BOOL HeapFree(HANDLE heap, DWORD, LPVOID mem) {
  if (!IsProcessHeap(heap)) return FALSE;
  if (mem != nullptr) Release(HeaderOf(mem));
  return TRUE;
}

SIZE_T HeapSize(HANDLE heap, DWORD, LPCVOID mem) {
  if (!IsProcessHeap(heap)) return static_cast<SIZE_T>(-1);
  if (mem == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return static_cast<SIZE_T>(-1);
  }
  return HeaderOf(mem)->size;
}

void RtlMoveMemory(void* destination, const void* source, SIZE_T length) {
  if (length != 0) std::memmove(destination, source, length);
}
