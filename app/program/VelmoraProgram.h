// Velmora as the runtime sees it: the image header that ties the compiled windows and the
// handler table to the support libraries, the pieces the program is assembled from, and the
// entry routine the runtime runs first.
#pragma once

#include "runtime/image/ImageHeader.h"

namespace app {

const rt::ImageHeader& ProgramHeader();

// The forms engine and the sound service; once per process, before the runtime starts.
void AssembleProgram();

// The entry routine: runtime initialisation, the globals and their end routine, then
// HomeWindow as the start-up window and the message loop until it is closed.
int EntryRoutine();

// The start the executable makes: a presenter (or a plain message and a non-zero code when
// there is no display), then the program's whole life. Returns the exit code.
int RunVelmora();

}  // namespace app
