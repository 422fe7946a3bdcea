// OLE for the whole process: initialised once at start, ended at program end when the start
// initialised it.
#pragma once

namespace rt {

// True when this call initialised OLE.
bool StartOle();
// Forgets the type libraries registered during the run.
void UnregisterServers();
void StopOle();

}  // namespace rt
