// The object commands against the probe classes: creation and its failures, every status a
// call can end with, argument and result conversions, out-parameters, and the blocks a
// failed call still hands back. Every test ends with no object of our COM alive.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "commands/objects/ObjectCommands.h"
#include "platform/ole/ClassRegistry.h"
#include "platform/ole/OleAuto.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ObjectValue.h"
#include "tests/commands/CommandTestSupport.h"
#include "tests/common/ProbeClasses.h"

namespace {

using rt::ArgRecord;
namespace Arg = rt::Arg;
namespace st = cmd::object_status;

ArgRecord ObjectArg(rt::ObjectValue* block) {
  return Arg::PointerOf(rt::kTypeObject, block);
}
ArgRecord VariantArg(VARIANT* block) {
  return Arg::PointerOf(rt::kTypeVariant, block);
}

class ObjectCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cmdtest::AttachRuntime();
    probe::RegisterProbeClasses();
    ASSERT_TRUE(platform::ole::OleSessionActive());
  }
  void TearDown() override {
    Release(&object_);
    EXPECT_EQ(platform::ole::LiveObjectCount(), 0);
  }

  static bool Create(rt::ObjectValue* block, const char* name) {
    ArgRecord r = rt::Call(cmd::CreateObject, {ObjectArg(block), Arg::Text(name)});
    EXPECT_EQ(r.type, rt::kTypeBool);
    return r.Low() != 0;
  }
  static void Release(rt::ObjectValue* block) { rt::Call(cmd::ReleaseObject, {ObjectArg(block)}); }

  // CallObjectMember with a wanted result type; returns the status.
  int32_t Member(cmd::CallKind kind, rt::TypeCode wanted, std::vector<ArgRecord> args,
                 ArgRecord* result) {
    result->value = 0;
    result->type = wanted;
    cmd::CallObjectMember(result, static_cast<int32_t>(args.size()), args.data(), kind);
    EXPECT_EQ(result->type, wanted);
    return cmd::ObjectCallStatus();
  }

  // Reads a member as a variant and describes it; the block is cleared and freed.
  std::string Read(std::vector<ArgRecord> args) {
    ArgRecord r =
        rt::CallCommand(cmd::ReadObjectMember, static_cast<int32_t>(args.size()), args.data());
    EXPECT_EQ(r.type, rt::kTypeVariant);
    auto* v = static_cast<VARIANT*>(r.Pointer());
    std::string seen = probe::Describe(*v);
    rt::Call(cmd::ClearVariant, {VariantArg(v)});
    EXPECT_EQ(v->vt, VT_EMPTY);
    rt::FreeMem(v);
    return seen;
  }

  rt::ObjectValue object_{};
};

TEST_F(ObjectCommandsTest, CreationKeepsThePreviousObjectUnlessANewOneWasMade) {
  ASSERT_TRUE(Create(&object_, "velmora.test.PROBE"));  // ProgIDs match without case
  IUnknown* first = object_.object;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(platform::ole::LiveObjectCount(), 1);

  struct Failure {
    const char* name;
  } failures[] = {{"Velmora.Test.Missing"},
                  {"{7A11C0DE-0009-0000-0102-030405060708}"},  // well formed, not registered
                  {"{7A11C0DE-0001-0000-0102-03040506070}"},   // one digit short
                  {"Velmora.Test.Unrunnable"},
                  {""}};
  for (const Failure& f : failures) {
    EXPECT_FALSE(Create(&object_, f.name)) << f.name;
    EXPECT_EQ(object_.object, first) << f.name;
    EXPECT_EQ(platform::ole::LiveObjectCount(), 1) << f.name;
  }
  // The object is still the one it was: its state survived.
  ArgRecord r;
  ASSERT_EQ(Member(cmd::CallKind::Write, rt::kTypeNone,
                   {ObjectArg(&object_), Arg::Text("Count"), Arg::Int(7)}, &r),
            st::kOk);
  EXPECT_EQ(Read({ObjectArg(&object_), Arg::Text("count")}), "I4 7");

  // A CLSID in braces, and a class that refuses remote activation (made on the retry with
  // the local contexts), each replace the held object and release the old one.
  EXPECT_TRUE(Create(&object_, "{7A11C0DE-0001-0000-0102-030405060708}"));
  EXPECT_NE(object_.object, first);
  EXPECT_TRUE(Create(&object_, "Velmora.Test.LocalOnly"));
  EXPECT_EQ(platform::ole::LiveObjectCount(), 1);
}

