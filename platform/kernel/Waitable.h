// Objects a thread can wait for. One process-wide mutex guards the state of every such
// object and one condition variable announces any change; waiters re-check what they wait
// for. That is slower than per-object queues but makes wait-all atomic for free.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>

#include "platform/kernel/HandleTable.h"

namespace platform::kernel {

class Waitable : public KernelObject {
 public:
  // Both are called with SyncMutex() held.
  virtual bool IsSignalled() const = 0;
  // Takes what a satisfied wait consumes (an auto-reset event's signal, a semaphore unit).
  virtual void Consume() {}
};

std::mutex& SyncMutex();
// Wakes every waiter; call after changing an object's state (the mutex may be held).
void NotifySyncChange();
std::condition_variable& SyncChanged();

// For a thread that must block somewhere else than on SyncChanged() (the user-interface
// thread blocks in the presenter, which also hears the desktop): while one of these lives,
// every NotifySyncChange() also calls `wake`. Register before looking at the objects, so
// that a change made after the look cannot go unannounced. `wake` runs with SyncMutex()
// often held and must take no lock that is ever held while SyncMutex() is taken.
class ScopedSyncWaker {
 public:
  explicit ScopedSyncWaker(std::function<void()> wake);
  ~ScopedSyncWaker();
  ScopedSyncWaker(const ScopedSyncWaker&) = delete;
  ScopedSyncWaker& operator=(const ScopedSyncWaker&) = delete;

 private:
  std::function<void()> wake_;
  friend void NotifySyncChange();
};

// WaitForMultipleObjects that also ends, with WAIT_OBJECT_0 + count, once `alsoReady`
// holds (checked with SyncMutex() held; whoever makes it true calls NotifySyncChange()).
// `count` may be 0 here. Used by waits that also watch a message queue.
DWORD WaitForObjectsOr(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                       const std::function<bool()>& alsoReady);

// For tests on the virtual clock: waits, at most `realMs` of real time, until at least
// `count` threads are blocked in a timed wait that only a move of the clock can end. A
// test that moves the clock after this knows where those threads' deadlines lie. `orElse`
// (checked with SyncMutex() held whenever a waitable object changes, a thread's end
// included) ends the wait too.
bool WaitForClockWaiters(size_t count, DWORD realMs, const std::function<bool()>& orElse = nullptr);

}  // namespace platform::kernel
