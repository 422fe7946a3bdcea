// The class registry and everything that turns a class name into a running object:
// ProgID and CLSID text lookup, CoCreateInstance, OleRun, and the counted session that
// creation requires. Type libraries do not exist here: LoadTypeLib always fails, and
// RegisterTypeLib only remembers what it was given so that the end of the program can
// forget it again.
#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "platform/ole/ClassRegistry.h"
#include "platform/ole/OleAuto.h"

namespace platform::ole {

void RegisterBuiltinClasses();

namespace {

std::mutex g_lock;
std::vector<ClassEntry>& Classes() {
  static std::vector<ClassEntry> classes;
  return classes;
}
int g_sessions = 0;
std::vector<std::u16string>& TypeLibPaths() {
  static std::vector<std::u16string> paths;
  return paths;
}

char16_t Lower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

bool SameNameIgnoringCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return Lower(x) == Lower(y); });
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Reads `digits` hexadecimal digits at text[*at].
bool ReadHex(LPCOLESTR text, size_t* at, int digits, uint32_t* value) {
  *value = 0;
  for (int i = 0; i < digits; ++i) {
    int d = HexDigit(text[*at]);
    if (d < 0) return false;
    *value = *value << 4 | static_cast<uint32_t>(d);
    ++*at;
  }
  return true;
}

bool Expect(LPCOLESTR text, size_t* at, char16_t c) {
  if (text[*at] != c) return false;
  ++*at;
  return true;
}

}  // namespace

void RegisterClass(const ClassEntry& entry) {
  std::lock_guard lock(g_lock);
  auto& classes = Classes();
  auto same = std::find_if(classes.begin(), classes.end(),
                           [&](const ClassEntry& e) { return e.clsid == entry.clsid; });
  if (same != classes.end()) {
    *same = entry;
  } else {
    classes.push_back(entry);
  }
}

void UnregisterClass(REFCLSID clsid) {
  std::lock_guard lock(g_lock);
  std::erase_if(Classes(), [&](const ClassEntry& e) { return e.clsid == clsid; });
}

// Entries are never moved while a caller holds one: registration happens at start and in
// test set-up, before any lookup that could race with it.
const ClassEntry* FindClassByProgId(std::u16string_view progId) {
  std::lock_guard lock(g_lock);
  for (const ClassEntry& e : Classes()) {
    if (SameNameIgnoringCase(e.progId, progId)) return &e;
  }
  return nullptr;
}

const ClassEntry* FindClassByClsid(REFCLSID clsid) {
  std::lock_guard lock(g_lock);
  for (const ClassEntry& e : Classes()) {
    if (e.clsid == clsid) return &e;
  }
  return nullptr;
}

size_t RegisteredTypeLibCount() {
  std::lock_guard lock(g_lock);
  return TypeLibPaths().size();
}

void ForgetRegisteredTypeLibs() {
  std::lock_guard lock(g_lock);
  TypeLibPaths().clear();
}

bool OleSessionActive() {
  std::lock_guard lock(g_lock);
  return g_sessions > 0;
}

}  // namespace platform::ole

using namespace platform::ole;

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid) {
  if (progId == nullptr || clsid == nullptr) return E_INVALIDARG;
  const ClassEntry* entry = FindClassByProgId(progId);
  if (entry == nullptr) return CO_E_CLASSSTRING;
  *clsid = entry->clsid;
  return S_OK;
}

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid) {
  if (text == nullptr || clsid == nullptr) return E_INVALIDARG;
  size_t at = 0;
  uint32_t data1, data2, data3, byte;
  CLSID out{};
  bool ok = Expect(text, &at, u'{') && ReadHex(text, &at, 8, &data1) && Expect(text, &at, u'-') &&
            ReadHex(text, &at, 4, &data2) && Expect(text, &at, u'-') &&
            ReadHex(text, &at, 4, &data3) && Expect(text, &at, u'-');
  for (int i = 0; ok && i < 8; ++i) {
    if (i == 2) ok = Expect(text, &at, u'-');
    ok = ok && ReadHex(text, &at, 2, &byte);
    out.Data4[i] = static_cast<BYTE>(byte);
  }
  ok = ok && Expect(text, &at, u'}') && text[at] == 0;
  if (!ok) return CO_E_CLASSSTRING;
  out.Data1 = data1;
  out.Data2 = static_cast<WORD>(data2);
  out.Data3 = static_cast<WORD>(data3);
  *clsid = out;
  return S_OK;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!OleSessionActive()) return CO_E_NOTINITIALIZED;
  const ClassEntry* entry = FindClassByClsid(clsid);
  if (entry == nullptr) return REGDB_E_CLASSNOTREG;
  if ((context & entry->refusedContexts) != 0) return E_INVALIDARG;
  // Every class here is an in-process server.
  if ((context & (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)) == 0) {
    return REGDB_E_CLASSNOTREG;
  }
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return entry->create(riid, object);
}

HRESULT OleRun(IUnknown* object) {
  if (object == nullptr) return E_INVALIDARG;
  IRunnableObject* runnable = nullptr;
  if (FAILED(object->QueryInterface(IID_IRunnableObject, reinterpret_cast<void**>(&runnable)))) {
    return S_OK;  // objects that do not say otherwise are running from birth
  }
  HRESULT hr = runnable->Run(nullptr);
  runnable->Release();
  return hr;
}

HRESULT LoadTypeLib(LPCOLESTR file, ITypeLib** library) {
  if (library == nullptr) return E_INVALIDARG;
  *library = nullptr;
  if (file == nullptr) return E_INVALIDARG;
  return TYPE_E_CANTLOADLIBRARY;
}

HRESULT RegisterTypeLib(ITypeLib* library, LPCOLESTR fullPath, LPCOLESTR) {
  if (library == nullptr || fullPath == nullptr) return E_INVALIDARG;
  std::lock_guard lock(g_lock);
  TypeLibPaths().emplace_back(fullPath);
  return S_OK;
}

// Our own hash: FNV-1a over the name's bytes with ASCII letters folded to lower case, so
// that names differing only in case hash alike, as binding needs. The system kind and
// locale do not take part; the high word is left 0.
ULONG LHashValOfNameSysA(SYSKIND, LCID, LPCSTR name) {
  if (name == nullptr) return 0;
  uint32_t h = 2166136261u;
  for (const char* p = name; *p != 0; ++p) {
    char c = *p >= 'A' && *p <= 'Z' ? static_cast<char>(*p + 32) : *p;
    h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
  }
  return (h ^ (h >> 16)) & 0xFFFF;
}

LCID GetUserDefaultLCID() {
  return 0x0804;  // Chinese (PRC), the program's locale
}

HRESULT OleInitialize(void*) {
  bool first;
  {
    std::lock_guard lock(g_lock);
    first = g_sessions++ == 0;
  }
  if (first) RegisterBuiltinClasses();
  return first ? S_OK : S_FALSE;
}

void OleUninitialize() {
  std::lock_guard lock(g_lock);
  if (g_sessions > 0) --g_sessions;
}
