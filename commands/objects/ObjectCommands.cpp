#include "commands/objects/ObjectCommands.h"

#include <cstring>
#include <memory>
#include <vector>

#include "commands/objects/VariantValues.h"
#include "commands/support/CommandArgs.h"
#include "commands/support/LibraryServices.h"
#include "platform/ole/OleAuto.h"
#include "runtime/values/ObjectValue.h"

namespace cmd {

namespace {

constexpr int32_t kNotifyFree = 2025;
// In-process server and handler, local and remote server; without remote activation.
constexpr DWORD kAnyContext = 23;
constexpr DWORD kLocalContexts = 7;

void Free(void* block) {
  Notify(kNotifyFree, reinterpret_cast<intptr_t>(block));
}

using Bstr = std::unique_ptr<OLECHAR, void (*)(BSTR)>;
Bstr MakeBstr(const char* text) {
  return Bstr(TextToBstr(text), SysFreeString);
}

// The object block an argument names: the value itself, or read through the variable.
rt::ObjectValue* ObjectBlock(const CommandArgs& args, int32_t i) {
  if (args.Kind(i) != rt::kTypeObject) return nullptr;
  return reinterpret_cast<rt::ObjectValue*>(static_cast<uintptr_t>(args.Value(i)));
}

VARIANT* VariantBlock(const CommandArgs& args, int32_t i) {
  if (args.Kind(i) != rt::kTypeVariant) return nullptr;
  return reinterpret_cast<VARIANT*>(static_cast<uintptr_t>(args.Value(i)));
}

// A class described by a type library. LoadTypeLib has no libraries to load here, so this
// finds nothing today; it keeps the order in which a class name is looked up.
IUnknown* CreateFromTypeLibrary(const char* className, const char* file) {
  Bstr wideFile = MakeBstr(file);
  ITypeLib* library = nullptr;
  if (FAILED(LoadTypeLib(wideFile.get(), &library)) || library == nullptr) return nullptr;
  IUnknown* made = nullptr;
  Bstr wideName = MakeBstr(className);
  ITypeInfo* info = nullptr;
  MEMBERID id = 0;
  USHORT found = 1;
  ULONG hash = LHashValOfNameSysA(SYS_WIN32, GetUserDefaultLCID(), className);
  if (SUCCEEDED(library->FindName(wideName.get(), hash, &info, &id, &found)) && found == 1 &&
      info != nullptr) {
    void* object = nullptr;
    if (SUCCEEDED(info->CreateInstance(nullptr, IID_IUnknown, &object))) {
      made = static_cast<IUnknown*>(object);
      if (std::strchr(file, '\\') != nullptr) RegisterTypeLib(library, wideFile.get(), nullptr);
    }
  }
  if (info != nullptr) info->Release();
  library->Release();
  return made;
}

IUnknown* CreateFromClassName(const char* className) {
  Bstr wide = MakeBstr(className);
  CLSID clsid;
  HRESULT hr = className[0] == '{' ? CLSIDFromString(wide.get(), &clsid)
                                   : CLSIDFromProgID(wide.get(), &clsid);
  if (FAILED(hr)) return nullptr;
  void* object = nullptr;
  hr = CoCreateInstance(clsid, nullptr, kAnyContext, IID_IUnknown, &object);
  if (hr == E_INVALIDARG)
    hr = CoCreateInstance(clsid, nullptr, kLocalContexts, IID_IUnknown, &object);
  return SUCCEEDED(hr) ? static_cast<IUnknown*>(object) : nullptr;
}

}  // namespace

void CreateObject(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  SetBool(result, false);
  CommandArgs a(count, args);
  rt::ObjectValue* variable = ObjectBlock(a, 0);
  if (variable == nullptr || a.Kind(1) != rt::kTypeText) return;
  const char* className = a.Text(1);
  IUnknown* made = nullptr;
  if (className[0] != '{' && a.Count() > 2 && a.Given(2) && a.Kind(2) == rt::kTypeText) {
    made = CreateFromTypeLibrary(className, a.Text(2));
  }
  if (made == nullptr) made = CreateFromClassName(className);
  if (made == nullptr) return;
  if (FAILED(OleRun(made))) {
    made->Release();
    return;
  }
  rt::ReleaseObjectValue(variable, Free);
  variable->object = made;
  SetBool(result, true);
}

void ReleaseObject(rt::ArgRecord*, int32_t count, rt::ArgRecord* args) {
  rt::ReleaseObjectValue(ObjectBlock(CommandArgs(count, args), 0), Free);
}

void ReadObjectMember(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  result->type = rt::kTypeVariant;
  CallObjectMember(result, count, args, CallKind::Read);
}

void CallObjectMethod(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  result->type = rt::kTypeNone;
  CallObjectMember(result, count, args, CallKind::Call);
}

void ClearVariant(rt::ArgRecord*, int32_t count, rt::ArgRecord* args) {
  VARIANT* v = VariantBlock(CommandArgs(count, args), 0);
  if (v == nullptr) return;
  VariantClear(v);
  std::memset(v, 0, rt::kVariantValueBytes);
}

namespace {

// Element n (1-based, first dimension fastest) of an array variant as a variant of its own.
bool ArrayElement(const VARIANT& array, int32_t n, VARIANT* element) {
  VariantInit(element);
  SAFEARRAY* a = array.parray;
  if (a == nullptr || n < 1) return false;
  std::vector<LONG> indices(a->cDims);
  uint64_t rest = static_cast<uint64_t>(n - 1);
  for (USHORT d = 0; d < a->cDims; ++d) {
    const SAFEARRAYBOUND& b = a->rgsabound[d];
    if (b.cElements == 0) return false;
    indices[d] = static_cast<LONG>(b.lLbound + static_cast<int64_t>(rest % b.cElements));
    rest /= b.cElements;
  }
  if (rest != 0) return false;
  VARTYPE vt = array.vt & VT_TYPEMASK;
  if (vt == VT_VARIANT) return SUCCEEDED(SafeArrayGetElement(a, indices.data(), element));
  if (FAILED(SafeArrayGetElement(a, indices.data(), &element->llVal))) return false;
  element->vt = vt;
  return true;
}

}  // namespace

void VariantToText(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  SetText(result, "");
  CommandArgs a(count, args);
  const VARIANT* held = VariantBlock(a, 0);
  if (held == nullptr) return;
  VARIANT value, text;
  VariantInit(&value);
  VariantInit(&text);
  if (FAILED(VariantCopyInd(&value, held))) return;
  if ((value.vt & VT_ARRAY) != 0 && a.Given(1)) {
    VARIANT element;
    bool found = ArrayElement(value, a.Int(1, 0), &element);
    VariantClear(&value);
    if (!found) return;
    value = element;
  }
  if (SUCCEEDED(VariantChangeType(&text, &value, 0, VT_BSTR))) {
    result->SetPointer(BstrToText(text.bstrVal));
  }
  VariantClear(&text);
  VariantClear(&value);
}

}  // namespace cmd
