// The classes every session offers.
#include "platform/ole/ClassRegistry.h"
#include "platform/ole/WinHttpRequest.h"

namespace platform::ole {

void RegisterBuiltinClasses() {
  RegisterClass({u"WinHttp.WinHttpRequest.5.1", kWinHttpRequestClsid, CreateWinHttpRequest});
}

}  // namespace platform::ole
