// The OLE Automation functions of our own COM: strings, variants, safe arrays, class
// creation, type libraries and the session. Win32 names and semantics; UTF-16 throughout.
#pragma once

#include "platform/ole/ComTypes.h"

// BSTR: a length word before the characters and a terminating zero after them.
BSTR SysAllocString(LPCOLESTR text);
BSTR SysAllocStringLen(LPCOLESTR text, UINT length);
BSTR SysAllocStringByteLen(LPCSTR bytes, UINT length);
int SysReAllocString(BSTR* bstr, LPCOLESTR text);
void SysFreeString(BSTR bstr);
UINT SysStringLen(BSTR bstr);
UINT SysStringByteLen(BSTR bstr);

// Variants.
void VariantInit(VARIANTARG* v);
HRESULT VariantClear(VARIANTARG* v);
HRESULT VariantCopy(VARIANTARG* destination, const VARIANTARG* source);
// As VariantCopy, but a by-reference source is copied as the value it refers to.
HRESULT VariantCopyInd(VARIANT* destination, const VARIANTARG* source);
HRESULT VariantChangeType(VARIANTARG* destination, const VARIANTARG* source, USHORT flags,
                          VARTYPE vt);
HRESULT VariantChangeTypeEx(VARIANTARG* destination, const VARIANTARG* source, LCID lcid,
                            USHORT flags, VARTYPE vt);

// Safe arrays of the element kinds variants hold.
SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dimensions, const SAFEARRAYBOUND* bounds);
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements);
HRESULT SafeArrayDestroy(SAFEARRAY* array);
HRESULT SafeArrayCopy(SAFEARRAY* source, SAFEARRAY** copy);
UINT SafeArrayGetDim(SAFEARRAY* array);
UINT SafeArrayGetElemsize(SAFEARRAY* array);
HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt);
HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dimension, LONG* bound);
HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dimension, LONG* bound);
// Copies out: a BSTR element as a fresh BSTR, an interface with a reference added, a
// VARIANT element with VariantCopy.
HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* indices, void* element);
HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* indices, const void* element);
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);

// Classes.
HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid);
// Only the braced form {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         void** object);
HRESULT OleRun(IUnknown* object);

// Type libraries: there are no type-library files here, so loading always fails.
HRESULT LoadTypeLib(LPCOLESTR file, ITypeLib** library);
HRESULT RegisterTypeLib(ITypeLib* library, LPCOLESTR fullPath, LPCOLESTR helpDirectory);
ULONG LHashValOfNameSysA(SYSKIND syskind, LCID lcid, LPCSTR name);
LCID GetUserDefaultLCID();

// The session: counted, process-wide.
HRESULT OleInitialize(void* reserved);
void OleUninitialize();
