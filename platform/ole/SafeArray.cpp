// Safe arrays of one element kind and any number of dimensions. The descriptor and the
// element data are separate blocks; elements lie with the first dimension varying fastest.
// An array that is locked by SafeArrayAccessData cannot be destroyed.
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "platform/ole/OleAuto.h"
#include "platform/ole/VariantKinds.h"

using platform::ole::StoredSize;

namespace {

// Arrays larger than this are refused rather than risked.
constexpr uint64_t kMaxDataBytes = uint64_t{1} << 31;

uint64_t ElementCount(const SAFEARRAY* array) {
  uint64_t count = 1;
  for (USHORT i = 0; i < array->cDims; ++i) count *= array->rgsabound[i].cElements;
  return count;
}

size_t DescriptorBytes(UINT dimensions) {
  return offsetof(SAFEARRAY, rgsabound) + sizeof(SAFEARRAYBOUND) * dimensions;
}

uint8_t* ElementAt(SAFEARRAY* array, const LONG* indices) {
  uint64_t offset = 0;
  uint64_t stride = 1;
  for (USHORT i = 0; i < array->cDims; ++i) {
    const SAFEARRAYBOUND& b = array->rgsabound[i];
    int64_t relative = int64_t{indices[i]} - b.lLbound;
    if (relative < 0 || relative >= int64_t{b.cElements}) return nullptr;
    offset += static_cast<uint64_t>(relative) * stride;
    stride *= b.cElements;
  }
  return static_cast<uint8_t*>(array->pvData) + offset * array->cbElements;
}

void ClearElement(VARTYPE vt, void* element) {
  if (vt == VT_BSTR) {
    BSTR s;
    std::memcpy(&s, element, sizeof s);
    SysFreeString(s);
  } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
    IUnknown* p;
    std::memcpy(&p, element, sizeof p);
    if (p != nullptr) p->Release();
  } else if (vt == VT_VARIANT) {
    VariantClear(static_cast<VARIANT*>(element));
  }
  std::memset(element, 0, StoredSize(vt));
}

// Copies one element into an emptied slot: the slot then owns a copy of what it holds.
HRESULT CopyElement(VARTYPE vt, const void* source, void* slot) {
  if (vt == VT_BSTR) {
    BSTR s;
    std::memcpy(&s, source, sizeof s);
    BSTR copy = nullptr;
    if (s != nullptr) {
      copy = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(s), SysStringByteLen(s));
      if (copy == nullptr) return E_OUTOFMEMORY;
    }
    std::memcpy(slot, &copy, sizeof copy);
    return S_OK;
  }
  if (vt == VT_VARIANT) {
    VariantInit(static_cast<VARIANT*>(slot));
    return VariantCopy(static_cast<VARIANT*>(slot), static_cast<const VARIANT*>(source));
  }
  std::memcpy(slot, source, StoredSize(vt));
  if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
    IUnknown* p;
    std::memcpy(&p, source, sizeof p);
    if (p != nullptr) p->AddRef();
  }
  return S_OK;
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dimensions, const SAFEARRAYBOUND* bounds) {
  size_t elementSize = StoredSize(vt);
  if (elementSize == 0 || dimensions == 0 || dimensions > 60 || bounds == nullptr) return nullptr;
  uint64_t count = 1;
  for (UINT i = 0; i < dimensions; ++i) {
    count *= bounds[i].cElements;
    if (count * elementSize > kMaxDataBytes) return nullptr;
  }
  auto* array = static_cast<SAFEARRAY*>(std::calloc(1, DescriptorBytes(dimensions)));
  if (array == nullptr) return nullptr;
  array->cDims = static_cast<USHORT>(dimensions);
  array->cbElements = static_cast<ULONG>(elementSize);
  array->vt = vt;
  for (UINT i = 0; i < dimensions; ++i) array->rgsabound[i] = bounds[i];
  array->pvData = std::calloc(count == 0 ? 1 : count, elementSize);
  if (array->pvData == nullptr) {
    std::free(array);
    return nullptr;
  }
  return array;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements) {
  SAFEARRAYBOUND bound{elements, lowerBound};
  return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
  if (array == nullptr) return S_OK;
  if (array->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  uint64_t count = ElementCount(array);
  auto* data = static_cast<uint8_t*>(array->pvData);
  for (uint64_t i = 0; i < count; ++i) ClearElement(array->vt, data + i * array->cbElements);
  std::free(array->pvData);
  std::free(array);
  return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* source, SAFEARRAY** copy) {
  if (copy == nullptr) return E_INVALIDARG;
  *copy = nullptr;
  if (source == nullptr) return S_OK;
  SAFEARRAY* out = SafeArrayCreate(source->vt, source->cDims, source->rgsabound);
  if (out == nullptr) return E_OUTOFMEMORY;
  uint64_t count = ElementCount(source);
  for (uint64_t i = 0; i < count; ++i) {
    size_t at = i * source->cbElements;
    HRESULT hr = CopyElement(source->vt, static_cast<uint8_t*>(source->pvData) + at,
                             static_cast<uint8_t*>(out->pvData) + at);
    if (FAILED(hr)) {
      SafeArrayDestroy(out);
      return hr;
    }
  }
  *copy = out;
  return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* array) {
  return array == nullptr ? 0 : array->cDims;
}

UINT SafeArrayGetElemsize(SAFEARRAY* array) {
  return array == nullptr ? 0 : array->cbElements;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt) {
  if (array == nullptr || vt == nullptr) return E_INVALIDARG;
  *vt = array->vt;
  return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dimension, LONG* bound) {
  if (array == nullptr || bound == nullptr) return E_INVALIDARG;
  if (dimension < 1 || dimension > array->cDims) return DISP_E_BADINDEX;
  *bound = array->rgsabound[dimension - 1].lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dimension, LONG* bound) {
  if (array == nullptr || bound == nullptr) return E_INVALIDARG;
  if (dimension < 1 || dimension > array->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& b = array->rgsabound[dimension - 1];
  *bound = static_cast<LONG>(int64_t{b.lLbound} + b.cElements - 1);
  return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* indices, void* element) {
  if (array == nullptr || indices == nullptr || element == nullptr) return E_INVALIDARG;
  uint8_t* at = ElementAt(array, indices);
  if (at == nullptr) return DISP_E_BADINDEX;
  return CopyElement(array->vt, at, element);
}

HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* indices, const void* element) {
  if (array == nullptr || indices == nullptr) return E_INVALIDARG;
  uint8_t* at = ElementAt(array, indices);
  if (at == nullptr) return DISP_E_BADINDEX;
  // An interface or BSTR element is passed as the pointer itself, not its address.
  const void* source = element;
  if (array->vt == VT_BSTR || array->vt == VT_UNKNOWN || array->vt == VT_DISPATCH) {
    source = &element;
  }
  uint8_t fresh[sizeof(VARIANT)];
  HRESULT hr = CopyElement(array->vt, source, fresh);
  if (FAILED(hr)) return hr;
  ClearElement(array->vt, at);
  std::memcpy(at, fresh, array->cbElements);
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
  if (array == nullptr || data == nullptr) return E_INVALIDARG;
  ++array->cLocks;
  *data = array->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) {
  if (array == nullptr) return E_INVALIDARG;
  if (array->cLocks == 0) return E_UNEXPECTED;
  --array->cLocks;
  return S_OK;
}
