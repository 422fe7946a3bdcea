// Window objects that libraries create around window handles they own (notify 1007-1011),
// and the table of byte flags keyed by such objects (notify 2011-2014). Every object is
// owned by the registry here, so a stale or foreign pointer handed back by a library is
// recognised and ignored rather than followed.
#pragma once

#include <cstdint>

#include "platform/win32_types.h"

namespace rt {

struct FrameworkWindow {
  HWND handle = nullptr;
};

// 1007: a new object holding `window`. The first object made for a handle is the one the
// handle is known by.
FrameworkWindow* WrapWindowHandle(HWND window);
// 1008: deletes the object (its window stays).
void DeleteFrameworkWindow(FrameworkWindow* object);
// 1009: the object lets go of its window and returns it.
HWND DetachFrameworkWindow(FrameworkWindow* object);
// 1010
HWND FrameworkWindowHandle(const FrameworkWindow* object);
// 1011: attaches `window` unless another object already wraps it; true when attached.
bool AttachFrameworkWindow(FrameworkWindow* object, HWND window);

// 2011: the flag stored for `key`, or -1.
int32_t LookUpObjectFlag(intptr_t key);
// 2012: stores the flag unless the key is present.
void AddObjectFlag(intptr_t key, uint8_t flag);
// 2013: true when the key was present.
bool RemoveObjectFlag(intptr_t key);
// 2014: every keyed object that is one of ours destroys its window and is deleted; the
// table is emptied.
void DestroyFlaggedObjects();

// Program end: every object still alive is deleted (their windows are already gone).
void DeleteFrameworkWindowObjects();

}  // namespace rt
