// Events, semaphores and the wait functions.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "platform/kernel/Clock.h"
#include "platform/kernel/Waitable.h"
#include "platform/kernel32.h"

namespace platform::kernel {

std::mutex& SyncMutex() {
  static std::mutex* mutex = new std::mutex();
  return *mutex;
}

std::condition_variable& SyncChanged() {
  static std::condition_variable* changed = new std::condition_variable();
  return *changed;
}

namespace {

// Threads blocked in a timed wait on the virtual clock, each with the test that tells whether
// its wait would end now; guarded by SyncMutex().
std::vector<const std::function<bool()>*> g_clockWaiters;

struct Wakers {
  std::mutex mutex;
  std::vector<ScopedSyncWaker*> list;
  // Read without the mutex so that the common case (nobody registered) costs one load.
  std::atomic<size_t> count{0};
};

Wakers& RegisteredWakers() {
  static auto* wakers = new Wakers();
  return *wakers;
}

}  // namespace

ScopedSyncWaker::ScopedSyncWaker(std::function<void()> wake) : wake_(std::move(wake)) {
  Wakers& wakers = RegisteredWakers();
  std::lock_guard lock(wakers.mutex);
  wakers.list.push_back(this);
  wakers.count.store(wakers.list.size());
}

ScopedSyncWaker::~ScopedSyncWaker() {
  Wakers& wakers = RegisteredWakers();
  std::lock_guard lock(wakers.mutex);
  std::erase(wakers.list, this);
  wakers.count.store(wakers.list.size());
}

void NotifySyncChange() {
  SyncChanged().notify_all();
  Wakers& wakers = RegisteredWakers();
  if (wakers.count.load() == 0) return;
  std::lock_guard lock(wakers.mutex);
  for (ScopedSyncWaker* waker : wakers.list) waker->wake_();
}

namespace {

class EventObject final : public Waitable {
 public:
  EventObject(bool manualReset, bool signalled)
      : manualReset_(manualReset), signalled_(signalled) {}
  ObjectKind Kind() const override { return ObjectKind::Event; }
  bool IsSignalled() const override { return signalled_; }
  void Consume() override {
    if (!manualReset_) signalled_ = false;
  }
  void Set(bool signalled) { signalled_ = signalled; }

 private:
  const bool manualReset_;
  bool signalled_;
};

class SemaphoreObject final : public Waitable {
 public:
  SemaphoreObject(LONG count, LONG maximum) : count_(count), maximum_(maximum) {}
  ObjectKind Kind() const override { return ObjectKind::Semaphore; }
  bool IsSignalled() const override { return count_ > 0; }
  void Consume() override { --count_; }
  bool Release(LONG amount, LONG* previous) {
    if (amount > maximum_ - count_) return false;
    if (previous != nullptr) *previous = count_;
    count_ += amount;
    return true;
  }

