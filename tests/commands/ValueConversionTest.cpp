#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

#include "commands/numeric/NumericCommands.h"
#include "runtime/calls/CommandCall.h"
#include "tests/commands/CommandTestSupport.h"

namespace {

using cmdtest::ArrayBlock;
using cmdtest::ByteSetBlock;
using cmdtest::Gbk;
using cmdtest::ImageOf;
using cmdtest::TakeBytes;
using cmdtest::TakeText;
using rt::Call;
namespace Arg = rt::Arg;

std::string Text(rt::ArgRecord value) {
  return TakeText(Call(cmd::ToText, {value}));
}
std::string Bytes(rt::ArgRecord value) {
  return TakeBytes(Call(cmd::ToBytes, {value}));
}

TEST(ToText, NumbersBoolsDateTimesAndTexts) {
  EXPECT_EQ(Text(Arg::Byte(200)), "200");
  EXPECT_EQ(Text(Arg::Short(-32768)), "-32768");
  EXPECT_EQ(Text(Arg::Long(INT64_MIN)), "-9223372036854775808");
  EXPECT_EQ(Text(Arg::Float(0.1f)), "0.1");
  EXPECT_EQ(Text(Arg::Double(0.1)), "0.1");
  EXPECT_EQ(Text(Arg::Double(1.0 / 3)), "0.3333333333333");
  EXPECT_EQ(Text(Arg::Float(1234567.0f)), "1.23457e+06");
  EXPECT_EQ(Text(Arg::Of(rt::kTypeBool, 7)), Gbk("真"));
  EXPECT_EQ(Text(Arg::Bool(false)), Gbk("假"));
  EXPECT_EQ(Text(Arg::DateTime(36162.5)), Gbk("1999年1月2日12时"));
  std::string text = Gbk("中文");
  EXPECT_EQ(Text(Arg::Text(text.c_str())), text);
}

TEST(ToText, RawBytesEndAtTheFirstZero) {
  ByteSetBlock withZero(std::string("ab\0cd", 5));
  EXPECT_EQ(Text(withZero.Arg()), "ab");
  EXPECT_EQ(Text(Arg::Bytes(nullptr)), "");
  // Two int elements: 'A' 'B' 0 0 | 'C' ...
  ArrayBlock ints({2}, ImageOf<int32_t>(0x4241) + ImageOf<int32_t>(0x43));
  EXPECT_EQ(Text(ints.Arg(rt::kTypeInt)), "AB");
  ArrayBlock bytes({1, 3}, "pqr");
  EXPECT_EQ(Text(bytes.Arg(rt::kTypeByte)), "pqr");
}

TEST(ToText, KindsWithoutTextFormAreEmpty) {
  const char* element = "abc";
  ArrayBlock texts({1}, ImageOf(element));
  EXPECT_EQ(Text(texts.Arg(rt::kTypeText)), "");
  EXPECT_EQ(Text(Arg::Unit(1, 2, rt::kTypePicBox)), "");
  EXPECT_EQ(Text(Arg::Subroutine(&element)), "");
  EXPECT_EQ(TakeText(Call(cmd::ToText, {})), "");
}

TEST(ToText, ReadsByReferenceArguments) {
  double days = 36162.25;
  EXPECT_EQ(Text(Arg::ByRef(&days, rt::kTypeDateTime)), Gbk("1999年1月2日6时"));
  std::string owned = "by ref";
  char* text = owned.data();
  EXPECT_EQ(Text(Arg::ByRef(&text)), "by ref");
}

TEST(ToHexText, UpperCaseWithoutLeadingZeros) {
  auto hex = [](rt::ArgRecord v) { return TakeText(Call(cmd::ToHexText, {v})); };
  EXPECT_EQ(hex(Arg::Int(0)), "0");
  EXPECT_EQ(hex(Arg::Int(-1)), "FFFFFFFF");
  EXPECT_EQ(hex(Arg::Double(26.9)), "1A");
}

TEST(ToBytes, MemoryImagesOfValues) {
  EXPECT_EQ(Bytes(Arg::Byte(0xAB)), "\xAB");
  EXPECT_EQ(Bytes(Arg::Short(-2)), ImageOf<int16_t>(-2));
  EXPECT_EQ(Bytes(Arg::Long(-3)), ImageOf<int64_t>(-3));
  EXPECT_EQ(Bytes(Arg::Float(1.5f)), ImageOf(1.5f));
  EXPECT_EQ(Bytes(Arg::DateTime(36162.5)), ImageOf(36162.5));
  EXPECT_EQ(Bytes(Arg::Bool(true)), ImageOf<int32_t>(1));
  // Code addresses are pointer-wide in this process.
  const uintptr_t address = 0x00007F12345678ABu;
  EXPECT_EQ(Bytes(Arg::Subroutine(reinterpret_cast<const void*>(address))), ImageOf(address));
  int16_t small = 0x1234;
  EXPECT_EQ(Bytes(Arg::ByRef(&small, rt::kTypeShort)), ImageOf<int16_t>(0x1234));
  std::string text = Gbk("中a");
  EXPECT_EQ(Bytes(Arg::Text(text.c_str())), text);
  ByteSetBlock set(std::string("a\0b", 3));
  EXPECT_EQ(Bytes(set.Arg()), std::string("a\0b", 3));
  std::string shorts =
      ImageOf<int16_t>(1) + ImageOf<int16_t>(2) + ImageOf<int16_t>(3) + ImageOf<int16_t>(4);
  ArrayBlock grid({2, 2}, shorts);
  EXPECT_EQ(Bytes(grid.Arg(rt::kTypeShort)), shorts);
}

TEST(ToBytes, OtherKindsGiveTheEmptyByteSet) {
  const char* element = "abc";
  ArrayBlock texts({1}, ImageOf(element));
  EXPECT_EQ(Bytes(texts.Arg(rt::kTypeText)), "");
  EXPECT_EQ(Bytes(Arg::Unit(1, 2, rt::kTypeButton)), "");
  EXPECT_EQ(Bytes(Arg::Of(rt::kTypeEightBytes, 5)), "");
  EXPECT_EQ(Bytes(Arg::Omitted()), "");
  // A malformed array head reads as no elements rather than as a size to trust.
  ArrayBlock malformed({-1}, "abcd");
  EXPECT_EQ(Bytes(malformed.Arg(rt::kTypeByte)), "");
}

}  // namespace
