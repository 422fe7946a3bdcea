// The process heap over malloc. Each block carries a small header with the size the caller
// asked for, which HeapSize reports (malloc only knows a rounded-up size).
#include <malloc.h>

#include <cstdlib>
#include <cstring>

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
  void* raw = (flags & HEAP_ZERO_MEMORY) ? std::calloc(1, sizeof(BlockHeader) + bytes)
                                         : std::malloc(sizeof(BlockHeader) + bytes);
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
  if (mem != nullptr) std::free(HeaderOf(mem));
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
