#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <thread>

#include "commands/numeric/DateTimeText.h"
#include "commands/numeric/NumericCommands.h"
#include "runtime/calls/CommandCall.h"
#include "tests/commands/CommandTestSupport.h"

namespace {

using cmdtest::DoubleOf;
using cmdtest::Gbk;
using cmdtest::IntOf;
using rt::Call;
namespace Arg = rt::Arg;
using ::testing::ExitedWithCode;

double Divide(std::initializer_list<rt::ArgRecord> args) {
  return DoubleOf(Call(cmd::IntDivide, args));
}

TEST(IntDivide, TruncatesTowardZeroAfterEachDivisor) {
  EXPECT_EQ(Divide({Arg::Double(-7), Arg::Double(2)}), -3.0);
  EXPECT_EQ(Divide({Arg::Double(100), Arg::Int(3), Arg::Byte(3)}), 11.0);
  // Quotients beyond every integer range stay defined and exact.
  EXPECT_EQ(Divide({Arg::Double(1e300), Arg::Double(0.5)}), 2e300);
  EXPECT_EQ(Divide({Arg::Double(-1e20), Arg::Double(3)}), std::trunc(-1e20 / 3));
  // Without divisors the first value comes back as it is; omitted divisors take no part.
  EXPECT_EQ(Divide({Arg::Double(7.5)}), 7.5);
  EXPECT_EQ(Divide({}), 0.0);
  EXPECT_EQ(Divide({Arg::Double(9), Arg::Omitted(), Arg::Double(2)}), 4.0);
}

TEST(IntDivide, DivisionByZeroIsAFatalError) {
  EXPECT_EXIT(Call(cmd::IntDivide, {Arg::Double(1), Arg::Double(2), Arg::Double(0)}),
              ExitedWithCode(255), "不能整除于零");
}

int32_t Bits(rt::CommandRoutine routine, std::initializer_list<rt::ArgRecord> args) {
  return IntOf(Call(routine, args));
}

TEST(BitCommands, CombineAllArgumentsAndShiftByTheLowFiveBits) {
  EXPECT_EQ(Bits(cmd::BitOr, {Arg::Int(INT32_MIN), Arg::Omitted(), Arg::Int(1), Arg::Int(8)}),
            INT32_MIN + 9);
  EXPECT_EQ(Bits(cmd::BitXor, {Arg::Int(0xFF), Arg::Int(0x0F), Arg::Int(-1)}), ~0xF0);
  EXPECT_EQ(Bits(cmd::ShiftLeft, {Arg::Int(-1), Arg::Int(31)}), INT32_MIN);
  EXPECT_EQ(Bits(cmd::ShiftLeft, {Arg::Int(0x40000001), Arg::Int(33)}), INT32_MIN + 2);
  EXPECT_EQ(Bits(cmd::ShiftLeft, {Arg::Int(1), Arg::Int(-1)}), INT32_MIN);
  EXPECT_EQ(Bits(cmd::ShiftRight, {Arg::Int(INT32_MIN), Arg::Int(31)}), -1);
  EXPECT_EQ(Bits(cmd::ShiftRight, {Arg::Int(256), Arg::Int(32)}), 256);
  EXPECT_EQ(Bits(cmd::ColorValue, {Arg::Int(300), Arg::Int(0), Arg::Int(0)}), 0x2C);
  EXPECT_EQ(Bits(cmd::ColorValue, {Arg::Int(1), Arg::Int(-2), Arg::Int(3)}), 0x03FE01);
}

TEST(Abs, WidensBeforeNegating) {
  EXPECT_EQ(DoubleOf(Call(cmd::Abs, {Arg::Int(INT32_MIN)})), 2147483648.0);
}

// The documented generator, for comparing sequences.
struct Generator {
  uint32_t state;
  int32_t Draw() {
    state = state * 214013u + 2531011u;
    return static_cast<int32_t>((state >> 16) & 0x7FFF);
  }
};

int32_t Random(rt::ArgRecord low = {}, rt::ArgRecord high = {}) {
  return IntOf(Call(cmd::RandomInt, {low, high}));
}

TEST(Random, SeededSequenceFollowsTheGenerator) {
  Call(cmd::SetRandomSeed, {Arg::Int(12345)});
  Generator g{12345};
  for (int i = 0; i < 20; ++i) EXPECT_EQ(Random(Arg::Int(0), Arg::Int(32767)), g.Draw());
  // Equal bounds draw nothing.
  EXPECT_EQ(Random(Arg::Int(5), Arg::Int(5)), 5);
  EXPECT_EQ(Random(), g.Draw());
  EXPECT_EQ(Random(Arg::Int(100), Arg::Int(200)), 100 + g.Draw() % 101);
}

TEST(Random, BoundsAreOrderedAndClampedAtZero) {
  Call(cmd::SetRandomSeed, {Arg::Int(7)});
  std::set<int32_t> seen;
  for (int i = 0; i < 400; ++i) seen.insert(Random(Arg::Int(10), Arg::Int(1)));
  EXPECT_EQ(seen, (std::set<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(Random(Arg::Int(-5), Arg::Int(-9)), 0);
  EXPECT_EQ(Random(Arg::Int(INT32_MAX), Arg::Omitted()), INT32_MAX);
  // The widest range cannot overflow: draws stay within 0..32767 above the low bound.
  for (int i = 0; i < 50; ++i) {
    EXPECT_LE(Random(Arg::Int(INT32_MAX), Arg::Int(-1)), 32767);
    EXPECT_GE(Random(Arg::Int(INT32_MAX - 3), Arg::Omitted()), INT32_MAX - 3);
  }
}

TEST(Random, EachThreadStartsFromStateOne) {
  Call(cmd::SetRandomSeed, {Arg::Int(99)});
  int32_t fromThread = -1;
  std::thread([&] { fromThread = Random(Arg::Int(0), Arg::Int(32767)); }).join();
  EXPECT_EQ(fromThread, Generator{1}.Draw());
  // This thread's state was not disturbed.
  EXPECT_EQ(Random(Arg::Int(0), Arg::Int(32767)), Generator{99}.Draw());
}

TEST(Random, UnseededSeedsDifferEvenWithinOneMillisecond) {
  std::vector<int32_t> firstDraws;
  for (int i = 0; i < 8; ++i) {
    Call(cmd::SetRandomSeed, {});
    firstDraws.push_back(Random(Arg::Int(0), Arg::Int(32767)) << 16 |
                         Random(Arg::Int(0), Arg::Int(32767)));
  }
  EXPECT_EQ(std::set<int32_t>(firstDraws.begin(), firstDraws.end()).size(), firstDraws.size());
}

TEST(DateTimeText, CalendarAndTimeParts) {
  EXPECT_EQ(cmd::DateTimeText(0), Gbk("1899年12月30日"));
  EXPECT_EQ(cmd::DateTimeText(36162), Gbk("1999年1月2日"));
  EXPECT_EQ(cmd::DateTimeText(36162.75), Gbk("1999年1月2日18时"));
  EXPECT_EQ(cmd::DateTimeText(36162 + (18 * 60 + 5) / 1440.0), Gbk("1999年1月2日18时5分"));
  EXPECT_EQ(cmd::DateTimeText(36162 + 7 / 86400.0), Gbk("1999年1月2日0时0分7秒"));
  EXPECT_EQ(cmd::DateTimeText(59), Gbk("1900年2月27日"));
  EXPECT_EQ(cmd::DateTimeText(60), Gbk("1900年2月28日"));
  EXPECT_EQ(cmd::DateTimeText(61), Gbk("1900年3月1日"));
  EXPECT_EQ(cmd::DateTimeText(51195), Gbk("2040年2月29日"));
  // Rounding to the second may carry into the next day.
  EXPECT_EQ(cmd::DateTimeText(36162 - 1e-9), Gbk("1999年1月2日"));
}

TEST(DateTimeText, ClampedToYearsOneHundredToNineThousandNineHundredNinetyNine) {
  EXPECT_EQ(cmd::DateTimeText(1e12), Gbk("9999年12月31日"));
  EXPECT_EQ(cmd::DateTimeText(-1e12), Gbk("100年1月1日"));
  EXPECT_EQ(cmd::DateTimeText(-std::numeric_limits<double>::infinity()), Gbk("100年1月1日"));
  EXPECT_EQ(cmd::DateTimeText(std::nan("")), Gbk("1899年12月30日"));
  // Before day 0 the fraction still counts forward from the day's midnight.
  EXPECT_EQ(cmd::DateTimeText(-1.25), Gbk("1899年12月29日6时"));
}

}  // namespace
