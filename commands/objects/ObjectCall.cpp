// CallObjectMember: bind a member by name through the object's type information, lay the
// runtime arguments out as the member declares them, Invoke, and bring back out-parameters
// and the result. Every path releases what it took, whatever the outcome.
#include <algorithm>
#include <memory>
#include <vector>

#include "commands/objects/ObjectCommands.h"
#include "commands/objects/VariantValues.h"
#include "commands/support/CommandArgs.h"
#include "platform/ole/OleAuto.h"
#include "runtime/values/ObjectValue.h"

namespace cmd {

namespace {

thread_local int32_t t_status = 0;

namespace st = object_status;

// The member Bind found: what Invoke needs and the declarations the arguments follow.
struct BoundMember {
  ITypeInfo* owner = nullptr;  // releases the description
  DESCKIND kind = DESCKIND_NONE;
  BINDPTR desc{};
  DISPID id = 0;
  WORD flags = 0;
  int32_t declared = 0;
  bool variableList = false;

  BoundMember() = default;
  BoundMember(const BoundMember&) = delete;
  BoundMember& operator=(const BoundMember&) = delete;
  ~BoundMember() {
    if (owner == nullptr) return;
    if (kind == DESCKIND_FUNCDESC) owner->ReleaseFuncDesc(desc.lpfuncdesc);
    if (kind == DESCKIND_VARDESC) owner->ReleaseVarDesc(desc.lpvardesc);
    owner->Release();
  }

  // The declaration of runtime argument i (extra arguments of a variable list take the
  // last one's); null when nothing is declared.
  const ELEMDESC* Declaration(int32_t i) const {
    if (kind == DESCKIND_VARDESC) return &desc.lpvardesc->elemdescVar;
    if (kind != DESCKIND_FUNCDESC || declared == 0) return nullptr;
    return &desc.lpfuncdesc->lprgelemdescParam[i < declared ? i : declared - 1];
  }
};

template <class T>
struct Releaser {
  void operator()(T* p) const {
    if (p != nullptr) p->Release();
  }
};
template <class T>
using ComPtr = std::unique_ptr<T, Releaser<T>>;

int32_t StatusOf(HRESULT hr) {
  switch (hr) {
    case DISP_E_BADPARAMCOUNT:
      return st::kBadParamCount;
    case DISP_E_BADVARTYPE:
      return st::kBadVarType;
    case DISP_E_EXCEPTION:
      return st::kException;
    case DISP_E_MEMBERNOTFOUND:
      return st::kMemberNotFound;
    case DISP_E_NONAMEDARGS:
      return st::kNoNamedArgs;
    case DISP_E_OVERFLOW:
      return st::kOverflow;
    case DISP_E_PARAMNOTFOUND:
      return st::kParamNotFound;
    case DISP_E_TYPEMISMATCH:
      return st::kTypeMismatch;
    case DISP_E_PARAMNOTOPTIONAL:
      return st::kParamNotOptional;
    default:
      return st::kInvokeFailed;
  }
}

bool IsArrayType(const TYPEDESC& t) {
  return t.vt == VT_SAFEARRAY || t.vt == VT_CARRAY || (t.vt & VT_ARRAY) != 0;
}

// Tries the call kind's invocation flags in order until one binds.
int32_t Bind(ITypeComp* comp, LPOLESTR name, ULONG hash, CallKind kind, BoundMember* m) {
  static const WORD kRead[] = {INVOKE_PROPERTYGET, INVOKE_FUNC};
  static const WORD kWrite[] = {INVOKE_PROPERTYPUT, INVOKE_PROPERTYPUTREF, INVOKE_FUNC};
  static const WORD kCall[] = {INVOKE_FUNC, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT,
                               INVOKE_PROPERTYPUTREF};
  const WORD* tries = kind == CallKind::Read ? kRead : kind == CallKind::Write ? kWrite : kCall;
  size_t n = kind == CallKind::Read ? 2 : kind == CallKind::Write ? 3 : 4;
  for (size_t i = 0; i < n; ++i) {
    ITypeInfo* owner = nullptr;
    DESCKIND found = DESCKIND_NONE;
    BINDPTR desc{};
    if (FAILED(comp->Bind(name, hash, tries[i], &owner, &found, &desc))) continue;
    if (found == DESCKIND_FUNCDESC || found == DESCKIND_VARDESC) {
      m->owner = owner;
      m->kind = found;
      m->desc = desc;
      break;
    }
    if (found == DESCKIND_TYPECOMP && desc.lptcomp != nullptr) desc.lptcomp->Release();
    if (owner != nullptr) owner->Release();
  }
  if (m->kind == DESCKIND_FUNCDESC) {
    const FUNCDESC* f = m->desc.lpfuncdesc;
    m->id = f->memid;
    m->flags = static_cast<WORD>(f->invkind);
    m->declared = f->cParams;
    m->variableList = f->cParamsOpt == -1 && f->cParams > 0;
    return st::kOk;
  }
  if (m->kind == DESCKIND_VARDESC) {
    const VARDESC* v = m->desc.lpvardesc;
    m->id = v->memid;
    if (kind == CallKind::Write) {
      const TYPEDESC& t = v->elemdescVar.tdesc;
      bool byReference = IsArrayType(t) || t.vt == VT_UNKNOWN || t.vt == VT_DISPATCH;
      m->flags = byReference ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
      m->declared = 1;
    } else {
      m->flags = DISPATCH_PROPERTYGET;
      m->declared = 0;
    }
    return st::kOk;
  }
  return st::kNoMember;
}

// The argument VARIANTs (last runtime argument first) and the second block that
// by-reference arguments point into. Both are cleared when the call is over.
struct Arguments {
  std::vector<VARIANT> values;
  std::vector<VARIANT> referenced;
  std::vector<bool> passedByReference;