TEST_F(ObjectCommandsTest, ThreeArgumentsArriveLastFirst) {
  ASSERT_TRUE(Create(&object_, "Velmora.Test.Probe"));
  ArgRecord r;
  ASSERT_EQ(Member(cmd::CallKind::Call, rt::kTypeNone,
                   {ObjectArg(&object_), Arg::Text("Three"), Arg::Int(1), Arg::Text("b"),
                    Arg::Double(2.5)},
                   &r),
            st::kOk);
  EXPECT_EQ(probe::LastArguments(), (std::vector<std::string>{"R8 2.5", "BSTR b", "I4 1"}));
  // An omitted argument in the middle is an omitted optional parameter.
  rt::Call(cmd::CallObjectMethod,
           {ObjectArg(&object_), Arg::Text("Three"), Arg::Int(1), Arg::Omitted(), Arg::Int(3)});
  EXPECT_EQ(probe::LastArguments(), (std::vector<std::string>{"I4 3", "ERROR 80020004", "I4 1"}));
}

TEST_F(ObjectCommandsTest, EveryStatusACallCanEndWith) {
  ASSERT_TRUE(Create(&object_, "Velmora.Test.Probe"));
  rt::ObjectValue empty{}, plain{}, blind{};
  ASSERT_TRUE(Create(&plain, "Velmora.Test.NoDispatch"));
  ASSERT_TRUE(Create(&blind, "Velmora.Test.NoTypeInfo"));
  cmdtest::ByteSetBlock bytes("xy");
  auto raise = [](HRESULT hr) { return Arg::Int(hr); };
  struct Row {
    const char* what;
    cmd::CallKind kind;
    rt::ObjectValue* object;
    std::vector<ArgRecord> args;
    rt::TypeCode wanted;
    int32_t status;
  } rows[] = {
      {"call",
       cmd::CallKind::Call,
       &object_,
       {Arg::Text("Need2"), Arg::Int(1), Arg::Int(2)},
       rt::kTypeInt,
       st::kOk},
      {"empty object",
       cmd::CallKind::Read,
       &empty,
       {Arg::Text("Count")},
       rt::kTypeInt,
       st::kEmptyObject},
      {"no IDispatch",
       cmd::CallKind::Read,
       &plain,
       {Arg::Text("Count")},
       rt::kTypeInt,
       st::kNoDispatch},
      {"unknown name",
       cmd::CallKind::Read,
       &object_,
       {Arg::Text("Nothing")},
       rt::kTypeInt,
       st::kNoMember},
      {"no type information",
       cmd::CallKind::Read,
       &blind,
       {Arg::Text("Count")},
       rt::kTypeInt,
       st::kNoTypeInfo},
      {"too many arguments",
       cmd::CallKind::Call,
       &object_,
       {Arg::Text("Need2"), Arg::Int(1), Arg::Int(2), Arg::Int(3)},
       rt::kTypeInt,
       st::kTooManyArguments},
      {"byte set argument",
       cmd::CallKind::Call,
       &object_,
       {Arg::Text("Echo"), bytes.Arg()},
       rt::kTypeInt,
       st::kArgumentKind},
      {"subroutine argument",
       cmd::CallKind::Call,
       &object_,
       {Arg::Text("Echo"), Arg::Subroutine(&bytes)},
       rt::kTypeNone,
       st::kArgumentKind},
      {"text result wanted as integer",
       cmd::CallKind::Read,
       &object_,
       {Arg::Text("Text")},
       rt::kTypeInt,
       st::kResultKind},
      {"text result wanted as object",
       cmd::CallKind::Read,
       &object_,
       {Arg::Text("Text")},
       rt::kTypeObject,
       st::kResultKind},
      {"too few arguments",
       cmd::CallKind::Call,
       &object_,
       {Arg::Text("Need2"), Arg::Int(1)},
       rt::kTypeInt,
       st::kBadParamCount},
      {"bad variant type",
       cmd::CallKind::Call,
       &object_,
       {Arg::Text("Raise"), raise(DISP_E_BADVARTYPE)},
       rt::kTypeNone,
       st::kBadVarType},
      {"exception",
       cmd::CallKind::Call,
       &object_,
       {Arg::Text("Raise"), raise(DISP_E_EXCEPTION)},
       rt::kTypeNone,
       st::kException},
      {"member not found",
       cmd::CallKind::Call,
       &object_,
       {Arg::Text("Raise"), raise(DISP_E_MEMBERNOTFOUND)},
       rt::kTypeNone,
       st::kMemberNotFound},
      {"writing a method",
       cmd::CallKind::Write,
       &object_,
       {Arg::Text("Echo"), Arg::Int(1)},
       rt::kTypeNone,
       st::kNoNamedArgs},
      {"overflow",
       cmd::CallKind::Call,
       &object_,
       {Arg::Text("Short"), Arg::Int(100000)},
       rt::kTypeInt,
       st::kOverflow},
      {"parameter not found",
       cmd::CallKind::Call,
       &object_,
       {Arg::Text("Raise"), raise(DISP_E_PARAMNOTFOUND)},
       rt::kTypeNone,
       st::kParamNotFound},
      {"type mismatch",
       cmd::CallKind::Call,
       &object_,
       {Arg::Text("Need2"), Arg::Text("x"), Arg::Int(1)},
       rt::kTypeInt,
       st::kTypeMismatch},
      {"omitted required parameter",
       cmd::CallKind::Call,
       &object_,
       {Arg::Text("Need2"), Arg::Omitted(), Arg::Int(1)},
       rt::kTypeInt,
       st::kParamNotOptional},
      {"any other failure",
       cmd::CallKind::Call,
       &object_,
       {Arg::Text("Raise"), raise(E_FAIL)},
       rt::kTypeNone,
       st::kInvokeFailed},
      {"variant wanted from a failure",
       cmd::CallKind::Read,
       &empty,
       {Arg::Text("Count")},
       rt::kTypeVariant,
       st::kEmptyObject},
  };
  for (const Row& row : rows) {
    std::vector<ArgRecord> args{ObjectArg(row.object)};
    args.insert(args.end(), row.args.begin(), row.args.end());
    ArgRecord r;
    EXPECT_EQ(Member(row.kind, row.wanted, args, &r), row.status) << row.what;
    // A failed call still hands back a block the caller can free, zeroed.
    if (row.status != st::kOk &&
        (row.wanted == rt::kTypeObject || row.wanted == rt::kTypeVariant)) {
      ASSERT_NE(r.Pointer(), nullptr) << row.what;
      size_t bytes = row.wanted == rt::kTypeObject ? sizeof(rt::ObjectValue) : sizeof(VARIANT);
      EXPECT_EQ(std::string(static_cast<char*>(r.Pointer()), bytes), std::string(bytes, '\0'));
      rt::FreeMem(r.Pointer());
    } else if (row.status != st::kOk) {
      EXPECT_EQ(r.value, 0u) << row.what;
    }
  }
  EXPECT_EQ(Read({ObjectArg(&object_), Arg::Text("Need2"), Arg::Int(4), Arg::Int(2)}), "I4 42");
  Release(&plain);
  Release(&blind);
}

