// Threads over detached pthreads. A thread handle is signalled once the thread's function
// has returned or it called ExitThread.
#include <limits.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include "platform/kernel/Waitable.h"
#include "platform/kernel32.h"

namespace platform::kernel {
namespace {

std::atomic<DWORD> g_nextThreadId{1};
thread_local DWORD t_threadId = 0;

class ThreadObject final : public Waitable {
 public:
  ThreadObject(LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD id, bool suspended)
      : start(start), parameter(parameter), id(id), suspendCount(suspended ? 1 : 0) {}
  ObjectKind Kind() const override { return ObjectKind::Thread; }
  bool IsSignalled() const override { return exited; }

  const LPTHREAD_START_ROUTINE start;
  const LPVOID parameter;
  const DWORD id;
  // Guarded by SyncMutex().
  DWORD suspendCount;
  bool exited = false;
  DWORD exitCode = STILL_ACTIVE;
};

// The object of the current thread when CreateThread made it; it lives as long as the
// thread's entry function holds it.
thread_local ThreadObject* t_self = nullptr;

void Finish(ThreadObject& thread, DWORD exitCode) {
  std::lock_guard lock(SyncMutex());
  thread.exited = true;
  thread.exitCode = exitCode;
  NotifySyncChange();
}

void* ThreadEntry(void* argument) {
  std::shared_ptr<ThreadObject> self(
      std::move(*static_cast<std::shared_ptr<ThreadObject>*>(argument)));
  delete static_cast<std::shared_ptr<ThreadObject>*>(argument);
  t_threadId = self->id;
  t_self = self.get();
  {
    std::unique_lock lock(SyncMutex());
    SyncChanged().wait(lock, [&] { return self->suspendCount == 0; });
  }
  DWORD exitCode = self->start(self->parameter);
  Finish(*self, exitCode);
  t_self = nullptr;
  return nullptr;
}

}  // namespace
}  // namespace platform::kernel

using namespace platform::kernel;

DWORD GetCurrentThreadId() {
  if (t_threadId == 0) t_threadId = g_nextThreadId.fetch_add(1);
  return t_threadId;
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD flags, LPDWORD threadId) {
  if (start == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto thread = std::make_shared<ThreadObject>(start, parameter, g_nextThreadId.fetch_add(1),
                                               (flags & CREATE_SUSPENDED) != 0);
  HANDLE handle = KernelHandles().Insert(thread);
  if (handle == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  if (stackSize != 0) {
    // Windows rounds a small request up to its minimum; so do we.
    long page = sysconf(_SC_PAGESIZE);
    size_t size = std::max<size_t>(stackSize, PTHREAD_STACK_MIN + 64 * 1024);
    size = (size + page - 1) / page * page;
    pthread_attr_setstacksize(&attributes, size);
  }
  auto* argument = new std::shared_ptr<ThreadObject>(thread);
  pthread_t pthread;
  int error = pthread_create(&pthread, &attributes, ThreadEntry, argument);
  pthread_attr_destroy(&attributes);
  if (error != 0) {
    delete argument;
    KernelHandles().Remove(handle);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (threadId != nullptr) *threadId = thread->id;
  return handle;
}

DWORD ResumeThread(HANDLE handle) {
  auto thread = KernelHandles().GetAs<ThreadObject>(handle);
  if (!thread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return static_cast<DWORD>(-1);
  }
  std::lock_guard lock(SyncMutex());
  DWORD previous = thread->suspendCount;
  if (previous > 0 && --thread->suspendCount == 0) NotifySyncChange();
  return previous;
}

BOOL GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
  auto thread = KernelHandles().GetAs<ThreadObject>(handle);
  if (!thread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (exitCode == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(SyncMutex());
  *exitCode = thread->exitCode;
  return TRUE;
}

void ExitThread(DWORD exitCode) {
  if (t_self != nullptr) Finish(*t_self, exitCode);
  t_self = nullptr;
  // Unwinds the thread's stack on the way out (Windows would not), which at least runs
  // the destructors of whatever the thread function had on it.
  pthread_exit(nullptr);
}
