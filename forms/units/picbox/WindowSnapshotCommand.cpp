#include "forms/units/picbox/WindowSnapshotCommand.h"

#include "commands/support/CommandArgs.h"
#include "pictures/display/WindowSnapshot.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"

namespace forms {

void WindowSnapshotCommand(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  cmd::CommandArgs a(count, args);
  // Handles travel as the program's 32-bit integers.
  const auto window = reinterpret_cast<HWND>(static_cast<intptr_t>(a.Int(0, 0)));
  const std::vector<uint8_t> file = pic::WindowSnapshot(window, a.Int(1, 0), a.Int(2, 0));
  void* block =
      file.empty() ? nullptr : rt::BuildByteSet(rt::AllocMemSized, file.data(), file.size());
  cmd::SetPointer(result, rt::kTypeByteSet, block);
}

}  // namespace forms
