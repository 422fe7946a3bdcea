// Critical sections are recursive pthread mutexes living inside the caller's
// CRITICAL_SECTION storage.
#include <pthread.h>

#include <new>

#include "platform/kernel32.h"

static_assert(sizeof(pthread_mutex_t) <= sizeof(CRITICAL_SECTION::opaque),
              "a pthread mutex must fit into CRITICAL_SECTION");
static_assert(alignof(pthread_mutex_t) <= alignof(CRITICAL_SECTION),
              "CRITICAL_SECTION must be aligned for a pthread mutex");

namespace {

pthread_mutex_t* MutexOf(LPCRITICAL_SECTION section) {
  return std::launder(reinterpret_cast<pthread_mutex_t*>(section->opaque));
}

}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION section) {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  auto* mutex = new (section->opaque) pthread_mutex_t;
  pthread_mutex_init(mutex, &attributes);
  pthread_mutexattr_destroy(&attributes);
}

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
  pthread_mutex_destroy(MutexOf(section));
}

void EnterCriticalSection(LPCRITICAL_SECTION section) {
  pthread_mutex_lock(MutexOf(section));
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
  return pthread_mutex_trylock(MutexOf(section)) == 0 ? TRUE : FALSE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section) {
  // A recursive mutex refuses (EPERM) a leave by a thread that does not own it, which
  // turns a caller's mistake into a no-op instead of corrupting the lock.
  pthread_mutex_unlock(MutexOf(section));
}
