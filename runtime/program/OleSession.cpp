#include "runtime/program/OleSession.h"

namespace rt {

bool StartOleWhenAvailable() {
  return false;
}

void StopOle() {}

}  // namespace rt
