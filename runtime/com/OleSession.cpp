#include "runtime/com/OleSession.h"

#include "platform/ole/ClassRegistry.h"
#include "platform/ole/OleAuto.h"

namespace rt {

bool StartOle() {
  return OleInitialize(nullptr) == S_OK;
}

void UnregisterServers() {
  platform::ole::ForgetRegisteredTypeLibs();
}

void StopOle() {
  OleUninitialize();
}

}  // namespace rt