TEST_F(ObjectCommandsTest, StatusIsKeptPerThread) {
  ASSERT_TRUE(Create(&object_, "Velmora.Test.Probe"));
  EXPECT_EQ(Read({ObjectArg(&object_), Arg::Text("Count")}), "I4 0");
  ASSERT_EQ(cmd::ObjectCallStatus(), st::kOk);
  int32_t other = 1;
  std::thread([&] {
    rt::ObjectValue empty{};
    Read({ObjectArg(&empty), Arg::Text("Count")});
    other = cmd::ObjectCallStatus();
  }).join();
  EXPECT_EQ(other, st::kEmptyObject);
  EXPECT_EQ(cmd::ObjectCallStatus(), st::kOk);
}

TEST_F(ObjectCommandsTest, ArgumentsCrossAsTheirVariantKinds) {
  ASSERT_TRUE(Create(&object_, "Velmora.Test.Probe"));
  std::string chinese = cmdtest::Gbk("中文");
  VARIANT held;
  VariantInit(&held);
  held.vt = VT_I2;
  held.iVal = -9;
  VARIANT empty;
  VariantInit(&empty);
  struct Row {
    ArgRecord arg;
    const char* seen;
  } rows[] = {
      {Arg::Byte(200), "UI1 200"},
      {Arg::Short(-3), "I2 -3"},
      {Arg::Int(70000), "I4 70000"},
      {Arg::Long(0x100000005LL), "I4 5"},  // the low 32 bits
      {Arg::Float(1.5f), "R4 1.5"},
      {Arg::Double(-0.25), "R8 -0.25"},
      {Arg::Bool(true), "BOOL -1"},
      {Arg::Bool(false), "BOOL 0"},
      {Arg::DateTime(46364.5), "DATE 46364.5"},
      {Arg::Text(chinese.c_str()), "BSTR \\u4E2D\\u6587"},
      {Arg::Text(nullptr), "BSTR null"},
      {VariantArg(&held), "I2 -9"},
      // Nothing to pass is an omitted parameter, which the probe echoes back.
      {VariantArg(&empty), "ERROR 80020004"},
      {ObjectArg(&object_), "UNKNOWN null"},  // Echo declares VT_VARIANT: no interface given
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Read({ObjectArg(&object_), Arg::Text("Echo"), row.arg}), row.seen) << row.seen;
  }
  // By reference, the value is read through the caller's variable.
  int32_t variable = 12;
  EXPECT_EQ(Read({ObjectArg(&object_), Arg::Text("Echo"), Arg::ByRef(&variable)}), "I4 12");
  // Objects become interfaces where the parameter asks for one.
  rt::ObjectValue none{};
  EXPECT_EQ(Read({ObjectArg(&object_), Arg::Text("Holds"), ObjectArg(&object_)}), "BOOL -1");
  EXPECT_EQ(Read({ObjectArg(&object_), Arg::Text("HoldsDispatch"), ObjectArg(&object_)}),
            "BOOL -1");
  EXPECT_EQ(Read({ObjectArg(&object_), Arg::Text("Holds"), ObjectArg(&none)}), "BOOL 0");
}

