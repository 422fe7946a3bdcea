// One request at a time over a libcurl easy handle driven by a multi handle, so that this
// file, not libcurl, watches the silences: libcurl has a connect time-out but no time-out
// for a server that has accepted the connection and then goes quiet, or sends slower than
// the receive time-out allows between two pieces.
#include "platform/ole/WinHttpRequest.h"

#include <curl/curl.h>
#include <iconv.h>
#include <strings.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/kernel/CodePage.h"
#include "platform/ole/DispatchObject.h"
#include "platform/ole/OleAuto.h"

namespace platform::ole {

namespace {

using Clock = std::chrono::steady_clock;

std::mutex g_defaultsLock;
RequestTimeouts g_defaults;

enum Member : DISPID {
  kOpen = 1,
  kSetRequestHeader,
  kSend,
  kGetResponseHeader,
  kGetAllResponseHeaders,
  kSetTimeouts,
  kStatus,
  kStatusText,
  kResponseText,
  kResponseBody,
};

const MemberTable& Members() {
  static const MemberTable members = {
      {u"Open",
       kOpen,
       INVOKE_FUNC,
       false,
       VT_VOID,
       {{VT_BSTR}, {VT_BSTR}, {VT_VARIANT, PARAMFLAG_FIN | PARAMFLAG_FOPT}},
       1},
      {u"SetRequestHeader", kSetRequestHeader, INVOKE_FUNC, false, VT_VOID, {{VT_BSTR}, {VT_BSTR}}},
      {u"Send",
       kSend,
       INVOKE_FUNC,
       false,
       VT_VOID,
       {{VT_VARIANT, PARAMFLAG_FIN | PARAMFLAG_FOPT}},
       1},
      {u"GetResponseHeader", kGetResponseHeader, INVOKE_FUNC, false, VT_BSTR, {{VT_BSTR}}},
      {u"GetAllResponseHeaders", kGetAllResponseHeaders, INVOKE_FUNC, false, VT_BSTR},
      {u"SetTimeouts",
       kSetTimeouts,
       INVOKE_FUNC,
       false,
       VT_VOID,
       {{VT_I4}, {VT_I4}, {VT_I4}, {VT_I4}}},
      {u"Status", kStatus, INVOKE_PROPERTYGET, false, VT_I4},
      {u"StatusText", kStatusText, INVOKE_PROPERTYGET, false, VT_BSTR},
      {u"ResponseText", kResponseText, INVOKE_PROPERTYGET, false, VT_BSTR},
      {u"ResponseBody", kResponseBody, INVOKE_PROPERTYGET, false, VT_VARIANT},
  };
  return members;
}

std::string Utf8(BSTR text) {
  std::string out;
  platform::kernel::EncodeUtf8(std::u16string_view(text, SysStringLen(text)), false, out);
  return out;
}

HRESULT ReturnText(std::u16string_view text, VARIANT* result) {
  if (result == nullptr) return S_OK;
  result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (result->bstrVal == nullptr) return E_OUTOFMEMORY;
  result->vt = VT_BSTR;
  return S_OK;
}

std::u16string FromUtf8(std::string_view bytes) {
  std::u16string out;
  platform::kernel::DecodeUtf8(bytes, false, out);
  return out;
}

std::string Trim(std::string_view s) {
  size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  size_t last = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(first, last - first + 1));
}

// Bytes in a named character set as UTF-16, undecodable bytes as U+FFFD; false when iconv
// does not know the set.
bool DecodeCharset(const std::string& charset, std::string_view bytes, std::u16string* out) {
  iconv_t cd = iconv_open("UTF-16LE", charset.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string in(bytes);
  char* src = in.data();
  size_t left = in.size();
  std::vector<char> buffer(4096);
  while (left > 0) {
    char* dst = buffer.data();
    size_t room = buffer.size();
    size_t r = iconv(cd, &src, &left, &dst, &room);
    for (char* p = buffer.data(); p + 1 < dst; p += 2) {
      out->push_back(
          static_cast<char16_t>(static_cast<uint8_t>(p[0]) | static_cast<uint8_t>(p[1]) << 8));
    }
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      out->push_back(u'\uFFFD');  // an invalid or cut-off sequence: skip one byte
      ++src;
      --left;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return true;
}

class Request final : public DispatchObject {
 public:
  Request() : DispatchObject(Members()) {}

 protected:
  HRESULT InvokeMember(const MemberDecl& member, WORD, const DISPPARAMS& params, VARIANT* result,
                       EXCEPINFO* exception) override;

 private:
  // What the transfer callbacks see.
  struct Transfer {
    std::string body;
    std::vector<std::string> headers;
    std::string statusLine;
    bool tooLarge = false;
    bool connected = false;
    bool uploading = false;
    curl_off_t uploaded = 0;
    curl_off_t downloaded = 0;
    Clock::time_point lastActivity;
  };

  HRESULT Open(const DISPPARAMS& params, EXCEPINFO* exception);
  HRESULT SetRequestHeader(const DISPPARAMS& params);
  HRESULT Send(const DISPPARAMS& params, EXCEPINFO* exception);
  HRESULT SetTimeouts(const DISPPARAMS& params);
  HRESULT ResponseHeader(const DISPPARAMS& params, VARIANT* result, EXCEPINFO* exception);
  HRESULT AllResponseHeaders(VARIANT* result, EXCEPINFO* exception);
  HRESULT ResponseText(VARIANT* result);
  HRESULT ResponseBody(VARIANT* result);
  HRESULT Perform(const std::string& body, EXCEPINFO* exception);
  std::string Charset() const;
  const std::string* Header(std::string_view name) const;

  static size_t OnBody(char* data, size_t size, size_t count, void* self);
  static size_t OnHeader(char* data, size_t size, size_t count, void* self);
  static int OnProgress(void* self, curl_off_t, curl_off_t downloaded, curl_off_t uploadTotal,
                        curl_off_t uploaded);
  static int OnConnected(void* self, char*, char*, int, int);

  RequestTimeouts timeouts_ = RequestTimeoutDefaults();
  bool opened_ = false;
  bool answered_ = false;
  std::string method_;
  std::string url_;
  std::vector<std::pair<std::string, std::string>> requestHeaders_;
  Transfer reply_;
  long status_ = 0;
};

HRESULT Request::InvokeMember(const MemberDecl& member, WORD, const DISPPARAMS& params,
                              VARIANT* result, EXCEPINFO* exception) {
  bool needsReply = member.id == kStatus || member.id == kStatusText ||
                    member.id == kResponseText || member.id == kResponseBody ||
                    member.id == kGetResponseHeader || member.id == kGetAllResponseHeaders;
  if (needsReply && !answered_) {
    return Raise(exception, E_FAIL,
                 u"The data necessary to complete this operation is not yet available.");
  }
  switch (member.id) {
    case kOpen:
      return Open(params, exception);
    case kSetRequestHeader:
      return SetRequestHeader(params);
    case kSend:
      return Send(params, exception);
    case kSetTimeouts:
      return SetTimeouts(params);
    case kGetResponseHeader:
      return ResponseHeader(params, result, exception);
    case kGetAllResponseHeaders:
      return AllResponseHeaders(result, exception);
    case kStatus:
      if (result != nullptr) {
        result->vt = VT_I4;
        result->lVal = static_cast<LONG>(status_);
      }
      return S_OK;
    case kStatusText: {
      size_t first = reply_.statusLine.find(' ');
      size_t second = first == std::string::npos ? first : reply_.statusLine.find(' ', first + 1);
      std::string text = second == std::string::npos ? "" : reply_.statusLine.substr(second + 1);
      return ReturnText(FromUtf8(Trim(text)), result);
    }
    case kResponseText:
      return ResponseText(result);
    case kResponseBody:
      return ResponseBody(result);
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT Request::Open(const DISPPARAMS& params, EXCEPINFO* exception) {
  VARIANT method, url;
  HRESULT hr = Argument(params, 0, VT_BSTR, &method);
  if (SUCCEEDED(hr)) hr = Argument(params, 1, VT_BSTR, &url);
  if (SUCCEEDED(hr)) {
    method_ = Utf8(method.bstrVal);
    url_ = Utf8(url.bstrVal);
  }
  VariantClear(&method);
  VariantClear(&url);
  if (FAILED(hr)) return hr;
  if (method_.empty() || url_.find("://") == std::string::npos) {
    opened_ = false;
    return Raise(exception, E_INVALIDARG, u"The URL or the method is invalid.");
  }
  opened_ = true;
  answered_ = false;
  requestHeaders_.clear();
  reply_ = Transfer{};
  status_ = 0;
  return S_OK;
}

HRESULT Request::SetRequestHeader(const DISPPARAMS& params) {
  VARIANT name, value;
  HRESULT hr = Argument(params, 0, VT_BSTR, &name);
  if (SUCCEEDED(hr)) hr = Argument(params, 1, VT_BSTR, &value);
  if (SUCCEEDED(hr)) {
    std::string n = Utf8(name.bstrVal);
    std::string v = Utf8(value.bstrVal);
    // A line break would let a caller's value start a header of its own.
    if (n.empty() || n.find_first_of(":\r\n") != std::string::npos ||
        v.find_first_of("\r\n") != std::string::npos) {
      hr = E_INVALIDARG;
    } else {
      requestHeaders_.emplace_back(n, v);
    }
  }
  VariantClear(&name);
  VariantClear(&value);
  return hr;
}

HRESULT Request::SetTimeouts(const DISPPARAMS& params) {
  long values[4];
  for (UINT i = 0; i < 4; ++i) {
    VARIANT v;
    HRESULT hr = Argument(params, i, VT_I4, &v);
    if (FAILED(hr)) return hr;
    // 0 and -1 both wait without limit.
    values[i] = v.lVal < 0 ? 0 : v.lVal;
  }
  timeouts_ = {values[0], values[1], values[2], values[3]};
  return S_OK;
}

HRESULT Request::Send(const DISPPARAMS& params, EXCEPINFO* exception) {
  if (!opened_) return Raise(exception, E_FAIL, u"Open must be called before Send.");
  std::string body;
  if (Given(params, 0)) {
    VARIANT v;
    VariantInit(&v);
    HRESULT hr = VariantCopyInd(&v, &params.rgvarg[params.cArgs - 1]);
    if (FAILED(hr)) return hr;
    if (v.vt == (VT_ARRAY | VT_UI1) && v.parray != nullptr && v.parray->cDims == 1) {
      body.assign(static_cast<const char*>(v.parray->pvData), v.parray->rgsabound[0].cElements);
    } else if (v.vt != VT_EMPTY) {
      VARIANT text;
      VariantInit(&text);
      hr = VariantChangeType(&text, &v, 0, VT_BSTR);
      if (SUCCEEDED(hr)) body = Utf8(text.bstrVal);
      VariantClear(&text);
    }
    VariantClear(&v);
    if (FAILED(hr)) return hr;
  }
  return Perform(body, exception);
}

size_t Request::OnBody(char* data, size_t size, size_t count, void* self) {
  auto* t = static_cast<Transfer*>(self);
  size_t bytes = size * count;
  t->lastActivity = Clock::now();
  if (t->body.size() + bytes > kMaxReplyBytes) {
    t->tooLarge = true;
    return 0;
  }
  t->body.append(data, bytes);
  return bytes;
}

size_t Request::OnHeader(char* data, size_t size, size_t count, void* self) {
  auto* t = static_cast<Transfer*>(self);
  size_t bytes = size * count;
  t->lastActivity = Clock::now();
  std::string line = Trim(std::string_view(data, bytes));
  if (line.rfind("HTTP/", 0) == 0) {
    // A new response (after a redirect or an interim 1xx) replaces the earlier headers.
    t->statusLine = line;
    t->headers.clear();
  } else if (!line.empty()) {
    t->headers.push_back(line);
    if (strncasecmp(line.c_str(), "content-length:", 15) == 0 &&
        std::strtoull(line.c_str() + 15, nullptr, 10) > kMaxReplyBytes) {
      t->tooLarge = true;
      return 0;
    }
  }
  return bytes;
}

int Request::OnProgress(void* self, curl_off_t, curl_off_t downloaded, curl_off_t uploadTotal,
                        curl_off_t uploaded) {
  auto* t = static_cast<Transfer*>(self);
  if (downloaded != t->downloaded || uploaded != t->uploaded) t->lastActivity = Clock::now();
  t->downloaded = downloaded;
  t->uploaded = uploaded;
  t->uploading = uploadTotal > 0 && uploaded < uploadTotal;
  return 0;
}

int Request::OnConnected(void* self, char*, char*, int, int) {
  auto* t = static_cast<Transfer*>(self);
  t->connected = true;
  t->lastActivity = Clock::now();
  return CURL_PREREQFUNC_OK;
}

HRESULT Request::Perform(const std::string& body, EXCEPINFO* exception) {
  static std::once_flag curlStarted;
  std::call_once(curlStarted, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  answered_ = false;
  reply_ = Transfer{};
  status_ = 0;
  CURL* easy = curl_easy_init();
  CURLM* multi = curl_multi_init();
  if (easy == nullptr || multi == nullptr) {
    curl_easy_cleanup(easy);
    curl_multi_cleanup(multi);
    return E_OUTOFMEMORY;
  }
  curl_slist* headers = nullptr;
  for (const auto& [name, value] : requestHeaders_) {
    headers = curl_slist_append(headers, (name + ": " + value).c_str());
  }
  curl_easy_setopt(easy, CURLOPT_URL, url_.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(easy, CURLOPT_PROXY, "");  // direct, whatever the environment says
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
  if (strcasecmp(method_.c_str(), "GET") == 0) {
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  } else {
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method_.c_str());
  }
  if (!body.empty()) {
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  }
  long connectLimit = timeouts_.connect == 0 ? 0 : timeouts_.connect + timeouts_.resolve;
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, connectLimit);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &reply_);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &reply_);
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &reply_);
  curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, OnConnected);
  curl_easy_setopt(easy, CURLOPT_PREREQDATA, &reply_);
  curl_multi_add_handle(multi, easy);

  bool timedOut = false;
  int running = 1;
  while (running > 0) {
    if (curl_multi_perform(multi, &running) != CURLM_OK || running == 0) break;
    int waitMs = 1000;
    if (reply_.connected) {
      long limit = reply_.uploading ? timeouts_.send : timeouts_.receive;
      if (limit > 0) {
        auto quiet = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() -
                                                                           reply_.lastActivity);
        if (quiet.count() >= limit) {
          timedOut = true;
          break;
        }
        waitMs = static_cast<int>(std::min<long>(waitMs, limit - quiet.count()));
      }
    }
    curl_multi_poll(multi, nullptr, 0, waitMs, nullptr);
  }
  CURLcode code = CURLE_OK;
  int pending = 0;
  while (CURLMsg* message = curl_multi_info_read(multi, &pending)) {
    if (message->msg == CURLMSG_DONE) code = message->data.result;
  }
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status_);
  curl_multi_remove_handle(multi, easy);
  curl_easy_cleanup(easy);
  curl_multi_cleanup(multi);
  curl_slist_free_all(headers);

  if (reply_.tooLarge) {
    return Raise(exception, E_FAIL, u"The reply is larger than this object accepts.");
  }
  if (timedOut || code == CURLE_OPERATION_TIMEDOUT) {
    return Raise(exception, E_FAIL, u"The operation timed out.");
  }
  if (code != CURLE_OK || status_ == 0) {
    return Raise(exception, E_FAIL, u"A connection with the server could not be established.");
  }
  answered_ = true;
  return S_OK;
}

