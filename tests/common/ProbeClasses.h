// COM classes made for the tests: a probe whose members cover the shapes a call can take
// (three arguments, by-reference out-parameters, a variable argument list, a property
// described as a variable, a property with get and put), and small classes that fail in one
// particular way (no IDispatch, no type information, refusing to run, refusing remote
// activation). Registering them is idempotent.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/ole/ClassRegistry.h"
#include "platform/ole/DispatchObject.h"
#include "platform/ole/OleAuto.h"

namespace probe {

using platform::ole::DispatchObject;
using platform::ole::MemberDecl;
using platform::ole::MemberTable;
using platform::ole::ParameterDecl;

inline constexpr CLSID kProbe = {0x7A11C0DE, 1, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
inline constexpr CLSID kNoDispatch = {0x7A11C0DE, 2, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
inline constexpr CLSID kNoTypeInfo = {0x7A11C0DE, 3, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
inline constexpr CLSID kUnrunnable = {0x7A11C0DE, 4, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
inline constexpr CLSID kLocalOnly = {0x7A11C0DE, 5, 0, {1, 2, 3, 4, 5, 6, 7, 8}};

// A variant as "KIND value", for comparing what crossed a call.
inline std::string Describe(const VARIANT& v) {
  char text[96];
  switch (v.vt) {
    case VT_EMPTY:
      return "EMPTY";
    case VT_NULL:
      return "NULL";
    case VT_I2:
      std::snprintf(text, sizeof text, "I2 %d", v.iVal);
      break;
    case VT_I4:
      std::snprintf(text, sizeof text, "I4 %d", v.lVal);
      break;
    case VT_UI1:
      std::snprintf(text, sizeof text, "UI1 %u", v.bVal);
      break;
    case VT_R4:
      std::snprintf(text, sizeof text, "R4 %g", v.fltVal);
      break;
    case VT_R8:
      std::snprintf(text, sizeof text, "R8 %g", v.dblVal);
      break;
    case VT_DATE:
      std::snprintf(text, sizeof text, "DATE %g", v.date);
      break;
    case VT_BOOL:
      std::snprintf(text, sizeof text, "BOOL %d", v.boolVal);
      break;
    case VT_ERROR:
      std::snprintf(text, sizeof text, "ERROR %08X", static_cast<unsigned>(v.scode));
      break;
    case VT_UNKNOWN:
      return v.punkVal == nullptr ? "UNKNOWN null" : "UNKNOWN";
    case VT_DISPATCH:
      return v.pdispVal == nullptr ? "DISPATCH null" : "DISPATCH";
    case VT_BSTR: {
      if (v.bstrVal == nullptr) return "BSTR null";
      std::string s = "BSTR ";
      for (UINT i = 0; i < SysStringLen(v.bstrVal); ++i) {
        char16_t c = v.bstrVal[i];
        if (c < 0x80) {
          s.push_back(static_cast<char>(c));
        } else {
          std::snprintf(text, sizeof text, "\\u%04X", static_cast<unsigned>(c));
          s += text;
        }
      }
      return s;
    }
    default:
      std::snprintf(text, sizeof text, "VT %04X", v.vt);
      break;
  }
  return text;
}

// What the probe's "Three" saw, its argument array in array order.
inline std::vector<std::string>& LastArguments() {
  static std::vector<std::string> seen;
  return seen;
}

enum ProbeMember : DISPID {
  kThree = 1,
  kRaise,
  kName,
  kCount,
  kSwap,
  kSum,
  kShort,
  kText,
  kNeed2,
  kEcho,
  kHolds,
  kHoldsDispatch,
  kSelf,
  kGrid,
};

inline const MemberTable& ProbeMembers() {
  constexpr USHORT kInOut = PARAMFLAG_FIN | PARAMFLAG_FOUT;
  constexpr USHORT kOptional = PARAMFLAG_FIN | PARAMFLAG_FOPT;
  static const MemberTable members = {
      {u"Three",
       kThree,
       INVOKE_FUNC,
       false,
       VT_VOID,
       {{VT_VARIANT, kOptional}, {VT_VARIANT, kOptional}, {VT_VARIANT, kOptional}},
       3},
      {u"Raise", kRaise, INVOKE_FUNC, false, VT_VOID, {{VT_I4}}},
      {u"Name", kName, INVOKE_FUNC, true, VT_BSTR},
      {u"Count", kCount, INVOKE_PROPERTYGET, false, VT_I4},
      {u"Count", kCount, INVOKE_PROPERTYPUT, false, VT_VOID, {{VT_I4}}},
      {u"Swap",
       kSwap,
       INVOKE_FUNC,
       false,
       VT_VOID,
       {{VT_I4, kInOut, true}, {VT_BSTR, kInOut, true}}},
      {u"Sum", kSum, INVOKE_FUNC, false, VT_I4, {{VT_VARIANT}}, -1},
      {u"Short", kShort, INVOKE_FUNC, false, VT_I2, {{VT_I2}}},
      {u"Text", kText, INVOKE_PROPERTYGET, false, VT_BSTR},
      {u"Need2", kNeed2, INVOKE_FUNC, false, VT_I4, {{VT_I4}, {VT_I4}}},
      {u"Echo", kEcho, INVOKE_FUNC, false, VT_VARIANT, {{VT_VARIANT, kOptional}}, 1},
      {u"Holds", kHolds, INVOKE_FUNC, false, VT_BOOL, {{VT_UNKNOWN}}},
      {u"HoldsDispatch", kHoldsDispatch, INVOKE_FUNC, false, VT_BOOL, {{VT_DISPATCH}}},
      {u"Self", kSelf, INVOKE_PROPERTYGET, false, VT_DISPATCH},
      {u"Grid", kGrid, INVOKE_PROPERTYGET, false, VT_VARIANT},
  };
  return members;
}

class Probe : public DispatchObject {
 public:
  Probe() : DispatchObject(ProbeMembers()) {}

 protected:
  HRESULT InvokeMember(const MemberDecl& m, WORD flags, const DISPPARAMS& p, VARIANT* result,
                       EXCEPINFO*) override {
    VARIANT a, b;
    VariantInit(&a);
    VariantInit(&b);
    HRESULT hr = S_OK;
    switch (m.id) {
      case kThree:
        LastArguments().clear();
        for (UINT i = 0; i < p.cArgs; ++i) LastArguments().push_back(Describe(p.rgvarg[i]));
        break;
      case kRaise:
        hr = Argument(p, 0, VT_I4, &a);
        if (SUCCEEDED(hr)) hr = a.lVal;
        break;
      case kName:
        if ((flags & DISPATCH_PROPERTYPUT) != 0) {
          hr = Argument(p, 0, VT_BSTR, &a);
          if (SUCCEEDED(hr)) SysReAllocString(&name_, a.bstrVal == nullptr ? u"" : a.bstrVal);
        } else {
          result->vt = VT_BSTR;
          result->bstrVal = SysAllocString(name_ == nullptr ? u"" : name_);
        }
        break;
      case kCount:
        if ((flags & DISPATCH_PROPERTYPUT) != 0) {
          hr = Argument(p, 0, VT_I4, &a);
          if (SUCCEEDED(hr)) count_ = a.lVal;
        } else {
          result->vt = VT_I4;
          result->lVal = count_;
        }
        break;
      case kSwap: {
        // The first argument (last in the array) doubles, the second gains a "!".
        VARIANT& number = p.rgvarg[1];
        VARIANT& text = p.rgvarg[0];
        if (number.vt != (VT_BYREF | VT_I4) || text.vt != (VT_BYREF | VT_BSTR)) {
          return DISP_E_TYPEMISMATCH;
        }
        *number.plVal *= 2;
        std::u16string grown(*text.pbstrVal, SysStringLen(*text.pbstrVal));
        grown += u"!";
        SysReAllocString(text.pbstrVal, grown.c_str());
        break;
      }
      case kSum: {
        LONG sum = 0;
        for (UINT i = 0; SUCCEEDED(hr) && i < p.cArgs; ++i) {
          hr = Argument(p, i, VT_I4, &a);
          sum += a.lVal;
        }
        result->vt = VT_I4;
        result->lVal = sum;
        break;
      }
      case kShort:
        hr = Argument(p, 0, VT_I2, &a);
        if (SUCCEEDED(hr)) *result = a;
        VariantInit(&a);
        break;
      case kText:
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(u"abc");
        break;
      case kNeed2:
        hr = Argument(p, 0, VT_I4, &a);
        if (SUCCEEDED(hr)) hr = Argument(p, 1, VT_I4, &b);
        if (SUCCEEDED(hr)) {
          result->vt = VT_I4;
          result->lVal = a.lVal * 10 + b.lVal;
        }
        break;
      case kEcho:
        hr = VariantCopyInd(result, &p.rgvarg[0]);
        break;
      case kHolds:
      case kHoldsDispatch: {
        VARTYPE wanted = m.id == kHolds ? VT_UNKNOWN : VT_DISPATCH;
        result->vt = VT_BOOL;
        result->boolVal = p.rgvarg[0].vt == wanted && p.rgvarg[0].punkVal != nullptr ? -1 : 0;
        break;
      }
      case kSelf:
        AddRef();
        result->vt = VT_DISPATCH;
        result->pdispVal = this;
        break;
      case kGrid: {
        SAFEARRAYBOUND bounds[2] = {{2, 0}, {3, 1}};
        SAFEARRAY* grid = SafeArrayCreate(VT_I4, 2, bounds);
        for (LONG i = 0; i < 2; ++i) {
          for (LONG j = 1; j <= 3; ++j) {
            LONG at[2] = {i, j};
            LONG value = 10 * (i + 1) + j;
            SafeArrayPutElement(grid, at, &value);
          }
        }
        result->vt = VT_ARRAY | VT_I4;
        result->parray = grid;
        break;
      }
      default:
        break;
    }
    VariantClear(&a);
    VariantClear(&b);
    return hr;
  }

  ~Probe() override { SysFreeString(name_); }

 private:
  BSTR name_ = nullptr;
  LONG count_ = 0;
};

// Answers only IUnknown.
class PlainUnknown : public IUnknown, private platform::ole::CountedObject {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    *object = nullptr;
    if (riid != IID_IUnknown) return E_NOINTERFACE;
    *object = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return AddReference(); }
  ULONG Release() override { return DropReference(); }
};

class NoTypeInfo : public Probe {
 public:
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    *info = nullptr;
    return E_NOTIMPL;
  }
};

// Starts life not running, and refuses to run.
class Unrunnable : public Probe, public IRunnableObject {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IRunnableObject) {
      *object = static_cast<IRunnableObject*>(this);
      Probe::AddRef();
      return S_OK;
    }
    return Probe::QueryInterface(riid, object);
  }
  ULONG AddRef() override { return Probe::AddRef(); }
  ULONG Release() override { return Probe::Release(); }
  HRESULT Run(void*) override { return E_FAIL; }
};

template <class T>
HRESULT Make(REFIID riid, void** object) {
  auto* made = new T();
  HRESULT hr = made->QueryInterface(riid, object);
  made->Release();
  return hr;
}

inline void RegisterProbeClasses() {
  using platform::ole::RegisterClass;
  RegisterClass({u"Velmora.Test.Probe", kProbe, Make<Probe>});
  RegisterClass({u"Velmora.Test.NoDispatch", kNoDispatch, Make<PlainUnknown>});
  RegisterClass({u"Velmora.Test.NoTypeInfo", kNoTypeInfo, Make<NoTypeInfo>});
  RegisterClass({u"Velmora.Test.Unrunnable", kUnrunnable, Make<Unrunnable>});
  RegisterClass({u"Velmora.Test.LocalOnly", kLocalOnly, Make<Probe>, CLSCTX_REMOTE_SERVER});
}

}  // namespace probe
