// The core library's commands that load, close, redraw and look up windows and units. They
// do not touch the forms engine directly: they ask the runtime through RuntimeNotify and
// work on the window handle of the unit object it hands back.
#pragma once

#include "runtime/calls/ArgRecord.h"

namespace cmd {

// A unit reference argument: value low = window id, value high = unit id (0, or an id that
// is no unit of the window, for the window itself), type = the unit's data type.
void LoadWindow(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void DestroyUnit(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void Redraw(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void UpdateNow(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void GetWindowHandle(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);

// Request 2005's record: window id, parent unit object (0 for none), modal flag, one
// pointer-size word each.
struct LoadWindowRequest {
  intptr_t windowId;
  intptr_t parentObject;
  intptr_t modal;
};

// The runtime requests these commands make. 2037 and 2038 are the forms engine's own: the
// window handle of a unit object, and destroying a unit (object, at once).
inline constexpr int32_t kNotifyLoadWindow = 2005;
inline constexpr int32_t kNotifyFindUnit = 2006;
inline constexpr int32_t kNotifyFindUnitOrFail = 2007;
inline constexpr int32_t kNotifyUnitWindowHandle = 2037;
inline constexpr int32_t kNotifyDestroyUnit = 2038;

}  // namespace cmd
