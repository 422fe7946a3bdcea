// Services that the forms engine lends the runtime. The runtime sits below the forms engine
// and never includes it; the program (or a test) installs these once when it is put together.
// A null entry answers as if no window existed.
#pragma once

#include <cstdint>

#include "platform/win32_types.h"

struct MSG;

namespace rt {

struct FormsHooks {
  // Reads the form data block into window templates and fixes handler offsets up against
  // the code base. False when the block cannot be read.
  bool (*readFormData)(const void* data, uint32_t size, const void* codeBase) = nullptr;
  // Loads and shows a window without parent, not modal; false when it is missing or cannot
  // be created.
  bool (*loadStartupWindow)(uint32_t windowId) = nullptr;
  // The window's pre-translation of one message before it is dispatched; true = consumed.
  bool (*preTranslateMessage)(MSG* message) = nullptr;
  // Periodic idle work of every loaded window, given the milliseconds since the idle
  // period began; true while any window wants more.
  bool (*idleWork)(uint32_t elapsedMs) = nullptr;
  // True while at least one loaded window has a live window handle.
  bool (*anyWindowLive)() = nullptr;
  // Destroys every loaded window (program end).
  void (*destroyAllWindows)() = nullptr;
  // The RuntimeNotify codes whose services live in the forms engine (windows, units,
  // events). Sets *handled when the code is one of them.
  intptr_t (*notify)(int32_t code, intptr_t arg1, intptr_t arg2, bool* handled) = nullptr;
};

void InstallFormsHooks(const FormsHooks& hooks);
const FormsHooks& Forms();

}  // namespace rt