TEST_F(ObjectCommandsTest, ResultsBecomeTheWantedKind) {
  ASSERT_TRUE(Create(&object_, "Velmora.Test.Probe"));
  auto echo = [&](ArgRecord value, rt::TypeCode wanted, ArgRecord* r) {
    return Member(cmd::CallKind::Call, wanted, {ObjectArg(&object_), Arg::Text("Echo"), value}, r);
  };
  ArgRecord r;
  ASSERT_EQ(echo(Arg::Int(-2), rt::kTypeLong, &r), st::kOk);
  EXPECT_EQ(r.As<int64_t>(), -2);  // sign-extended
  ASSERT_EQ(echo(Arg::Int(7), rt::kTypeBool, &r), st::kOk);
  EXPECT_EQ(r.value, 1u);
  ASSERT_EQ(echo(Arg::Text("12"), rt::kTypeShort, &r), st::kOk);
  EXPECT_EQ(r.As<int16_t>(), 12);
  ASSERT_EQ(echo(Arg::Double(2.5), rt::kTypeInt, &r), st::kOk);
  EXPECT_EQ(r.As<int32_t>(), 2);  // half to even
  ASSERT_EQ(echo(Arg::Int(300), rt::kTypeByte, &r), st::kResultKind);
  ASSERT_EQ(echo(Arg::Float(0.5f), rt::kTypeDouble, &r), st::kOk);
  EXPECT_EQ(r.As<double>(), 0.5);
  std::string chinese = cmdtest::Gbk("中文");
  ASSERT_EQ(echo(Arg::Text(chinese.c_str()), rt::kTypeText, &r), st::kOk);
  EXPECT_EQ(cmdtest::TakeText(r), chinese);
  ASSERT_EQ(echo(Arg::Text(""), rt::kTypeText, &r), st::kOk);
  EXPECT_EQ(r.Pointer(), nullptr);  // the empty text is null

  // An object result is a fresh block holding a reference of its own.
  ASSERT_EQ(
      Member(cmd::CallKind::Read, rt::kTypeObject, {ObjectArg(&object_), Arg::Text("Self")}, &r),
      st::kOk);
  auto* self = static_cast<rt::ObjectValue*>(r.Pointer());
  ASSERT_NE(self->object, nullptr);
  Release(&object_);
  EXPECT_EQ(platform::ole::LiveObjectCount(), 1);  // the result's reference keeps it
  EXPECT_EQ(Read({ObjectArg(self), Arg::Text("Text")}), "BSTR abc");
  // Request 2035 releases on behalf of other libraries.
  rt::RuntimeNotify(2035, reinterpret_cast<intptr_t>(self), 0);
  EXPECT_EQ(self->object, nullptr);
  rt::FreeMem(self);
  EXPECT_EQ(platform::ole::LiveObjectCount(), 0);
  IID iid{};
  EXPECT_EQ(rt::RuntimeNotify(2036, rt::kTypeObject, reinterpret_cast<intptr_t>(&iid)), 1);
  EXPECT_EQ(iid, IID_IUnknown);
}