 private:
  LONG count_;
  const LONG maximum_;
};

// Named objects are shared within the process only; the program has no peer to share with.
std::map<std::string, std::weak_ptr<Waitable>>& NamedObjects() {
  static auto* names = new std::map<std::string, std::weak_ptr<Waitable>>();
  return *names;
}

// Creates the object or, for a name already in use, opens the existing one. Returns the
// new handle with the last error set the way CreateEventA/CreateSemaphoreA set it.
template <class T, class Make>
HANDLE CreateOrOpen(LPCSTR name, Make make) {
  std::shared_ptr<Waitable> object;
  bool existed = false;
  {
    std::lock_guard lock(SyncMutex());
    if (name != nullptr && name[0] != 0) {
      auto& names = NamedObjects();
      std::erase_if(names, [](const auto& entry) { return entry.second.expired(); });
      auto it = names.find(name);
      if (it != names.end()) {
        object = it->second.lock();
        if (!std::dynamic_pointer_cast<T>(object)) {
          SetLastError(ERROR_INVALID_HANDLE);
          return nullptr;
        }
        existed = true;
      }
    }
    if (!object) {
      object = make();
      if (name != nullptr && name[0] != 0) NamedObjects()[name] = object;
    }
  }
  HANDLE handle = KernelHandles().Insert(object);
  if (handle == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

template <class T>
std::shared_ptr<T> ObjectFromHandle(HANDLE handle) {
  auto object = KernelHandles().GetAs<T>(handle);
  if (!object) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}

}  // namespace
}  // namespace platform::kernel

using namespace platform::kernel;

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name) {
  return CreateOrOpen<EventObject>(name, [&] {
    return std::make_shared<EventObject>(manualReset != FALSE, initialState != FALSE);
  });
}

BOOL SetEvent(HANDLE event) {
  auto object = ObjectFromHandle<EventObject>(event);
  if (!object) return FALSE;
  std::lock_guard lock(SyncMutex());
  object->Set(true);
  NotifySyncChange();
  return TRUE;
}

BOOL ResetEvent(HANDLE event) {
  auto object = ObjectFromHandle<EventObject>(event);
  if (!object) return FALSE;
  std::lock_guard lock(SyncMutex());
  object->Set(false);
  return TRUE;
}

HANDLE CreateSemaphoreA(LPSECURITY_ATTRIBUTES, LONG initialCount, LONG maximumCount, LPCSTR name) {
  if (maximumCount <= 0 || initialCount < 0 || initialCount > maximumCount) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateOrOpen<SemaphoreObject>(
      name, [&] { return std::make_shared<SemaphoreObject>(initialCount, maximumCount); });
}

BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LONG* previousCount) {
  auto object = ObjectFromHandle<SemaphoreObject>(semaphore);
  if (!object) return FALSE;
  if (releaseCount <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(SyncMutex());
  if (!object->Release(releaseCount, previousCount)) {
    SetLastError(ERROR_TOO_MANY_POSTS);
    return FALSE;
  }
  NotifySyncChange();
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  return WaitForMultipleObjects(1, &handle, FALSE, milliseconds);
}

bool platform::kernel::WaitForClockWaiters(size_t count, DWORD realMs,
                                           const std::function<bool()>& orElse) {
  std::unique_lock lock(SyncMutex());
  // A waiter whose objects were just signalled has not woken yet but is no longer stuck.
  return SyncChanged().wait_for(lock, std::chrono::milliseconds(realMs), [&] {
    if (orElse && orElse()) return true;
    return static_cast<size_t>(std::count_if(g_clockWaiters.begin(), g_clockWaiters.end(),
                                             [](auto* wouldEnd) { return !(*wouldEnd)(); })) >=
           count;
  });
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
  return WaitForObjectsOr(count, handles, waitAll, milliseconds, nullptr);
}

DWORD platform::kernel::WaitForObjectsOr(DWORD count, const HANDLE* handles, BOOL waitAll,
                                         DWORD milliseconds,
                                         const std::function<bool()>& alsoReady) {
  if ((count == 0 && !alsoReady) || count > MAXIMUM_WAIT_OBJECTS ||
      (handles == nullptr && count != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  // The objects are held for the whole wait, so closing a handle meanwhile is harmless.
  std::vector<std::shared_ptr<Waitable>> objects;
  for (DWORD i = 0; i < count; ++i) {
    auto object = KernelHandles().GetAs<Waitable>(handles[i]);
    if (!object) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    objects.push_back(std::move(object));
  }
  if (waitAll) {
    // Windows refuses one object twice in a wait-all: it could not be taken twice at once.
    std::vector<Waitable*> sorted;
    for (auto& object : objects) sorted.push_back(object.get());
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return WAIT_FAILED;
    }
  }

  // Measured on the program's clock, so that in virtual time a wait ends when the clock is
  // moved past its deadline and never by itself.
  const uint64_t deadline = ClockNowMs() + milliseconds;
  std::unique_lock lock(SyncMutex());
  bool timedOut = false;
  for (;;) {
    if (waitAll) {
      // With another condition, wait-all means the objects and the condition together.
      if (std::all_of(objects.begin(), objects.end(), [](auto& o) { return o->IsSignalled(); }) &&
          (!alsoReady || alsoReady())) {
        for (auto& object : objects) object->Consume();
        return WAIT_OBJECT_0;
      }
    } else {
      for (DWORD i = 0; i < count; ++i) {
        if (objects[i]->IsSignalled()) {
          objects[i]->Consume();
          return WAIT_OBJECT_0 + i;
        }
      }
      if (alsoReady && alsoReady()) return WAIT_OBJECT_0 + count;
    }
    if (milliseconds == 0 || timedOut) return WAIT_TIMEOUT;
    const uint64_t now = ClockNowMs();
    if (milliseconds != INFINITE && now >= deadline) {
      timedOut = true;  // one last look before giving up
    } else if (milliseconds == INFINITE) {
      SyncChanged().wait(lock);
    } else if (IsVirtualClock()) {
      // Only a move of the clock (which notifies) or a change of the objects ends this.
      const std::function<bool()> wouldEnd = [&] {
        auto signalled = [](auto& o) { return o->IsSignalled(); };
        if (ClockNowMs() >= deadline) return true;
        if (waitAll) {
          return std::all_of(objects.begin(), objects.end(), signalled) &&
                 (!alsoReady || alsoReady());
        }
        return std::any_of(objects.begin(), objects.end(), signalled) || (alsoReady && alsoReady());
      };
      g_clockWaiters.push_back(&wouldEnd);
      SyncChanged().notify_all();
      SyncChanged().wait(lock);
      std::erase(g_clockWaiters, &wouldEnd);
    } else {
      SyncChanged().wait_for(lock, std::chrono::milliseconds(deadline - now));
    }
  }
}