  explicit Arguments(size_t n) : values(n), referenced(n), passedByReference(n, false) {
    for (size_t i = 0; i < n; ++i) {
      VariantInit(&values[i]);
      VariantInit(&referenced[i]);
    }
  }
  ~Arguments() {
    for (VARIANT& v : values) VariantClear(&v);
    for (VARIANT& v : referenced) VariantClear(&v);
  }
};

void MarkOmitted(VARIANT* v) {
  VariantClear(v);
  v->vt = VT_ERROR;
  v->scode = DISP_E_PARAMNOTFOUND;
}

// Points *slot at `held`, which takes over the converted value, for a parameter declared
// by reference to `target`; leaves *slot unchanged when that cannot be done.
void PassByReference(const TYPEDESC& target, VARIANT* slot, VARIANT* held, bool* byRef) {
  if (slot->vt == VT_ERROR || target.vt == VT_RECORD || target.vt == VT_USERDEFINED) return;
  if (target.vt == VT_VARIANT) {
    *held = *slot;
    VariantInit(slot);
    slot->vt = VT_BYREF | VT_VARIANT;
    slot->pvarVal = held;
  } else if (IsArrayType(target)) {
    if ((slot->vt & VT_ARRAY) == 0) return;
    *held = *slot;
    VariantInit(slot);
    slot->vt = VT_BYREF | held->vt;
    slot->pparray = &held->parray;
  } else {
    if (FAILED(VariantChangeType(held, slot, 0, target.vt))) {
      VariantClear(held);
      return;
    }
    VariantClear(slot);
    slot->vt = VT_BYREF | held->vt;
    slot->byref = &held->llVal;
  }
  *byRef = true;
}

int32_t BuildArguments(const CommandArgs& args, int32_t first, int32_t n, const BoundMember& m,
                       Arguments* out) {
  for (int32_t i = 0; i < n; ++i) {
    size_t slot = static_cast<size_t>(n - 1 - i);
    VARIANT* v = &out->values[slot];
    const ELEMDESC* declared = m.Declaration(i);
    bool byReference =
        declared != nullptr && declared->tdesc.vt == VT_PTR && declared->tdesc.lptdesc != nullptr;
    const TYPEDESC* type = declared == nullptr ? nullptr
                           : byReference       ? declared->tdesc.lptdesc
                                               : &declared->tdesc;
    if (!args.Given(first + i)) {
      MarkOmitted(v);
      continue;
    }
    if (!ArgumentToVariant(args, first + i, type == nullptr ? VARTYPE{VT_EMPTY} : type->vt, v)) {
      return st::kArgumentKind;
    }
    if (v->vt == VT_EMPTY) MarkOmitted(v);
    if (byReference) {
      bool passed = false;
      PassByReference(*type, v, &out->referenced[slot], &passed);
      out->passedByReference[slot] = passed;
    }
  }
  return st::kOk;
}

// Out-parameters go back into the caller's variables when both sides are by reference.
void WriteBack(const CommandArgs& args, int32_t first, int32_t n, const BoundMember& m,
               const Arguments& built) {
  for (int32_t i = 0; i < n; ++i) {
    size_t slot = static_cast<size_t>(n - 1 - i);
    const ELEMDESC* declared = m.Declaration(i);
    const rt::ArgRecord& record = args.Record(first + i);
    if (declared == nullptr || (declared->paramdesc.wParamFlags & PARAMFLAG_FOUT) == 0 ||
        !built.passedByReference[slot] || !args.Given(first + i) || !rt::IsByRef(record.type) ||
        rt::IsArray(record.type)) {
      continue;
    }
    rt::TypeCode kind = rt::BaseKind(record.type);
    uint64_t value = 0;
    if (VariantToValue(built.values[slot], kind, &value)) {
      StoreIntoVariable(record.Pointer(), kind, value);
    }
  }
}

int32_t Call(rt::ArgRecord* result, const CommandArgs& args, CallKind kind, rt::TypeCode wanted) {
  const auto* held =
      reinterpret_cast<const rt::ObjectValue*>(static_cast<uintptr_t>(args.Value(0)));
  if (args.Kind(0) != rt::kTypeObject || held == nullptr || held->object == nullptr) {
    return st::kEmptyObject;
  }
  IDispatch* rawDispatch = nullptr;
  if (FAILED(held->object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&rawDispatch))) ||
      rawDispatch == nullptr) {
    return st::kNoDispatch;
  }
  ComPtr<IDispatch> dispatch(rawDispatch);
  LCID lcid = GetUserDefaultLCID();
  ITypeInfo* rawInfo = nullptr;
  ITypeComp* rawComp = nullptr;
  if (FAILED(dispatch->GetTypeInfo(0, lcid, &rawInfo)) || rawInfo == nullptr)
    return st::kNoTypeInfo;
  HRESULT hr = rawInfo->GetTypeComp(&rawComp);
  rawInfo->Release();
  if (FAILED(hr) || rawComp == nullptr) return st::kNoTypeInfo;
  ComPtr<ITypeComp> comp(rawComp);