TEST_F(ObjectCommandsTest, PropertiesWriteAndOutParametersComeBack) {
  ASSERT_TRUE(Create(&object_, "Velmora.Test.Probe"));
  ArgRecord r;
  // "Name" is described as a variable, "Count" as a get/put pair.
  ASSERT_EQ(Member(cmd::CallKind::Write, rt::kTypeNone,
                   {ObjectArg(&object_), Arg::Text("NAME"), Arg::Text("hi")}, &r),
            st::kOk);
  EXPECT_EQ(Read({ObjectArg(&object_), Arg::Text("Name")}), "BSTR hi");
  ASSERT_EQ(Member(cmd::CallKind::Write, rt::kTypeNone,
                   {ObjectArg(&object_), Arg::Text("Count"), Arg::Text("41")}, &r),
            st::kOk);
  EXPECT_EQ(Read({ObjectArg(&object_), Arg::Text("Count")}), "I4 41");

  int32_t number = 4;
  char* text = static_cast<char*>(rt::AllocMem(3));
  std::memcpy(text, "ab", 3);
  rt::Call(cmd::CallObjectMethod,
           {ObjectArg(&object_), Arg::Text("Swap"), Arg::ByRef(&number), Arg::ByRef(&text)});
  EXPECT_EQ(cmd::ObjectCallStatus(), st::kOk);
  EXPECT_EQ(number, 8);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "ab!");  // the old text was freed (the sanitizer build checks)
  rt::FreeMem(text);
  // Passed by value, the same call changes nothing of the caller's.
  rt::Call(cmd::CallObjectMethod,
           {ObjectArg(&object_), Arg::Text("Swap"), Arg::Int(4), Arg::Text("ab")});
  EXPECT_EQ(cmd::ObjectCallStatus(), st::kOk);

  // A variable argument list takes any number of arguments.
  EXPECT_EQ(Read({ObjectArg(&object_), Arg::Text("Sum"), Arg::Int(1), Arg::Int(2), Arg::Short(3),
                  Arg::Text("4")}),
            "I4 10");
}

