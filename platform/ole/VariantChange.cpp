// VariantChangeType: every conversion goes through one of three meeting points — a number
// (held exactly as a long double, which carries every 64-bit integer), a text, or an
// interface — so each kind needs one way in and one way out instead of one per pair.
// Integers round half to even; values outside the target's range are DISP_E_OVERFLOW;
// text that is no number or date is DISP_E_TYPEMISMATCH. The destination is only replaced
// when the conversion succeeds.
#include <strings.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/ole/OleAuto.h"
#include "platform/ole/VariantKinds.h"

namespace {

// Dates are days since 30 December 1899; these are 1 January 100 and 31 December 9999.
constexpr long double kMinDate = -657434.0L;
constexpr long double kMaxDate = 2958466.0L;
// 1 March 2000 counted from 30 December 1899.
constexpr int64_t kEpochToMarch2000 = 36586;

BSTR Ascii(const std::string& text) {
  std::u16string wide(text.begin(), text.end());
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

bool ToAscii(BSTR text, std::string* out) {
  UINT n = SysStringLen(text);
  out->clear();
  for (UINT i = 0; i < n; ++i) {
    if (text[i] >= 0x80) return false;
    out->push_back(static_cast<char>(text[i]));
  }
  size_t first = out->find_first_not_of(" \t");
  size_t last = out->find_last_not_of(" \t");
  *out = first == std::string::npos ? std::string() : out->substr(first, last - first + 1);
  return true;
}

// Civil date of a day count from 1 March 2000 (proleptic Gregorian, 400-year eras).
void CivilFromDays(int64_t days, int* year, int* month, int* day) {
  int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  int64_t dayOfEra = days - era * 146097;
  int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  int64_t mp = (5 * dayOfYear + 2) / 153;
  *day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = static_cast<int>(yearOfEra + era * 400 + 2000 + (*month <= 2 ? 1 : 0));
}

int64_t DaysFromCivil(int year, int month, int day) {
  int64_t y = year - 2000 - (month <= 2 ? 1 : 0);
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yearOfEra = y - era * 400;
  int64_t mp = month > 2 ? month - 3 : month + 9;
  int64_t dayOfYear = (153 * mp + 2) / 5 + day - 1;
  int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra;
}

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// "2026/12/8", "2026/12/8 5:07:09", or only the time on day 0. A negative date counts
// its whole days backwards but its time of day forwards.
std::string DateText(double date) {
  double whole = std::trunc(date);
  auto seconds = static_cast<int64_t>(std::llround(std::fabs(date - whole) * 86400.0));
  auto days = static_cast<int64_t>(whole);
  if (seconds >= 86400) {
    seconds -= 86400;
    days += date < 0 ? -1 : 1;
  }
  char time[32] = "";
  if (seconds != 0) {
    std::snprintf(time, sizeof time, "%d:%02d:%02d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  }
  if (days == 0 && seconds != 0) return time;
  int y, m, d;
  CivilFromDays(days - kEpochToMarch2000, &y, &m, &d);
  char text[64];
  std::snprintf(text, sizeof text, "%d/%d/%d%s%s", y, m, d, seconds != 0 ? " " : "", time);
  return text;
}

bool ParseTime(const char* text, long double* fraction) {
  int h = 0, mi = 0, s = 0, used = 0;
  int fields = std::sscanf(text, "%d:%d%n:%d%n", &h, &mi, &used, &s, &used);
  if (fields < 2 || text[used] != 0) return false;
  if (h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59) return false;
  *fraction = (h * 3600 + mi * 60 + s) / 86400.0L;
  return true;
}

// The forms DateText writes, with '-' also accepted between the date's parts.
bool ParseDate(const std::string& text, long double* date) {
  int y = 0, m = 0, d = 0, used = 0;
  char sep1 = 0, sep2 = 0;
  long double fraction = 0;
  if (std::sscanf(text.c_str(), "%d%c%d%c%d%n", &y, &sep1, &m, &sep2, &d, &used) == 5 &&
      (sep1 == '/' || sep1 == '-') && sep2 == sep1) {
    if (y < 100 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
    const char* rest = text.c_str() + used;
    if (*rest != 0 && (*rest != ' ' || !ParseTime(rest + 1, &fraction))) return false;
    long double days = DaysFromCivil(y, m, d) + kEpochToMarch2000;
    *date = days >= 0 ? days + fraction : days - fraction;
    return true;
  }
  if (ParseTime(text.c_str(), &fraction)) {
    *date = fraction;
    return true;
  }
  return false;
}

HRESULT ParseNumber(BSTR text, long double* number) {
  std::string ascii;
  if (!ToAscii(text, &ascii) || ascii.empty()) return DISP_E_TYPEMISMATCH;
  char* end = nullptr;
  long double value = std::strtold(ascii.c_str(), &end);
  if (end == ascii.c_str() || *end != 0 || std::isnan(value)) return DISP_E_TYPEMISMATCH;
  if (std::isinf(value)) return DISP_E_OVERFLOW;
  *number = value;
  return S_OK;
}

bool IsObject(VARTYPE vt) {
  return vt == VT_UNKNOWN || vt == VT_DISPATCH;
}

HRESULT NumberOf(const VARIANT& v, long double* n) {
  switch (v.vt) {
    case VT_EMPTY:
      *n = 0;
      return S_OK;
    case VT_I1:
      *n = v.cVal;
      return S_OK;
    case VT_UI1:
      *n = v.bVal;
      return S_OK;
    case VT_I2:
      *n = v.iVal;
      return S_OK;
    case VT_UI2:
      *n = v.uiVal;
      return S_OK;
    case VT_I4:
    case VT_INT:
      *n = v.lVal;
      return S_OK;
    case VT_UI4:
    case VT_UINT:
      *n = v.ulVal;
      return S_OK;
    case VT_I8:
      *n = v.llVal;
      return S_OK;
    case VT_UI8:
      *n = v.ullVal;
      return S_OK;
    case VT_R4:
      *n = v.fltVal;
      return S_OK;
    case VT_R8:
      *n = v.dblVal;
      return S_OK;
    case VT_DATE:
      *n = v.date;
      return S_OK;
    case VT_BOOL:
      *n = v.boolVal != 0 ? -1 : 0;
      return S_OK;
    case VT_BSTR:
      return ParseNumber(v.bstrVal, n);
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

template <class T>
HRESULT StoreInteger(long double n, long double low, long double high, T* slot) {
  long double r = std::nearbyint(n);
  if (!(r >= low && r <= high)) return DISP_E_OVERFLOW;
  *slot = static_cast<T>(r);
  return S_OK;
}

HRESULT StoreNumber(long double n, VARTYPE vt, VARIANT* out) {
  HRESULT hr = S_OK;
  switch (vt) {
    case VT_I1:
      hr = StoreInteger(n, -128, 127, &out->cVal);
      break;
    case VT_UI1:
      hr = StoreInteger(n, 0, 255, &out->bVal);
      break;
    case VT_I2:
      hr = StoreInteger(n, -32768, 32767, &out->iVal);
      break;
    case VT_UI2:
      hr = StoreInteger(n, 0, 65535, &out->uiVal);
      break;
    case VT_I4:
    case VT_INT:
      hr = StoreInteger(n, INT32_MIN, INT32_MAX, &out->lVal);
      break;
    case VT_UI4:
    case VT_UINT:
      hr = StoreInteger(n, 0, UINT32_MAX, &out->ulVal);
      break;
    case VT_I8:
      hr = StoreInteger(n, INT64_MIN, INT64_MAX, &out->llVal);
      break;
    case VT_UI8:
      hr = StoreInteger(n, 0, UINT64_MAX, &out->ullVal);
      break;
    case VT_R4:
      if (std::fabs(n) > FLT_MAX) return DISP_E_OVERFLOW;
      out->fltVal = static_cast<float>(n);
      break;
    case VT_R8:
      if (std::fabs(n) > DBL_MAX) return DISP_E_OVERFLOW;
      out->dblVal = static_cast<double>(n);
      break;
    case VT_DATE:
      if (!(n >= kMinDate && n < kMaxDate)) return DISP_E_OVERFLOW;
      out->date = static_cast<double>(n);
      break;
    case VT_BOOL:
      out->boolVal = n != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    default:
      return DISP_E_TYPEMISMATCH;
  }
  if (SUCCEEDED(hr)) out->vt = vt;
  return hr;
}

std::string NumberText(const VARIANT& v) {
  char text[64];
  switch (v.vt) {
    case VT_R4:
      std::snprintf(text, sizeof text, "%.7g", v.fltVal);
      break;
    case VT_R8:
      std::snprintf(text, sizeof text, "%.15g", v.dblVal);
      break;
    case VT_UI8:
      std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(v.ullVal));
      break;
    default: {
      long double n = 0;
      NumberOf(v, &n);
      std::snprintf(text, sizeof text, "%lld", static_cast<long long>(n));
    }
  }
  return text;
}

HRESULT ToText(const VARIANT& v, USHORT flags, VARIANT* out) {
  std::string text;
  if (v.vt == VT_EMPTY) {
    text = "";
  } else if (v.vt == VT_BOOL) {
    bool on = v.boolVal != 0;
    text = (flags & VARIANT_ALPHABOOL) != 0 ? (on ? "True" : "False") : (on ? "-1" : "0");
  } else if (v.vt == VT_DATE) {
    if (!(v.date >= kMinDate && v.date < kMaxDate)) return DISP_E_OVERFLOW;
    text = DateText(v.date);
  } else {
    long double ignored;
    if (FAILED(NumberOf(v, &ignored))) return DISP_E_TYPEMISMATCH;
    text = NumberText(v);
  }
  out->bstrVal = Ascii(text);
  if (out->bstrVal == nullptr) return E_OUTOFMEMORY;
  out->vt = VT_BSTR;
  return S_OK;
}

HRESULT FromText(BSTR text, VARTYPE vt, VARIANT* out) {
  std::string ascii;
  if (vt == VT_BOOL && ToAscii(text, &ascii)) {
    if (strcasecmp(ascii.c_str(), "true") == 0 || strcasecmp(ascii.c_str(), "false") == 0) {
      out->vt = VT_BOOL;
      out->boolVal = ascii.size() == 4 ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    }
  }
  if (vt == VT_DATE) {
    long double date = 0;
    if (!ToAscii(text, &ascii) || !ParseDate(ascii, &date)) return DISP_E_TYPEMISMATCH;
    return StoreNumber(date, VT_DATE, out);
  }
  long double n = 0;
  HRESULT hr = ParseNumber(text, &n);
  if (FAILED(hr)) return hr;
  return StoreNumber(n, vt, out);
}

HRESULT ToObject(const VARIANT& v, VARTYPE vt, VARIANT* out) {
  if (v.vt == VT_EMPTY) {
    out->vt = vt;
    out->punkVal = nullptr;
    return S_OK;
  }
  if (!IsObject(v.vt)) return DISP_E_TYPEMISMATCH;
  void* p = nullptr;
  if (v.punkVal != nullptr) {
    HRESULT hr = v.punkVal->QueryInterface(vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, &p);
    if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
  }
  out->vt = vt;
  out->punkVal = static_cast<IUnknown*>(p);
  if (vt == VT_DISPATCH) out->pdispVal = static_cast<IDispatch*>(p);
  return S_OK;
}

HRESULT Convert(const VARIANT& v, USHORT flags, VARTYPE vt, VARIANT* out);

// An object stands for its default value (the member with DISPID_VALUE).
HRESULT FromObjectValue(const VARIANT& v, USHORT flags, VARTYPE vt, VARIANT* out) {
  if ((flags & VARIANT_NOVALUEPROP) != 0 || v.punkVal == nullptr) return DISP_E_TYPEMISMATCH;
  IDispatch* dispatch = nullptr;
  if (FAILED(v.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
    return DISP_E_TYPEMISMATCH;
  }
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT value;
  VariantInit(&value);
  HRESULT hr = dispatch->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                &none, &value, nullptr, nullptr);
  dispatch->Release();
  if (FAILED(hr) || IsObject(value.vt)) hr = DISP_E_TYPEMISMATCH;
  if (SUCCEEDED(hr)) hr = Convert(value, flags, vt, out);
  VariantClear(&value);
  return hr;
}

HRESULT Convert(const VARIANT& v, USHORT flags, VARTYPE vt, VARIANT* out) {
  if ((vt & VT_BYREF) != 0) return DISP_E_BADVARTYPE;
  if ((vt & VT_ARRAY) != 0 || (v.vt & VT_ARRAY) != 0 || v.vt == vt) {
    if (v.vt != vt) return DISP_E_TYPEMISMATCH;
    return VariantCopy(out, &v);
  }
  switch (vt) {
    case VT_EMPTY:
      return S_OK;
    case VT_NULL:
    case VT_ERROR:
    case VT_RECORD:
      return DISP_E_TYPEMISMATCH;
    case VT_UNKNOWN:
    case VT_DISPATCH:
      return ToObject(v, vt, out);
    default:
      break;
  }
  if (vt != VT_BSTR && platform::ole::StoredSize(vt) == 0) return DISP_E_BADVARTYPE;
  if (IsObject(v.vt)) return FromObjectValue(v, flags, vt, out);
  if (v.vt == VT_BSTR) return FromText(v.bstrVal, vt, out);
  if (vt == VT_BSTR) return ToText(v, flags, out);
  long double n = 0;
  HRESULT hr = NumberOf(v, &n);
  if (FAILED(hr)) return hr;
  return StoreNumber(n, vt, out);
}

}  // namespace

HRESULT VariantChangeTypeEx(VARIANTARG* destination, const VARIANTARG* source, LCID, USHORT flags,
                            VARTYPE vt) {
  if (destination == nullptr || source == nullptr) return E_INVALIDARG;
  VARIANT value;
  VariantInit(&value);
  HRESULT hr = VariantCopyInd(&value, source);
  if (FAILED(hr)) return hr;
  VARIANT out;
  VariantInit(&out);
  hr = Convert(value, flags, vt, &out);
  VariantClear(&value);
  if (FAILED(hr)) {
    VariantClear(&out);
    return hr;
  }
  if (destination != source || (source->vt & VT_BYREF) == 0) VariantClear(destination);
  *destination = out;
  return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* destination, const VARIANTARG* source, USHORT flags,
                          VARTYPE vt) {
  return VariantChangeTypeEx(destination, source, LOCALE_USER_DEFAULT, flags, vt);
}
