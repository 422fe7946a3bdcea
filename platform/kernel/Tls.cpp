// Thread-local slots. Each slot has a generation that TlsFree advances, so that a value
// stored under a freed index reads as NULL in every thread once the index is reused, as
// Windows clears the slot in all threads.
#include <array>
#include <atomic>
#include <mutex>
#include <vector>

#include "platform/kernel32.h"

namespace {

// Windows guarantees 64 slots and offers 1024 more.
constexpr DWORD kSlotCount = TLS_MINIMUM_AVAILABLE + 1024;

struct SlotTable {
  std::mutex mutex;
  // Written under the mutex, read without it.
  std::array<std::atomic<bool>, kSlotCount> used{};
  std::array<std::atomic<uint32_t>, kSlotCount> generation{};
};

SlotTable& Slots() {
  static SlotTable* slots = new SlotTable();
  return *slots;
}

struct ThreadValue {
  uint32_t generation = 0;
  LPVOID value = nullptr;
};
thread_local std::vector<ThreadValue> t_values;

bool InUse(DWORD index) {
  return index < kSlotCount && Slots().used[index].load();
}

}  // namespace

DWORD TlsAlloc() {
  SlotTable& slots = Slots();
  std::lock_guard lock(slots.mutex);
  for (DWORD i = 0; i < kSlotCount; ++i) {
    if (!slots.used[i].load()) {
      slots.used[i].store(true);
      return i;
    }
  }
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return TLS_OUT_OF_INDEXES;
}

BOOL TlsFree(DWORD index) {
  SlotTable& slots = Slots();
  std::lock_guard lock(slots.mutex);
  if (index >= kSlotCount || !slots.used[index].load()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  slots.generation[index].fetch_add(1);
  slots.used[index].store(false);
  return TRUE;
}

LPVOID TlsGetValue(DWORD index) {
  if (!InUse(index)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // Documented: a successful call clears the last error, so NULL can be told from failure.
  SetLastError(ERROR_SUCCESS);
  if (index >= t_values.size()) return nullptr;
  const ThreadValue& slot = t_values[index];
  return slot.generation == Slots().generation[index].load() ? slot.value : nullptr;
}

BOOL TlsSetValue(DWORD index, LPVOID value) {
  if (!InUse(index)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (index >= t_values.size()) t_values.resize(index + 1);
  t_values[index] = ThreadValue{Slots().generation[index].load(), value};
  return TRUE;
}
