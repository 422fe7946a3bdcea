#include "platform/ole/DispatchObject.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include "platform/ole/ClassRegistry.h"
#include "platform/ole/OleAuto.h"

namespace platform::ole {

namespace {

std::atomic<long> g_live{0};

char16_t Lower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

bool NameMatches(std::u16string_view declared, LPCOLESTR name) {
  size_t i = 0;
  for (; i < declared.size(); ++i) {
    if (name[i] == 0 || Lower(name[i]) != Lower(declared[i])) return false;
  }
  return name[i] == 0;
}

bool Binds(const MemberDecl& m, WORD flags) {
  if (m.variable)
    return (flags & (INVOKE_PROPERTYGET | INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) != 0;
  return (m.invoke & flags) != 0;
}

const MemberDecl* FindByName(const MemberTable& members, LPOLESTR name, WORD flags) {
  for (const MemberDecl& m : members) {
    if (NameMatches(m.name, name) && Binds(m, flags)) return &m;
  }
  return nullptr;
}

// Lower-case ASCII of a UTF-16 name, for the hash; other characters pass as '?'.
std::string AsciiName(LPCOLESTR name) {
  std::string out;
  for (; *name != 0; ++name) out.push_back(*name < 0x80 ? static_cast<char>(*name) : '?');
  return out;
}

void Describe(const ParameterDecl& p, ELEMDESC* e, TYPEDESC* inner) {
  e->paramdesc.pparamdescex = nullptr;
  e->paramdesc.wParamFlags = p.flags;
  TYPEDESC* t = &e->tdesc;
  if (p.byRef) {
    t->vt = VT_PTR;
    t->lptdesc = &inner[0];
    t = &inner[0];
  }
  if ((p.vt & VT_ARRAY) != 0) {
    t->vt = VT_SAFEARRAY;
    t->lptdesc = &inner[1];
    t = &inner[1];
  }
  t->vt = p.vt & VT_TYPEMASK;
}

// One block: the FUNCDESC, its parameters' ELEMDESCs, and two TYPEDESCs per parameter
// for what VT_PTR and VT_SAFEARRAY point at. ReleaseFuncDesc frees the block.
FUNCDESC* NewFuncDesc(const MemberDecl& m) {
  size_t n = m.params.size();
  size_t bytes = sizeof(FUNCDESC) + n * sizeof(ELEMDESC) + 2 * n * sizeof(TYPEDESC);
  auto* block = static_cast<uint8_t*>(std::calloc(1, bytes));
  if (block == nullptr) return nullptr;
  auto* desc = reinterpret_cast<FUNCDESC*>(block);
  auto* params = reinterpret_cast<ELEMDESC*>(block + sizeof(FUNCDESC));
  auto* inner = reinterpret_cast<TYPEDESC*>(block + sizeof(FUNCDESC) + n * sizeof(ELEMDESC));
  for (size_t i = 0; i < n; ++i) Describe(m.params[i], &params[i], &inner[2 * i]);
  desc->memid = m.id;
  desc->lprgelemdescParam = n == 0 ? nullptr : params;
  desc->funckind = FUNC_DISPATCH;
  desc->invkind = m.invoke;
  desc->callconv = CC_STDCALL;
  desc->cParams = static_cast<SHORT>(n);
  desc->cParamsOpt = m.optional;
  desc->elemdescFunc.tdesc.vt = m.type;
  return desc;
}

VARDESC* NewVarDesc(const MemberDecl& m) {
  size_t bytes = sizeof(VARDESC) + 2 * sizeof(TYPEDESC);
  auto* block = static_cast<uint8_t*>(std::calloc(1, bytes));
  if (block == nullptr) return nullptr;
  auto* desc = reinterpret_cast<VARDESC*>(block);
  Describe(ParameterDecl{m.type, PARAMFLAG_NONE, false}, &desc->elemdescVar,
           reinterpret_cast<TYPEDESC*>(block + sizeof(VARDESC)));
  desc->memid = m.id;
  desc->varkind = VAR_DISPATCH;
  return desc;
}

class TableTypeInfo final : public ITypeInfo, public ITypeComp, private CountedObject {
 public:
  explicit TableTypeInfo(const MemberTable* members) : members_(members) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ITypeInfo) {
      *object = static_cast<ITypeInfo*>(this);
    } else if (riid == IID_ITypeComp) {
      *object = static_cast<ITypeComp*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return AddReference(); }
  ULONG Release() override { return DropReference(); }

  HRESULT GetTypeComp(ITypeComp** typeComp) override {
    if (typeComp == nullptr) return E_INVALIDARG;
    AddRef();
    *typeComp = this;
    return S_OK;
  }

  HRESULT GetFuncDesc(UINT index, FUNCDESC** desc) override {
    if (desc == nullptr) return E_INVALIDARG;
    *desc = nullptr;
    UINT seen = 0;
    for (const MemberDecl& m : *members_) {
      if (m.variable || seen++ != index) continue;
      *desc = NewFuncDesc(m);
      return *desc == nullptr ? E_OUTOFMEMORY : S_OK;
    }
    return TYPE_E_ELEMENTNOTFOUND;
  }

  HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) override {
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    const MemberDecl* m = FindByName(*members_, names[0], 0xF);
    if (m != nullptr) ids[0] = m->id;
    if (m == nullptr || count > 1) hr = DISP_E_UNKNOWNNAME;
    return hr;
  }

