// The snapshot command of the core library: a window (frame included) or the whole screen as
// the bytes of a 24-bit BMP file.
#pragma once

#include "runtime/calls/ArgRecord.h"

namespace forms {

// (optional int window handle, optional int width, optional int height) → byte set. No
// handle (or 0) takes the screen; 0 or an omitted size keeps the source's, a negative one is
// a percentage of it. The empty byte set when the handle is not a window.
void WindowSnapshotCommand(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);

}  // namespace forms
