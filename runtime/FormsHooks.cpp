#include "runtime/FormsHooks.h"

namespace rt {

namespace {
FormsHooks g_hooks;
}

void InstallFormsHooks(const FormsHooks& hooks) {
  g_hooks = hooks;
}
const FormsHooks& Forms() {
  return g_hooks;
}

}  // namespace rt
