// Initialising, clearing and copying variants: the owner of a variant owns what it holds
// (a BSTR, a reference on an interface, a safe array, a record), a by-reference variant
// owns nothing.
#include <cstring>

#include "platform/ole/OleAuto.h"
#include "platform/ole/VariantKinds.h"

using platform::ole::IsVariantKind;
using platform::ole::StoredSize;

namespace {

bool IsValidVariantType(VARTYPE vt) {
  VARTYPE base = vt & VT_TYPEMASK;
  if ((vt & ~(VT_TYPEMASK | VT_ARRAY | VT_BYREF)) != 0) return false;
  if ((vt & VT_ARRAY) != 0) return base == VT_VARIANT || IsVariantKind(base);
  if ((vt & VT_BYREF) != 0) return base == VT_VARIANT || base == VT_RECORD || IsVariantKind(base);
  return IsVariantKind(base);
}

HRESULT CopyRecord(VARIANT* destination, const VARIANT* source) {
  destination->pRecInfo = source->pRecInfo;
  destination->pvRecord = nullptr;
  if (source->pRecInfo == nullptr) return S_OK;
  source->pRecInfo->AddRef();
  if (source->pvRecord == nullptr) return S_OK;
  void* record = source->pRecInfo->RecordCreate();
  if (record == nullptr) {
    source->pRecInfo->Release();
    return E_OUTOFMEMORY;
  }
  HRESULT hr = source->pRecInfo->RecordCopy(source->pvRecord, record);
  if (FAILED(hr)) {
    source->pRecInfo->RecordDestroy(record);
    source->pRecInfo->Release();
    return hr;
  }
  destination->pvRecord = record;
  return S_OK;
}

// Copies what source holds into destination, which the caller has emptied.
HRESULT CopyValue(VARIANT* destination, const VARIANT* source) {
  *destination = *source;
  if ((source->vt & VT_BYREF) != 0) return S_OK;
  HRESULT hr = S_OK;
  if ((source->vt & VT_ARRAY) != 0) {
    destination->parray = nullptr;
    if (source->parray != nullptr) hr = SafeArrayCopy(source->parray, &destination->parray);
  } else if (source->vt == VT_BSTR) {
    if (source->bstrVal != nullptr) {
      destination->bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(source->bstrVal),
                                                   SysStringByteLen(source->bstrVal));
      if (destination->bstrVal == nullptr) hr = E_OUTOFMEMORY;
    }
  } else if (source->vt == VT_UNKNOWN || source->vt == VT_DISPATCH) {
    if (source->punkVal != nullptr) source->punkVal->AddRef();
  } else if (source->vt == VT_RECORD) {
    hr = CopyRecord(destination, source);
  }
  if (FAILED(hr)) VariantInit(destination);
  return hr;
}

// The value a by-reference variant refers to, as a variant of its own that still borrows
// what it holds (the caller copies it).
HRESULT Dereference(const VARIANT* source, VARIANT* borrowed) {
  VariantInit(borrowed);
  VARTYPE target = source->vt & ~VT_BYREF;
  if (source->byref == nullptr) return E_INVALIDARG;
  if (target == VT_VARIANT) {
    const VARIANT* inner = source->pvarVal;
    // A reference to a reference is not followed further.
    if ((inner->vt & VT_BYREF) != 0) return E_INVALIDARG;
    *borrowed = *inner;
    return S_OK;
  }
  borrowed->vt = target;
  if ((target & VT_ARRAY) != 0) {
    borrowed->parray = *source->pparray;
  } else if (target == VT_RECORD) {
    borrowed->pvRecord = source->pvRecord;
    borrowed->pRecInfo = source->pRecInfo;
  } else {
    size_t size = StoredSize(target);
    if (size == 0) return DISP_E_BADVARTYPE;
    std::memcpy(&borrowed->llVal, source->byref, size);
  }
  return S_OK;
}

}  // namespace

void VariantInit(VARIANTARG* v) {
  if (v != nullptr) std::memset(v, 0, sizeof *v);
}

HRESULT VariantClear(VARIANTARG* v) {
  if (v == nullptr) return E_INVALIDARG;
  if (!IsValidVariantType(v->vt)) return DISP_E_BADVARTYPE;
  if ((v->vt & VT_BYREF) == 0) {
    if ((v->vt & VT_ARRAY) != 0) {
      HRESULT hr = SafeArrayDestroy(v->parray);
      if (FAILED(hr)) return hr;
    } else if (v->vt == VT_BSTR) {
      SysFreeString(v->bstrVal);
    } else if (v->vt == VT_UNKNOWN || v->vt == VT_DISPATCH) {
      if (v->punkVal != nullptr) v->punkVal->Release();
    } else if (v->vt == VT_RECORD && v->pRecInfo != nullptr) {
      if (v->pvRecord != nullptr) v->pRecInfo->RecordDestroy(v->pvRecord);
      v->pRecInfo->Release();
    }
  }
  VariantInit(v);
  return S_OK;
}

HRESULT VariantCopy(VARIANTARG* destination, const VARIANTARG* source) {
  if (destination == nullptr || source == nullptr) return E_INVALIDARG;
  if (destination == source) return S_OK;
  if (!IsValidVariantType(source->vt)) return DISP_E_BADVARTYPE;
  HRESULT hr = VariantClear(destination);
  if (FAILED(hr)) return hr;
  return CopyValue(destination, source);
}

HRESULT VariantCopyInd(VARIANT* destination, const VARIANTARG* source) {
  if (destination == nullptr || source == nullptr) return E_INVALIDARG;
  if (!IsValidVariantType(source->vt)) return DISP_E_BADVARTYPE;
  if ((source->vt & VT_BYREF) == 0) {
    if (destination == source) return S_OK;
    return VariantCopy(destination, source);
  }
  VARIANT borrowed;
  HRESULT hr = Dereference(source, &borrowed);
  if (FAILED(hr)) return hr;
  // The source may be the destination: copy first, then replace.
  VARIANT copy;
  hr = CopyValue(&copy, &borrowed);
  if (FAILED(hr)) return hr;
  if (destination != source) {
    hr = VariantClear(destination);
    if (FAILED(hr)) {
      VariantClear(&copy);
      return hr;
    }
  }
  *destination = copy;
  return S_OK;
}
