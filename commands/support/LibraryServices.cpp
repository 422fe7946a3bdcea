#include "commands/support/LibraryServices.h"

#include <atomic>
#include <climits>

namespace cmd {

namespace {
std::atomic<RuntimeNotifyRoutine> g_notify{nullptr};
constexpr int32_t kNotifyAllocate = 2024;
constexpr int32_t kNotifyRaiseError = 2027;
}  // namespace

void SetRuntimeNotify(RuntimeNotifyRoutine routine) {
  g_notify.store(routine);
}

intptr_t Notify(int32_t code, intptr_t arg1, intptr_t arg2) {
  RuntimeNotifyRoutine routine = g_notify.load();
  return routine == nullptr ? 0 : routine(code, arg1, arg2);
}

void* Alloc(size_t bytes) {
  // Blocks are sized by a 32-bit count. A larger request is passed on as the negative count
  // a 32-bit caller would have made, which the runtime reports as exhausted memory.
  auto count = static_cast<int32_t>(static_cast<uint32_t>(bytes > UINT32_MAX ? UINT32_MAX : bytes));
  return reinterpret_cast<void*>(Notify(kNotifyAllocate, count, 0));
}

void RaiseError(const char* message) {
  Notify(kNotifyRaiseError, reinterpret_cast<intptr_t>(message), 0);
}

}  // namespace cmd
