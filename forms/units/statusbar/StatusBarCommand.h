// The command of the extended UI library one that sets the text of one part of a status bar:
// (status-bar unit reference, part index, text), no result. A unit that is not a status bar
// or a part the bar does not have changes nothing; a missing window or unit is the runtime
// error of the unit lookup.
#pragma once

#include "runtime/calls/ArgRecord.h"

namespace forms {

void SetStatusPartText(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);

}  // namespace forms
