#include "app/translator/Translator.h"

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

#include "commands/numeric/NumericCommands.h"
#include "commands/objects/ObjectCommands.h"
#include "commands/text/TextCommands.h"
#include "libraries/ProgramDllCommands.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ObjectValue.h"

namespace app {

namespace {

namespace Arg = rt::Arg;

constexpr const char kRequestClass[] = "WinHttp.WinHttpRequest.5.1";
constexpr const char kOpeningMarker[] =
    "<string xmlns=\"http://schemas.microsoft.com/2003/10/Serialization/\">";
constexpr const char kClosingMarker[] = "</string>";
constexpr int32_t kGbkCodePage = 936;
constexpr int32_t kUtf8CodePage = 65001;

// Pair number -> query text; null where the pair has none.
constexpr const char* kPairs[] = {
    "from=&to=zh-CHS",
    "from=en&to=zh-CHS",
    "from=zh-CHS&to=en",
    "from=ja&to=zh-CHS",
    "from=zh-CHS&to=ja",
    "from=zh-CHS&to=fr",
    "from=fr&to=zh-CHS",
    "from=zh-CHS&to=ru",
    "from=ru&to=zh-CHS",
    "from=zh-CHS&to=de",
    "from=de&to=zh-CHS",
    "from=zh-CHS&to=vi",
    "from=vi&to=zh-CHS",
    "from=zh-CHS&to=th",
    "from=th&to=zh-CHS",
    nullptr,
    nullptr,
    "from=zh-CHS&to=ar",
    "from=ar&to=zh-CHS",
    "from=zh-CHS&to=ko",
    "from=ko&to=zh-CHS",
    "from=zh-CHS&to=lt",
    "from=lt&to=zh-CHS",
    "from=zh-CHS&to=no",
    "from=no&to=zh-CHS",
    "from=zh-CHS&to=zh-CHT",
    "from=zh-CHT&to=zh-CHS",
    "from=zh-CHS&to=fa",
    "from=fa&to=zh-CHS",
};

// A command's text result, owned by this holder.
struct Text {
  char* text;
  explicit Text(char* owned) : text(owned) {}
  explicit Text(const rt::ArgRecord& result) : Text(static_cast<char*>(result.Pointer())) {}
  ~Text() { rt::FreeMem(text); }
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;
  const char* get() const { return text == nullptr ? "" : text; }
  char* release() { return std::exchange(text, nullptr); }
};

// A byte set made by ZeroBytes, freed when done.
struct Bytes {
  void* block;
  explicit Bytes(int32_t count) : block(rt::Call(cmd::ZeroBytes, {Arg::Int(count)}).Pointer()) {}
  ~Bytes() { rt::FreeMem(block); }
  Bytes(const Bytes&) = delete;
  Bytes& operator=(const Bytes&) = delete;
  int32_t Length() const { return rt::Call(cmd::BytesLength, {Arg::Bytes(block)}).As<int32_t>(); }
};

int32_t IntResult(const rt::ArgRecord& r) {
  return r.As<int32_t>();
}

}  // namespace

const char* PairQuery(int32_t pair) {
  if (pair < 0 || pair >= static_cast<int32_t>(std::size(kPairs))) return nullptr;
  return kPairs[pair];
}

std::string TranslatorEndpoint() {
  const char* configured = std::getenv("VELMORA_TRANSLATOR_URL");
  std::string endpoint =
      configured != nullptr && configured[0] != 0 ? configured : kDefaultTranslatorUrl;
  while (!endpoint.empty() && endpoint.back() == '/') endpoint.pop_back();
  return endpoint;
}

char* Utf8Escape(const char* text) {
  namespace dll = libs::dll;
  int32_t units = dll::MultiByteToWideChar(kGbkCodePage, 0, text, -1, rt::DllBytes{}, 0);
  Bytes wide(units * 2);
  dll::MultiByteToWideChar(kGbkCodePage, 0, text, -1, rt::DllBytes{wide.block}, units);
  int32_t size = dll::WideCharToMultiByte(kUtf8CodePage, 0, rt::DllBytes{wide.block},
                                          wide.Length() / 2, rt::DllBytes{}, 0, 0, 0);
  Bytes utf8(size);
  dll::WideCharToMultiByte(kUtf8CodePage, 0, rt::DllBytes{wide.block}, -1, rt::DllBytes{utf8.block},
                           size, 0, 0);
  std::string escaped;
  rt::ByteSetView bytes = rt::ViewByteSet(utf8.block);
  for (size_t i = 0; i + 1 < bytes.size; ++i) {  // all but the terminating zero
    Text hex(rt::Call(cmd::ToHexText, {Arg::Int(bytes.data[i])}));
    escaped += '%';
    if (IntResult(rt::Call(cmd::TextLength, {Arg::Text(hex.get())})) < 2) escaped += '0';
    escaped += hex.get();
  }
  return rt::BuildText(rt::AllocMem, escaped);
}

char* TextBetween(const char* text, const char* open, const char* close) {
  int32_t a = IntResult(rt::Call(cmd::FindText, {Arg::Text(text), Arg::Text(open)}));
  if (a == -1) return nullptr;
  int32_t b = a + IntResult(rt::Call(cmd::TextLength, {Arg::Text(open)}));
  int32_t e = IntResult(rt::Call(cmd::FindText, {Arg::Text(text), Arg::Text(close), Arg::Int(b)}));
  if (e == -1 || e < b) return nullptr;
  return Text(rt::Call(cmd::MidText, {Arg::Text(text), Arg::Int(b), Arg::Int(e - b)})).release();
}

char* Translate(const char* text, int32_t pair) {
  auto* object = static_cast<rt::ObjectValue*>(rt::AllocMem(sizeof(rt::ObjectValue)));
  std::memset(object, 0, sizeof *object);
  const rt::ArgRecord held = Arg::PointerOf(rt::kTypeObject, object);
  const char* query = PairQuery(pair);
  if (query == nullptr) {
    rt::FreeMem(object);
    return nullptr;
  }
  rt::Call(cmd::CreateObject, {held, Arg::Text(kRequestClass)});
  Text escaped(Utf8Escape(text));
  std::string url = TranslatorEndpoint() + kTranslatorPath + "?appId=" + kTranslatorAppId +
                    "&text=" + escaped.get() + "&" + query;
  rt::Call(cmd::CallObjectMethod,
           {held, Arg::Text("open"), Arg::Text("GET"), Arg::Text(url.c_str()), Arg::Bool(false)});
  rt::Call(cmd::CallObjectMethod, {held, Arg::Text("send")});
  rt::ArgRecord read = rt::Call(cmd::ReadObjectMember, {held, Arg::Text("ResponseText")});
  const rt::ArgRecord variant = Arg::PointerOf(rt::kTypeVariant, read.Pointer());
  Text reply(rt::Call(cmd::VariantToText, {variant}));
  rt::Call(cmd::ClearVariant, {variant});
  rt::FreeMem(read.Pointer());
  rt::Call(cmd::ReleaseObject, {held});
  rt::FreeMem(object);
  return TextBetween(reply.get(), kOpeningMarker, kClosingMarker);
}

}  // namespace app
