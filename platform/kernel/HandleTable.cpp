#include "platform/kernel/HandleTable.h"

#include "platform/kernel32.h"

namespace platform::kernel {

namespace {
// Reuse starts only once this many slots are free, which keeps stale handles from naming
// fresh objects in programs that open and close handles in quick succession.
constexpr size_t kReuseThreshold = 64;
}  // namespace

HandleTable::HandleTable(uint32_t firstValue, uint32_t capacity)
    : firstValue_(firstValue), capacity_(capacity) {}

HANDLE HandleTable::Insert(std::shared_ptr<KernelObject> object) {
  if (!object) return nullptr;
  std::lock_guard lock(mutex_);
  uint32_t slot;
  if (freeSlots_.size() > kReuseThreshold || (!freeSlots_.empty() && slots_.size() >= capacity_)) {
    slot = freeSlots_.front();
    freeSlots_.pop_front();
    slots_[slot] = std::move(object);
  } else if (slots_.size() < capacity_) {
    slot = static_cast<uint32_t>(slots_.size());
    slots_.push_back(std::move(object));
  } else {
    return nullptr;
  }
  uintptr_t value = firstValue_ + static_cast<uintptr_t>(slot) * 4;
  return reinterpret_cast<HANDLE>(value);
}

bool HandleTable::SlotOf(HANDLE handle, size_t* slot) const {
  uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  if (value < firstValue_ || (value - firstValue_) % 4 != 0) return false;
  *slot = (value - firstValue_) / 4;
  return *slot < slots_.size();
}

std::shared_ptr<KernelObject> HandleTable::Get(HANDLE handle) const {
  std::lock_guard lock(mutex_);
  size_t slot;
  if (!SlotOf(handle, &slot)) return nullptr;
  return slots_[slot];
}

std::shared_ptr<KernelObject> HandleTable::Remove(HANDLE handle) {
  std::lock_guard lock(mutex_);
  size_t slot;
  if (!SlotOf(handle, &slot) || !slots_[slot]) return nullptr;
  return TakeSlot(slot);
}

std::shared_ptr<KernelObject> HandleTable::RemoveOfKind(HANDLE handle,
                                                        std::initializer_list<ObjectKind> kinds) {
  std::lock_guard lock(mutex_);
  size_t slot;
  if (!SlotOf(handle, &slot) || !slots_[slot]) return nullptr;
  for (ObjectKind kind : kinds) {
    if (slots_[slot]->Kind() == kind) return TakeSlot(slot);
  }
  return nullptr;
}

std::shared_ptr<KernelObject> HandleTable::TakeSlot(size_t slot) {
  std::shared_ptr<KernelObject> object = std::move(slots_[slot]);
  slots_[slot].reset();
  freeSlots_.push_back(static_cast<uint32_t>(slot));
  return object;
}

HandleTable& KernelHandles() {
  // Never destroyed: threads still running at exit may close handles.
  static HandleTable* table = new HandleTable();
  return *table;
}

}  // namespace platform::kernel

using namespace platform::kernel;

BOOL CloseHandle(HANDLE handle) {
  // Heaps, searches and modules have their own closing functions, as on Windows.
  std::shared_ptr<KernelObject> object = KernelHandles().RemoveOfKind(
      handle, {ObjectKind::File, ObjectKind::Thread, ObjectKind::Event, ObjectKind::Semaphore});
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;  // the object goes when its last user lets go of it
}