TEST_F(ObjectCommandsTest, VariantToTextChoosesArrayElementsFirstDimensionFastest) {
  ASSERT_TRUE(Create(&object_, "Velmora.Test.Probe"));
  ArgRecord r = rt::Call(cmd::ReadObjectMember, {ObjectArg(&object_), Arg::Text("Grid")});
  auto* grid = static_cast<VARIANT*>(r.Pointer());
  ASSERT_EQ(grid->vt, VT_ARRAY | VT_I4);
  // Element (i, j) of the 2 x 3 grid holds 10 * (i + 1) + j, with j counted from 1.
  const char* expected[] = {"", "11", "21", "12", "22", "13", "23", ""};
  for (int32_t n = 0; n <= 7; ++n) {
    EXPECT_EQ(cmdtest::TakeText(rt::Call(cmd::VariantToText, {VariantArg(grid), Arg::Int(n)})),
              expected[n])
        << n;
  }
  // Without an element number an array has no text.
  EXPECT_EQ(cmdtest::TakeText(rt::Call(cmd::VariantToText, {VariantArg(grid)})), "");
  rt::Call(cmd::ClearVariant, {VariantArg(grid)});
  rt::FreeMem(grid);

  // A read of an empty object gives a zeroed block whose text is empty.
  rt::ObjectValue empty{};
  r = rt::Call(cmd::ReadObjectMember, {ObjectArg(&empty), Arg::Text("Count")});
  EXPECT_EQ(cmd::ObjectCallStatus(), st::kEmptyObject);
  EXPECT_EQ(cmdtest::TakeText(
                rt::Call(cmd::VariantToText, {VariantArg(static_cast<VARIANT*>(r.Pointer()))})),
            "");
  rt::FreeMem(r.Pointer());
}

// A record type that counts what it is asked to do with its records.
class Records : public IRecordInfo, private platform::ole::CountedObject {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IRecordInfo) return E_NOINTERFACE;
    *object = static_cast<IRecordInfo*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return AddReference(); }
  ULONG Release() override { return DropReference(); }
  HRESULT RecordClear(void*) override { return S_OK; }
  HRESULT RecordCopy(void* from, void* to) override {
    *static_cast<int*>(to) = *static_cast<int*>(from);
    return S_OK;
  }
  void* RecordCreate() override { return new int(0); }
  HRESULT RecordDestroy(void* record) override {
    destroyed.push_back(*static_cast<int*>(record));
    delete static_cast<int*>(record);
    return S_OK;
  }
  std::vector<int> destroyed;
};

TEST_F(ObjectCommandsTest, HeldRecordsCrossAsRecordsAndAreDestroyedOnRelease) {
  ASSERT_TRUE(Create(&object_, "Velmora.Test.Probe"));
  auto* type = new Records();
  rt::ObjectValue record{type, new int(5)};
  // Passed as a record, the callee sees a copy of the data; the argument, the echoed result
  // and the copy taken to convert it each hold their own, destroyed with them. A record
  // result is never converted. The caller's own record is left alone.
  EXPECT_EQ(Read({ObjectArg(&object_), Arg::Text("Echo"), ObjectArg(&record)}), "EMPTY");
  EXPECT_EQ(cmd::ObjectCallStatus(), st::kResultKind);
  EXPECT_EQ(type->destroyed, (std::vector<int>{5, 5, 5}));
  type->destroyed.clear();
  type->AddRef();  // kept to look at after the release
  Release(&record);
  EXPECT_EQ(type->destroyed, (std::vector<int>{5}));
  EXPECT_EQ(record.object, nullptr);
  EXPECT_EQ(record.record, nullptr);
  type->Release();
  // Record data without a type is runtime memory, freed as such.
  rt::ObjectValue loose{nullptr, rt::AllocMem(8)};
  Release(&loose);
  EXPECT_EQ(loose.record, nullptr);
}

}  // namespace
