// OLE for the whole process: started once at start, stopped at the end when it was
// started. The platform has no COM layer yet, so for now starting reports that nothing was
// initialised and stopping has nothing to undo; the call sites and the flag are in place
// for when COM arrives.
#pragma once

namespace rt {

// True when OLE was initialised by this call.
bool StartOleWhenAvailable();
void StopOle();

}  // namespace rt