  HRESULT CreateInstance(IUnknown*, REFIID, void** object) override {
    if (object != nullptr) *object = nullptr;
    return E_NOTIMPL;
  }
  void ReleaseFuncDesc(FUNCDESC* desc) override { std::free(desc); }
  void ReleaseVarDesc(VARDESC* desc) override { std::free(desc); }

  // A hash that does not belong to the name means the caller hashed something else.
  HRESULT Bind(LPOLESTR name, ULONG hash, WORD flags, ITypeInfo** typeInfo, DESCKIND* kind,
               BINDPTR* bound) override {
    if (name == nullptr || typeInfo == nullptr || kind == nullptr || bound == nullptr) {
      return E_INVALIDARG;
    }
    *typeInfo = nullptr;
    *kind = DESCKIND_NONE;
    bound->lpfuncdesc = nullptr;
    if (hash != 0 &&
        (LHashValOfNameSysA(SYS_WIN32, 0, AsciiName(name).c_str()) & 0xFFFF) != (hash & 0xFFFF)) {
      return S_OK;
    }
    const MemberDecl* m = FindByName(*members_, name, flags);
    if (m == nullptr) return S_OK;
    if (m->variable) {
      bound->lpvardesc = NewVarDesc(*m);
      if (bound->lpvardesc == nullptr) return E_OUTOFMEMORY;
      *kind = DESCKIND_VARDESC;
    } else {
      bound->lpfuncdesc = NewFuncDesc(*m);
      if (bound->lpfuncdesc == nullptr) return E_OUTOFMEMORY;
      *kind = DESCKIND_FUNCDESC;
    }
    AddRef();
    *typeInfo = this;
    return S_OK;
  }

 private:
  const MemberTable* members_;
};

}  // namespace

CountedObject::CountedObject() {
  ++g_live;
}
CountedObject::~CountedObject() {
  --g_live;
}

long LiveObjectCount() {
  return g_live.load();
}

HRESULT CreateTableTypeInfo(const MemberTable* members, ITypeInfo** typeInfo) {
  if (members == nullptr || typeInfo == nullptr) return E_INVALIDARG;
  *typeInfo = new (std::nothrow) TableTypeInfo(members);
  return *typeInfo == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT DispatchObject::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT DispatchObject::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_INVALIDARG;
  *count = 1;
  return S_OK;
}

HRESULT DispatchObject::GetTypeInfo(UINT index, LCID, ITypeInfo** typeInfo) {
  if (typeInfo == nullptr) return E_INVALIDARG;
  *typeInfo = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  return CreateTableTypeInfo(&members_, typeInfo);
}

HRESULT DispatchObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  const MemberDecl* m = FindByName(members_, names[0], 0xF);
  if (m != nullptr) ids[0] = m->id;
  return m == nullptr || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

// A property's get and put share their dispatch id; the flags choose between them.
const MemberDecl* DispatchObject::Find(DISPID id, WORD flags) const {
  for (const MemberDecl& m : members_) {
    if (m.id == id && Binds(m, flags)) return &m;
  }
  return nullptr;
}

HRESULT DispatchObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT*) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (params == nullptr || (params->cArgs > 0 && params->rgvarg == nullptr)) return E_INVALIDARG;
  const MemberDecl* m = Find(id, flags);
  if (m == nullptr) return DISP_E_MEMBERNOTFOUND;
  bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  if (put) {
    if (params->cNamedArgs != 1 || params->rgdispidNamedArgs == nullptr ||
        params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
      return DISP_E_PARAMNOTFOUND;
    }
  } else if (params->cNamedArgs != 0) {
    return DISP_E_NONAMEDARGS;
  }
  UINT declared = m->variable ? (put ? 1 : 0) : static_cast<UINT>(m->params.size());
  bool variableList = !m->variable && m->optional == -1 && declared > 0;
  UINT required = m->variable    ? declared
                  : variableList ? declared - 1
                                 : declared - static_cast<UINT>(m->optional);
  if ((params->cArgs > declared && !variableList) || params->cArgs < required) {
    return DISP_E_BADPARAMCOUNT;
  }
  for (UINT i = 0; i < required; ++i) {
    if (!Given(*params, i)) return DISP_E_PARAMNOTOPTIONAL;
  }
  if (result != nullptr) VariantInit(result);
  return InvokeMember(*m, flags, *params, result, exception);
}

bool DispatchObject::Given(const DISPPARAMS& params, UINT index) {
  if (index >= params.cArgs) return false;
  const VARIANT& v = params.rgvarg[params.cArgs - 1 - index];
  return !(v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND);
}

HRESULT DispatchObject::Argument(const DISPPARAMS& params, UINT index, VARTYPE vt, VARIANT* out) {
  VariantInit(out);
  if (!Given(params, index)) return S_OK;
  return VariantChangeType(out, &params.rgvarg[params.cArgs - 1 - index], 0, vt);
}

HRESULT DispatchObject::Raise(EXCEPINFO* exception, HRESULT code, std::u16string_view description) {
  if (exception != nullptr) {
    *exception = EXCEPINFO{};
    exception->bstrDescription =
        SysAllocStringLen(description.data(), static_cast<UINT>(description.size()));
    exception->scode = code;
  }
  return DISP_E_EXCEPTION;
}

}  // namespace platform::ole
