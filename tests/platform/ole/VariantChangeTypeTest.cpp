// VariantChangeType over every pair of kinds the object commands convert between: each
// source kind (with a sample value) to each target kind, written out as the result the
// runtime should see. Then the edges: rounding, ranges, texts, dates, references, arrays.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ole/ClassRegistry.h"
#include "platform/ole/OleAuto.h"
#include "tests/common/ProbeClasses.h"

namespace {

using probe::Describe;

// An object whose default value is 7.
class Seven : public platform::ole::DispatchObject {
 public:
  Seven() : DispatchObject(Members()) {}

 protected:
  static const platform::ole::MemberTable& Members() {
    static const platform::ole::MemberTable members = {
        {u"Value", DISPID_VALUE, INVOKE_PROPERTYGET, false, VT_I4}};
    return members;
  }
  HRESULT InvokeMember(const platform::ole::MemberDecl&, WORD, const DISPPARAMS&, VARIANT* result,
                       EXCEPINFO*) override {
    result->vt = VT_I4;
    result->lVal = 7;
    return S_OK;
  }
};

// The outcome as text: the described variant, or the failure.
std::string Change(const VARIANT& source, VARTYPE vt, USHORT flags = 0) {
  VARIANT out;
  VariantInit(&out);
  HRESULT hr = VariantChangeType(&out, &source, flags, vt);
  std::string seen = hr == DISP_E_TYPEMISMATCH ? "mismatch"
                     : hr == DISP_E_OVERFLOW   ? "overflow"
                     : FAILED(hr)              ? "failed"
                                               : Describe(out);
  if (SUCCEEDED(hr) && (vt == VT_UNKNOWN || vt == VT_DISPATCH) && out.punkVal != nullptr) {
    // Same object, with a reference of its own.
    seen += out.punkVal == source.punkVal ? " same" : " other";
  }
  VariantClear(&out);
  return seen;
}

VARIANT Make(VARTYPE vt) {
  VARIANT v;
  VariantInit(&v);
  v.vt = vt;
  return v;
}

class VariantChangeTypeTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(platform::ole::LiveObjectCount(), 0); }
};

