// Kernel handles: small integers that name objects in a table, never addresses, so that
// callers who keep a handle in a 32-bit integer get the same object back.
#pragma once

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/win32_types.h"

namespace platform::kernel {

enum class ObjectKind { Heap, File, FindSearch, Thread, Event, Semaphore, Module };

class KernelObject {
 public:
  virtual ~KernelObject() = default;
  virtual ObjectKind Kind() const = 0;
};

class HandleTable {
 public:
  // Handle values are multiples of 4 like Windows handles, starting at firstValue.
  explicit HandleTable(uint32_t firstValue = 4, uint32_t capacity = 1u << 22);

  // NULL when the table is full.
  HANDLE Insert(std::shared_ptr<KernelObject> object);
  std::shared_ptr<KernelObject> Get(HANDLE handle) const;
  // The removed object is handed back so that its destructor runs after the table's lock
  // is released; destructors may take other locks.
  std::shared_ptr<KernelObject> Remove(HANDLE handle);
  // Removes the object only when it is of one of the given kinds.
  std::shared_ptr<KernelObject> RemoveOfKind(HANDLE handle,
                                             std::initializer_list<ObjectKind> kinds);

  template <class T>
  std::shared_ptr<T> GetAs(HANDLE handle) const {
    return std::dynamic_pointer_cast<T>(Get(handle));
  }

 private:
  bool SlotOf(HANDLE handle, size_t* slot) const;
  std::shared_ptr<KernelObject> TakeSlot(size_t slot);  // with mutex_ held

  const uint32_t firstValue_;
  const uint32_t capacity_;
  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<KernelObject>> slots_;
  // Freed slots are reused oldest first, so a stale handle does not name a new object
  // straight away.
  std::deque<uint32_t> freeSlots_;
};

// The table behind every handle of the kernel services.
HandleTable& KernelHandles();

}  // namespace platform::kernel