const std::string* Request::Header(std::string_view name) const {
  for (const std::string& line : reply_.headers) {
    if (line.size() > name.size() && line[name.size()] == ':' &&
        strncasecmp(line.c_str(), std::string(name).c_str(), name.size()) == 0) {
      return &line;
    }
  }
  return nullptr;
}

HRESULT Request::ResponseHeader(const DISPPARAMS& params, VARIANT* result, EXCEPINFO* exception) {
  VARIANT name;
  HRESULT hr = Argument(params, 0, VT_BSTR, &name);
  if (FAILED(hr)) return hr;
  const std::string* line = Header(Utf8(name.bstrVal));
  VariantClear(&name);
  if (line == nullptr) return Raise(exception, E_FAIL, u"The requested header was not found.");
  return ReturnText(FromUtf8(Trim(std::string_view(*line).substr(line->find(':') + 1))), result);
}

HRESULT Request::AllResponseHeaders(VARIANT* result, EXCEPINFO*) {
  std::string all;
  for (const std::string& line : reply_.headers) all += line + "\r\n";
  return ReturnText(FromUtf8(all), result);
}

std::string Request::Charset() const {
  const std::string* type = Header("Content-Type");
  if (type == nullptr) return {};
  std::string lower(*type);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  size_t at = lower.find("charset=");
  if (at == std::string::npos) return {};
  std::string value = type->substr(at + 8);
  value = value.substr(0, value.find(';'));
  value = Trim(value);
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

HRESULT Request::ResponseText(VARIANT* result) {
  std::string charset = Charset();
  std::u16string text;
  if (charset.empty() || strcasecmp(charset.c_str(), "utf-8") == 0 ||
      !DecodeCharset(charset, reply_.body, &text)) {
    text = FromUtf8(reply_.body);
  }
  return ReturnText(text, result);
}

HRESULT Request::ResponseBody(VARIANT* result) {
  if (result == nullptr) return S_OK;
  SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(reply_.body.size()));
  if (bytes == nullptr) return E_OUTOFMEMORY;
  if (!reply_.body.empty()) std::memcpy(bytes->pvData, reply_.body.data(), reply_.body.size());
  result->vt = VT_ARRAY | VT_UI1;
  result->parray = bytes;
  return S_OK;
}

}  // namespace

void SetRequestTimeoutDefaults(const RequestTimeouts& timeouts) {
  std::lock_guard lock(g_defaultsLock);
  g_defaults = timeouts;
}

RequestTimeouts RequestTimeoutDefaults() {
  std::lock_guard lock(g_defaultsLock);
  return g_defaults;
}

HRESULT CreateWinHttpRequest(REFIID riid, void** object) {
  auto* request = new (std::nothrow) Request();
  if (request == nullptr) return E_OUTOFMEMORY;
  HRESULT hr = request->QueryInterface(riid, object);
  request->Release();
  return hr;
}

}  // namespace platform::ole
