#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

#include "commands/numeric/DateTimeText.h"
#include "commands/numeric/NumericCommands.h"
#include "runtime/calls/CommandCall.h"
#include "tests/commands/CommandTestSupport.h"

namespace {

using cmdtest::ByteSetBlock;
using cmdtest::Gbk;
using cmdtest::ImageOf;
using cmdtest::IntOf;
using cmdtest::TakeBytes;
using cmdtest::TakeText;
using rt::Call;
namespace Arg = rt::Arg;
using ::testing::ExitedWithCode;

TEST(ByteSets, LengthAndZeroFilledSets) {
  ByteSetBlock set(std::string(10, 'x'));
  EXPECT_EQ(IntOf(Call(cmd::BytesLength, {set.Arg()})), 10);
  EXPECT_EQ(IntOf(Call(cmd::BytesLength, {Arg::Bytes(nullptr)})), 0);
  EXPECT_EQ(TakeBytes(Call(cmd::ZeroBytes, {Arg::Int(5)})), std::string(5, '\0'));
  EXPECT_EQ(TakeBytes(Call(cmd::ZeroBytes, {Arg::Int(INT32_MIN)})), "");
}

TEST(MidBytes, StartAndCountAreClampedIntoTheSet) {
  ByteSetBlock set(std::string("0123456789"));
  auto mid = [&](rt::ArgRecord start, rt::ArgRecord count) {
    return TakeBytes(Call(cmd::MidBytes, {set.Arg(), start, count}));
  };
  EXPECT_EQ(mid(Arg::Int(0), Arg::Int(4)), "0123");
  EXPECT_EQ(mid(Arg::Int(3), Arg::Int(2)), "23");
  EXPECT_EQ(mid(Arg::Int(100), Arg::Int(4)), "");
  EXPECT_EQ(mid(Arg::Int(8), Arg::Int(100)), "789");
  EXPECT_EQ(mid(Arg::Int(8), Arg::Int(INT32_MAX)), "789");
  EXPECT_EQ(mid(Arg::Int(INT32_MIN), Arg::Int(2)), "01");
  EXPECT_EQ(mid(Arg::Int(INT32_MAX), Arg::Int(INT32_MAX)), "");
  EXPECT_EQ(mid(Arg::Int(2), Arg::Int(-1)), "");
  EXPECT_EQ(mid(Arg::Int(9), Arg::Omitted()), "89");
  EXPECT_EQ(TakeBytes(Call(cmd::MidBytes, {Arg::Bytes(nullptr), Arg::Int(1), Arg::Int(5)})), "");
}

rt::ArgRecord Read(const ByteSetBlock& set, int32_t kind, rt::ArgRecord position = {}) {
  return Call(cmd::BytesValue, {set.Arg(), Arg::Int(kind), position});
}

TEST(BytesValue, ReadsEachKindAndSetsItsTypeCode) {
  std::string image = ImageOf<int64_t>(0x0102030405060708);
  ByteSetBlock set(image);
  const rt::TypeCode types[] = {rt::kTypeByte, rt::kTypeShort,    rt::kTypeInt,
                                rt::kTypeLong, rt::kTypeFloat,    rt::kTypeDouble,
                                rt::kTypeBool, rt::kTypeDateTime, rt::kTypeSubroutine};
  const uint64_t values[] = {
      0x08, 0x0708, 0x05060708,        0x0102030405060708, 0x05060708, 0x0102030405060708,
      1,    0,      0x0102030405060708};
  for (int kind = 1; kind <= 9; ++kind) {
    rt::ArgRecord r = Read(set, kind);
    EXPECT_EQ(r.type, types[kind - 1]) << kind;
    if (types[kind - 1] != rt::kTypeDateTime) {
      EXPECT_EQ(r.value, values[kind - 1]) << kind;
    }
  }
  // That image is a tiny positive double: a date-time just after day 0.
  EXPECT_EQ(Read(set, 8).As<double>(), cmd::ClampDateTime(Read(set, 6).As<double>()));
}

TEST(BytesValue, ShortReadsArePaddedWithZeros) {
  ByteSetBlock two(std::string("\x34\x12", 2));
  EXPECT_EQ(IntOf(Read(two, 3)), 0x1234);
  EXPECT_EQ(IntOf(Read(two, 3, Arg::Int(2))), 0x12);
  for (int32_t outside : {3, 0, INT32_MIN}) EXPECT_EQ(IntOf(Read(two, 3, Arg::Int(outside))), 0);
}

TEST(BytesValue, BoolsAreNormalisedAndDateTimesClamped) {
  ByteSetBlock highByteSet(std::string("\0\0\0\x80", 4));
  EXPECT_EQ(Read(highByteSet, 7).As<int32_t>(), 1);
  ByteSetBlock fifthByteOnly(std::string("\0\0\0\0\x01", 5));
  EXPECT_EQ(Read(fifthByteOnly, 7).As<int32_t>(), 0);
  ByteSetBlock huge(ImageOf(1e300));
  EXPECT_EQ(Read(huge, 8).As<double>(), cmd::kLatestDateTime);
  ByteSetBlock tiny(ImageOf(-1e300));
  EXPECT_EQ(Read(tiny, 8).As<double>(), cmd::kEarliestDateTime);
  EXPECT_EQ(Read(tiny, 6).As<double>(), -1e300);
}

TEST(BytesValue, TextsEndAtTheirZeroOrWithTheBytes) {
  ByteSetBlock set(std::string("ab\0cd", 5));
  EXPECT_EQ(TakeText(Read(set, 10)), "ab");
  EXPECT_EQ(TakeText(Read(set, 10, Arg::Int(4))), "cd");
  EXPECT_EQ(TakeText(Read(set, 10, Arg::Int(3))), "");
  EXPECT_EQ(TakeText(Read(set, 10, Arg::Int(6))), "");
}

TEST(BytesValue, PositionVariableWalksThroughARecord) {
  std::string name = Gbk("张三");
  std::string record =
      ImageOf<int32_t>(42) + name + std::string(1, '\0') + ImageOf<int16_t>(7) + ImageOf(2.5);
  ByteSetBlock set(record);
  int32_t position = 1;
  EXPECT_EQ(IntOf(Read(set, 3, Arg::ByRef(&position))), 42);
  EXPECT_EQ(position, 5);
  EXPECT_EQ(TakeText(Read(set, 10, Arg::ByRef(&position))), name);
  EXPECT_EQ(position, 10);
  EXPECT_EQ(Read(set, 2, Arg::ByRef(&position)).As<int16_t>(), 7);
  EXPECT_EQ(position, 12);
  EXPECT_EQ(Read(set, 6, Arg::ByRef(&position)).As<double>(), 2.5);
  EXPECT_EQ(position, -1);
}

TEST(BytesValue, PositionVariableReachesTheEnd) {
  ByteSetBlock set(std::string("abc"));
  int32_t position = 2;
  // A text without a zero consumes just its bytes.
  EXPECT_EQ(TakeText(Read(set, 10, Arg::ByRef(&position))), "bc");
  EXPECT_EQ(position, -1);
  position = 1;
  EXPECT_EQ(IntOf(Read(set, 3, Arg::ByRef(&position))), 0x636261);
  EXPECT_EQ(position, -1);
  position = 100;
  EXPECT_EQ(Read(set, 1, Arg::ByRef(&position)).value, 0u);
  EXPECT_EQ(position, -1);
}

TEST(BytesValue, ReadingPastTheEndStaysAtTheEnd) {
  ByteSetBlock set(std::string("abcdefgh"));
  int32_t position = -1;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Read(set, 1, Arg::ByRef(&position)).value, 0u);
    EXPECT_EQ(position, -1);
  }
  position = 0;
  EXPECT_EQ(IntOf(Read(set, 3, Arg::ByRef(&position))), 0);
  EXPECT_EQ(position, -1);
}

TEST(BytesValue, SubroutinePointerRoundTripsThroughToBytes) {
  const uintptr_t address = 0x00005555DEADBEEFu;
  std::string image =
      TakeBytes(Call(cmd::ToBytes, {Arg::Subroutine(reinterpret_cast<const void*>(address))}));
  ByteSetBlock set(image);
  int32_t position = 1;
  rt::ArgRecord r = Read(set, 9, Arg::ByRef(&position));
  EXPECT_EQ(r.type, rt::kTypeSubroutine);
  EXPECT_EQ(r.value, address);
  EXPECT_EQ(position, -1);
}

TEST(BytesValue, InvalidKindIsAFatalError) {
  ByteSetBlock set(std::string("abcd"));
  EXPECT_EXIT(Read(set, 11), ExitedWithCode(255), "“欲取出数据的类型”参数值无效");
  EXPECT_EXIT(Read(set, 0), ExitedWithCode(255), "“欲取出数据的类型”参数值无效");
}

}  // namespace
