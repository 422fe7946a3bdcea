// One filter pass over what the photo box shows, as the filter menu runs it: the box is
// copied into an off-screen bitmap through the program's declared platform functions, every
// pixel is rewritten there, and the bitmap is drawn back into the box. The handles and size
// of the pass live in the application globals from BeginFilterPass to EndFilterPass.
#pragma once

#include "app/filters/FilterPass.h"

namespace app::filterwindow {

// Captures the box, shows the progress bar at 0 and "应用滤镜..." in the status bar.
void BeginFilterPass();
// Draws the result into the box (not into its picture), releases every GDI object of the
// pass, hides the progress bar and shows "完成".
void EndFilterPass();

// The whole pass of one filter, with the progress bar moved and window events handled after
// every column. A filter chosen from the menu during the pass runs as a pass of its own on
// the same box and leaves the handles of the pass it interrupted as they were. When the
// window is closed during the pass, the pass stops there, releases its objects and touches
// no unit of the closed window.
void RunMenuFilter(FilterKind kind, FilterRandom& random);
void RunMenuFilter(FilterKind kind);

}  // namespace app::filterwindow