  const char* name = args.Kind(1) == rt::kTypeText ? args.Text(1) : "";
  std::unique_ptr<OLECHAR, void (*)(BSTR)> wideName(TextToBstr(name), SysFreeString);
  ULONG hash = LHashValOfNameSysA(SYS_WIN32, lcid, name);
  BoundMember member;
  int32_t status = Bind(comp.get(), wideName.get(), hash, kind, &member);
  if (status != st::kOk) return status;

  int32_t n = std::max(args.Count() - 2, 0);
  while (n > 0 && !args.Given(2 + n - 1)) --n;
  if (n > member.declared && !(member.kind == DESCKIND_FUNCDESC && member.variableList)) {
    return st::kTooManyArguments;
  }
  Arguments built(static_cast<size_t>(n));
  status = BuildArguments(args, 2, n, member, &built);
  if (status != st::kOk) return status;

  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{n == 0 ? nullptr : built.values.data(), nullptr, static_cast<UINT>(n), 0};
  if (kind == CallKind::Write) {
    params.rgdispidNamedArgs = &named;
    params.cNamedArgs = 1;
  }
  VARIANT answer;
  VariantInit(&answer);
  hr =
      dispatch->Invoke(member.id, IID_NULL, lcid, member.flags, &params, &answer, nullptr, nullptr);
  if (FAILED(hr)) {
    VariantClear(&answer);
    return StatusOf(hr);
  }
  WriteBack(args, 2, n, member, built);
  status = st::kOk;
  if (wanted != rt::kTypeNone) {
    uint64_t value = 0;
    if (VariantToValue(answer, wanted, &value)) {
      result->value = value;
      result->type = wanted;
    } else {
      status = st::kResultKind;
    }
  }
  VariantClear(&answer);
  return status;
}

}  // namespace

void CallObjectMember(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args, CallKind kind) {
  rt::TypeCode wanted = result == nullptr ? rt::kTypeNone : result->type;
  rt::ArgRecord scratch;
  if (result == nullptr) result = &scratch;
  result->value = 0;
  result->type = rt::kTypeNone;
  CommandArgs arguments(count, args);
  int32_t status = Call(result, arguments, kind, wanted);
  if (status != object_status::kOk && wanted != rt::kTypeNone) {
    result->value = EmptyValueFor(wanted);
    result->type = wanted;
  }
  t_status = status;
}

int32_t ObjectCallStatus() {
  return t_status;
}

}  // namespace cmd