TEST_F(VariantChangeTypeTest, EveryKindToEveryKindTheRuntimeUses) {
  auto* plain = new probe::PlainUnknown();
  auto* seven = new Seven();
  std::vector<VARIANT> sources(13);
  for (VARIANT& v : sources) VariantInit(&v);
  sources[1].vt = VT_NULL;
  sources[2].vt = VT_I2, sources[2].iVal = -3;
  sources[3].vt = VT_I4, sources[3].lVal = 300;
  sources[4].vt = VT_R4, sources[4].fltVal = 2.5f;
  sources[5].vt = VT_R8, sources[5].dblVal = -1.5;
  sources[6].vt = VT_DATE, sources[6].date = 45000.25;  // 15 March 2023, 6:00
  sources[7].vt = VT_BSTR, sources[7].bstrVal = SysAllocString(u"42");
  sources[8].vt = VT_BOOL, sources[8].boolVal = VARIANT_TRUE;
  sources[9].vt = VT_UI1, sources[9].bVal = 200;
  sources[10].vt = VT_UNKNOWN, sources[10].punkVal = plain;
  sources[11].vt = VT_DISPATCH, sources[11].pdispVal = seven;
  sources[12].vt = VT_ERROR, sources[12].scode = DISP_E_PARAMNOTFOUND;

  const VARTYPE targets[] = {VT_I2,   VT_I4,   VT_R4,  VT_R8,     VT_DATE,
                             VT_BSTR, VT_BOOL, VT_UI1, VT_UNKNOWN};
  // One row per source, one column per target, in the orders above.
  const std::vector<std::vector<std::string>> expected = {
      {"I2 0", "I4 0", "R4 0", "R8 0", "DATE 0", "BSTR ", "BOOL 0", "UI1 0", "UNKNOWN null"},
      {"mismatch", "mismatch", "mismatch", "mismatch", "mismatch", "mismatch", "mismatch",
       "mismatch", "mismatch"},
      {"I2 -3", "I4 -3", "R4 -3", "R8 -3", "DATE -3", "BSTR -3", "BOOL -1", "overflow", "mismatch"},
      {"I2 300", "I4 300", "R4 300", "R8 300", "DATE 300", "BSTR 300", "BOOL -1", "overflow",
       "mismatch"},
      {"I2 2", "I4 2", "R4 2.5", "R8 2.5", "DATE 2.5", "BSTR 2.5", "BOOL -1", "UI1 2", "mismatch"},
      {"I2 -2", "I4 -2", "R4 -1.5", "R8 -1.5", "DATE -1.5", "BSTR -1.5", "BOOL -1", "overflow",
       "mismatch"},
      {"overflow", "I4 45000", "R4 45000.2", "R8 45000.2", "DATE 45000.2", "BSTR 2023/3/15 6:00:00",
       "BOOL -1", "overflow", "mismatch"},
      {"I2 42", "I4 42", "R4 42", "R8 42", "mismatch", "BSTR 42", "BOOL -1", "UI1 42", "mismatch"},
      {"I2 -1", "I4 -1", "R4 -1", "R8 -1", "DATE -1", "BSTR -1", "BOOL -1", "overflow", "mismatch"},
      {"I2 200", "I4 200", "R4 200", "R8 200", "DATE 200", "BSTR 200", "BOOL -1", "UI1 200",
       "mismatch"},
      {"mismatch", "mismatch", "mismatch", "mismatch", "mismatch", "mismatch", "mismatch",
       "mismatch", "UNKNOWN same"},
      {"I2 7", "I4 7", "R4 7", "R8 7", "DATE 7", "BSTR 7", "BOOL -1", "UI1 7", "UNKNOWN same"},
      {"mismatch", "mismatch", "mismatch", "mismatch", "mismatch", "mismatch", "mismatch",
       "mismatch", "mismatch"},
  };
  for (size_t s = 0; s < sources.size(); ++s) {
    for (size_t t = 0; t < std::size(targets); ++t) {
      EXPECT_EQ(Change(sources[s], targets[t]), expected[s][t])
          << Describe(sources[s]) << " to VT " << targets[t];
    }
    // Converting to its own kind copies.
    if (sources[s].vt != VT_EMPTY) {
      EXPECT_EQ(Change(sources[s], sources[s].vt).substr(0, Describe(sources[s]).size()),
                Describe(sources[s]));
    }
  }
  for (VARIANT& v : sources) VariantClear(&v);  // releases the two objects
}

