// The base of every class of our own COM that is called through IDispatch: reference
// counting (counted in LiveObjectCount), QueryInterface for IUnknown and IDispatch, and
// type information built from a table of members. Invoke checks a call against the
// member's declaration — interface, named arguments, argument count, omitted required
// arguments — before the class sees it, so each class only implements its members.
#pragma once

#include <atomic>
#include <string_view>
#include <vector>

#include "platform/ole/ComTypes.h"

namespace platform::ole {

// Counts objects alive, for LiveObjectCount.
class CountedObject {
 protected:
  CountedObject();
  virtual ~CountedObject();
  ULONG AddReference() { return ++references_; }
  ULONG DropReference() {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> references_{1};
};

struct ParameterDecl {
  VARTYPE vt;  // VT_ARRAY | element kind for a safe array
  USHORT flags = PARAMFLAG_FIN;
  bool byRef = false;
};

struct MemberDecl {
  std::u16string_view name;
  DISPID id;
  INVOKEKIND invoke = INVOKE_FUNC;  // functions only
  bool variable = false;            // a property described as a variable
  VARTYPE type = VT_VOID;           // the result, or the variable's type
  std::vector<ParameterDecl> params = {};
  SHORT optional = 0;  // trailing optional parameters; -1: the last takes a variable list
};
using MemberTable = std::vector<MemberDecl>;

// A type description of a member table (which must outlive it): ITypeInfo and ITypeComp.
// Names are matched without regard to case.
HRESULT CreateTableTypeInfo(const MemberTable* members, ITypeInfo** typeInfo);

class DispatchObject : public IDispatch, protected CountedObject {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override { return AddReference(); }
  ULONG Release() override { return DropReference(); }
  HRESULT GetTypeInfoCount(UINT* count) override;
  HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** typeInfo) override;
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, UINT* argumentError) final;

 protected:
  explicit DispatchObject(const MemberTable& members) : members_(members) {}

  virtual HRESULT InvokeMember(const MemberDecl& member, WORD flags, const DISPPARAMS& params,
                               VARIANT* result, EXCEPINFO* exception) = 0;

  // Parameter `index` (in declaration order) given and not omitted.
  static bool Given(const DISPPARAMS& params, UINT index);
  // Parameter `index` changed to vt into *out (which the caller clears). An omitted or
  // absent parameter leaves *out empty.
  static HRESULT Argument(const DISPPARAMS& params, UINT index, VARTYPE vt, VARIANT* out);
  // Fills the exception information (when asked for) and answers DISP_E_EXCEPTION.
  static HRESULT Raise(EXCEPINFO* exception, HRESULT code, std::u16string_view description);

 private:
  const MemberDecl* Find(DISPID id, WORD flags) const;
  const MemberTable& members_;
};

}  // namespace platform::ole
