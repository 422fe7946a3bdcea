// The HTTP request class "WinHttp.WinHttpRequest.5.1", over libcurl. Requests run to the
// end inside Send (the asynchronous flag of Open is accepted and ignored). Time-outs are
// those of the platform's own class unless SetTimeouts changes them: resolving unlimited,
// connecting 60 s, sending 30 s, and 30 s of silence while waiting for the reply. A reply
// larger than 16 MiB fails the request.
#pragma once

#include "platform/ole/ComTypes.h"

namespace platform::ole {

inline constexpr CLSID kWinHttpRequestClsid = {
    0x5E1D0A11, 0x7C3B, 0x4E8F, {0x9A, 0x26, 0x0B, 0x4D, 0x6C, 0x8E, 0x2F, 0x31}};
inline constexpr size_t kMaxReplyBytes = size_t{16} << 20;

HRESULT CreateWinHttpRequest(REFIID riid, void** object);

// Milliseconds; 0 waits without limit.
struct RequestTimeouts {
  long resolve = 0;
  long connect = 60000;
  long send = 30000;
  long receive = 30000;
};
// What new request objects start with, for callers that cannot reach SetTimeouts (tests
// of code that makes its own objects).
void SetRequestTimeoutDefaults(const RequestTimeouts& timeouts);
RequestTimeouts RequestTimeoutDefaults();

}  // namespace platform::ole