TEST_F(VariantChangeTypeTest, EdgesOfNumbersTextsAndDates) {
  auto number = [](double d) {
    VARIANT v = Make(VT_R8);
    v.dblVal = d;
    return v;
  };
  auto date = [](double d) {
    VARIANT v = Make(VT_DATE);
    v.date = d;
    return v;
  };
  struct Row {
    VARIANT source;
    VARTYPE vt;
    const char* expected;
  } rows[] = {
      // Half to even, both ways.
      {number(0.5), VT_I4, "I4 0"},
      {number(1.5), VT_I4, "I4 2"},
      {number(-2.5), VT_I2, "I2 -2"},
      {number(255.4), VT_UI1, "UI1 255"},
      {number(255.5), VT_UI1, "overflow"},
      {number(2147483647.0), VT_I4, "I4 2147483647"},
      {number(2147483648.0), VT_I4, "overflow"},
      {number(-32768.0), VT_I2, "I2 -32768"},
      {number(1e300), VT_R4, "overflow"},
      {number(3e6), VT_DATE, "overflow"},  // after the year 9999
      {number(0.1), VT_BSTR, "BSTR 0.1"},
      {date(46364.0), VT_BSTR, "BSTR 2026/12/8"},
      {date(0.5), VT_BSTR, "BSTR 12:00:00"},
      {date(-1.25), VT_BSTR, "BSTR 1899/12/29 6:00:00"},
      {date(2.0 + 86399.6 / 86400.0), VT_BSTR, "BSTR 1900/1/2"},  // rounds into the next day
  };
  for (Row& row : rows) {
    EXPECT_EQ(Change(row.source, row.vt), row.expected) << Describe(row.source) << " to " << row.vt;
  }
  struct TextRow {
    const char16_t* text;
    VARTYPE vt;
    const char* expected;
  } texts[] = {
      {u" 12 ", VT_I4, "I4 12"},
      {u"-7.5", VT_R8, "R8 -7.5"},
      {u"1e3", VT_I2, "I2 1000"},
      {u"99999", VT_I2, "overflow"},
      {u"abc", VT_I4, "mismatch"},
      {u"", VT_I4, "mismatch"},
      {u"12abc", VT_R8, "mismatch"},
      {u"\u4E2D", VT_I4, "mismatch"},
      {u"true", VT_BOOL, "BOOL -1"},
      {u"FALSE", VT_BOOL, "BOOL 0"},
      {u"0", VT_BOOL, "BOOL 0"},
      {u"2026/12/8", VT_DATE, "DATE 46364"},
      {u"2026-12-08 12:00:00", VT_DATE, "DATE 46364.5"},
      {u"2026/2/30", VT_DATE, "mismatch"},
      {u"6:00", VT_DATE, "DATE 0.25"},
      {u"25:00", VT_DATE, "mismatch"},
  };
  for (const TextRow& row : texts) {
    VARIANT v = Make(VT_BSTR);
    v.bstrVal = SysAllocString(row.text);
    EXPECT_EQ(Change(v, row.vt), row.expected) << Describe(v) << " to " << row.vt;
    VariantClear(&v);
  }
  VARIANT yes = Make(VT_BOOL);
  yes.boolVal = VARIANT_TRUE;
  EXPECT_EQ(Change(yes, VT_BSTR, VARIANT_ALPHABOOL), "BSTR True");
  // A date text reads back as the same date.
  VARIANT when = date(45000.25);
  VARIANT text;
  VariantInit(&text);
  ASSERT_EQ(VariantChangeType(&text, &when, 0, VT_BSTR), S_OK);
  EXPECT_EQ(Change(text, VT_DATE), "DATE 45000.2");
  VariantClear(&text);
}

TEST_F(VariantChangeTypeTest, ReferencesArraysAndConversionInPlace) {
  // A by-reference source is converted as the value it refers to.
  LONG target = 300;
  VARIANT reference = Make(VT_BYREF | VT_I4);
  reference.plVal = &target;
  EXPECT_EQ(Change(reference, VT_BSTR), "BSTR 300");
  EXPECT_EQ(target, 300);

  // In place: the text is replaced by the number (the sanitizer build sees the text freed).
  VARIANT v = Make(VT_BSTR);
  v.bstrVal = SysAllocString(u"17");
  ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I2), S_OK);
  EXPECT_EQ(Describe(v), "I2 17");
  // A failed change leaves the destination as it was.
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(u"x");
  EXPECT_EQ(VariantChangeType(&v, &v, 0, VT_I4), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Describe(v), "BSTR x");
  VariantClear(&v);

  // Arrays convert only to their own kind, as a deep copy.
  VARIANT array = Make(VT_ARRAY | VT_BSTR);
  array.parray = SafeArrayCreateVector(VT_BSTR, 0, 2);
  LONG at = 1;
  BSTR kept = SysAllocString(u"kept");
  ASSERT_EQ(SafeArrayPutElement(array.parray, &at, kept), S_OK);
  SysFreeString(kept);  // the array holds a copy
  EXPECT_EQ(Change(array, VT_BSTR), "mismatch");
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantChangeType(&copy, &array, 0, VT_ARRAY | VT_BSTR), S_OK);
  VariantClear(&array);
  BSTR element = nullptr;
  ASSERT_EQ(SafeArrayGetElement(copy.parray, &at, &element), S_OK);
  EXPECT_EQ(std::u16string(element), u"kept");
  SysFreeString(element);
  LONG outside = 2;
  EXPECT_EQ(SafeArrayGetElement(copy.parray, &outside, &element), DISP_E_BADINDEX);
  VariantClear(&copy);
}

}  // namespace
