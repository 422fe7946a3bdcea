// The 256 ternary raster operations: the formula table against the truth-table evaluator,
// the row fast paths against the evaluator, and every code pinned end to end through
// BitBlt on small bitmaps holding all eight pattern/source/destination combinations.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "platform/gdi/RasterOps.h"
#include "platform/wingdi.h"
#include "tests/platform/gdi/GdiTestCanvas.h"

namespace {

using namespace platform::gdi;
using gdi_test::Canvas;

DWORD RopCode(int index) {
  return static_cast<DWORD>(index) << 16;
}

TEST(RasterOpTest, EveryFormulaMatchesItsTruthTable) {
  // Each operand as the eight (P, S, D) cases spread over one byte, as the index is laid out.
  constexpr uint32_t P = 0xF0, S = 0xCC, D = 0xAA;
  for (int index = 0; index < 256; ++index) {
    SCOPED_TRACE(index);
    const char* formula = RopFormula(static_cast<uint8_t>(index));
    ASSERT_NE(formula, nullptr);
    EXPECT_EQ(EvaluateRopFormula(formula, P, S, D) & 0xFF, static_cast<uint32_t>(index)) << formula;
  }
}

TEST(RasterOpTest, FormulasAndEvaluatorAgreeBitwiseOnWideValues) {
  std::mt19937 random(7);
  for (int index = 0; index < 256; ++index) {
    const char* formula = RopFormula(static_cast<uint8_t>(index));
    for (int trial = 0; trial < 8; ++trial) {
      uint32_t p = random(), s = random(), d = random();
      ASSERT_EQ(EvaluateRopFormula(formula, p, s, d),
                EvaluateRop3(static_cast<uint8_t>(index), p, s, d))
          << "index " << index << " formula " << formula;
    }
  }
}

TEST(RasterOpTest, MalformedFormulasEvaluateToZero) {
  EXPECT_EQ(EvaluateRopFormula("", 1, 1, 1), 0u);
  EXPECT_EQ(EvaluateRopFormula("a", 1, 1, 1), 0u);
  EXPECT_EQ(EvaluateRopFormula("DS", 1, 1, 1), 0u);
  EXPECT_EQ(EvaluateRopFormula("DSq", 1, 1, 1), 0u);
  EXPECT_EQ(EvaluateRopFormula("DDDDDDDDDDDDDDDDDD", 1, 1, 1), 0u);
}

TEST(RasterOpTest, OperandUseFollowsTheTruthTable) {
  EXPECT_TRUE(RopUsesSource(RopIndex(SRCCOPY)));
  EXPECT_FALSE(RopUsesPattern(RopIndex(SRCCOPY)));
  EXPECT_FALSE(RopUsesDest(RopIndex(SRCCOPY)));
  EXPECT_FALSE(RopUsesSource(RopIndex(PATCOPY)));
  EXPECT_TRUE(RopUsesPattern(RopIndex(PATCOPY)));
  EXPECT_TRUE(RopUsesDest(RopIndex(DSTINVERT)));
  EXPECT_FALSE(RopUsesSource(RopIndex(DSTINVERT)));
  EXPECT_TRUE(RopUsesSource(RopIndex(SRCAND)) && RopUsesDest(RopIndex(SRCAND)));
  for (DWORD constant : {BLACKNESS, WHITENESS}) {
    uint8_t i = RopIndex(constant);
    EXPECT_FALSE(RopUsesPattern(i) || RopUsesSource(i) || RopUsesDest(i));
  }
  // The predicates agree with the evaluator: an operand is used exactly when flipping it
  // can change the result.
  for (int index = 0; index < 256; ++index) {
    auto i = static_cast<uint8_t>(index);
    bool p = false, s = false, d = false;
    for (uint32_t v = 0; v < 8; ++v) {
      uint32_t pp = (v & 4) ? ~0u : 0, ss = (v & 2) ? ~0u : 0, dd = (v & 1) ? ~0u : 0;
      uint32_t r = EvaluateRop3(i, pp, ss, dd);
      p = p || r != EvaluateRop3(i, ~pp, ss, dd);
      s = s || r != EvaluateRop3(i, pp, ~ss, dd);
      d = d || r != EvaluateRop3(i, pp, ss, ~dd);
    }
    EXPECT_EQ(RopUsesPattern(i), p) << index;
    EXPECT_EQ(RopUsesSource(i), s) << index;
    EXPECT_EQ(RopUsesDest(i), d) << index;
  }
}

TEST(RasterOpTest, RowApplierMatchesEvaluatorForEveryCodeAndMask) {
  std::mt19937 random(11);
  constexpr int kCount = 37;
  for (uint32_t mask : {0xFFFFFFFFu, 0xFFFFFFu, 0xFFu, 0xFu, 1u}) {
    for (int index = 0; index < 256; ++index) {
      std::vector<uint32_t> src(kCount), dst(kCount), expected(kCount);
      uint32_t pattern = random() & mask;
      for (int i = 0; i < kCount; ++i) {
        src[i] = random() & mask;
        dst[i] = random() & mask;
        expected[i] = EvaluateRop3(static_cast<uint8_t>(index), pattern, src[i], dst[i]) & mask;
      }
      ApplyRop3Row(static_cast<uint8_t>(index), dst.data(), src.data(), pattern, kCount, mask);
      ASSERT_EQ(dst, expected) << "index " << index << " mask " << mask;
    }
  }
}

TEST(RasterOpTest, BinaryOperationsBecomeTernaryOnesWithoutSource) {
  EXPECT_EQ(Rop2ToRop3(R2_COPYPEN), RopIndex(PATCOPY));
  EXPECT_EQ(Rop2ToRop3(R2_XORPEN), RopIndex(PATINVERT));
  EXPECT_EQ(Rop2ToRop3(R2_NOT), RopIndex(DSTINVERT));
  EXPECT_EQ(Rop2ToRop3(R2_BLACK), RopIndex(BLACKNESS));
  EXPECT_EQ(Rop2ToRop3(R2_WHITE), RopIndex(WHITENESS));
  EXPECT_EQ(Rop2ToRop3(11), 0xAA);  // R2_NOP keeps the destination
  EXPECT_EQ(Rop2ToRop3(0), RopIndex(PATCOPY));
  EXPECT_EQ(Rop2ToRop3(17), RopIndex(PATCOPY));
  for (int r2 = 1; r2 <= 16; ++r2) EXPECT_FALSE(RopUsesSource(Rop2ToRop3(r2))) << r2;
}

// Each code through BitBlt: for both pattern values, a 4x1 source and destination
// holding S = 0011 and D = 0101 give all eight cases; the four results must be the
// index's bits for those cases.
void ExpectTruthTable(int bitCount, COLORREF zero, COLORREF one) {
  Canvas src(4, 1, zero, bitCount);
  src.Set(2, 0, one);
  src.Set(3, 0, one);
  Canvas dst(4, 1, zero, bitCount);
  for (int index = 0; index < 256; ++index) {
    for (int p = 0; p < 2; ++p) {
      for (int x = 0; x < 4; ++x) dst.Set(x, 0, (x & 1) ? one : zero);
      HBRUSH brush = CreateSolidBrush(p ? one : zero);
      HGDIOBJ old = SelectObject(dst.dc(), brush);
      ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 4, 1, src.dc(), 0, 0, RopCode(index)));
      SelectObject(dst.dc(), old);
      DeleteObject(brush);
      for (int x = 0; x < 4; ++x) {
        const int s = x >> 1, d = x & 1;
        const int bit = (index >> ((p << 2) | (s << 1) | d)) & 1;
        ASSERT_EQ(dst.At(x, 0), bit ? one : zero)
            << "bits " << bitCount << " index " << index << " P" << p << " S" << s << " D" << d;
      }
    }
  }
}

TEST(RasterOpTest, EveryCodeThroughBitBltOnMonochromeBitmaps) {
  ExpectTruthTable(1, RGB(0, 0, 0), RGB(255, 255, 255));
}

TEST(RasterOpTest, EveryCodeThroughBitBltOnColourBitmaps) {
  ExpectTruthTable(32, RGB(0, 0, 0), RGB(255, 255, 255));
  ExpectTruthTable(24, RGB(0, 0, 0), RGB(255, 255, 255));
}

// The same on a 2x2 block of colours: raster operations act on the bits of the raw values,
// so a colour pattern, source and destination combine channel by channel.
TEST(RasterOpTest, FastPathCodesCombineRawColourBits) {
  struct Case {
    DWORD rop;
    COLORREF expected;
  };
  const COLORREF p = RGB(0xF0, 0x0F, 0x55), s = RGB(0xCC, 0x33, 0x0F), d = RGB(0xAA, 0x66, 0xF0);
  const Case cases[] = {
      {SRCCOPY, s},       {SRCPAINT, s | d},           {SRCAND, s & d},
      {SRCINVERT, s ^ d}, {NOTSRCCOPY, ~s & 0xFFFFFF}, {PATCOPY, p},
      {BLACKNESS, 0},     {WHITENESS, 0xFFFFFF},       {DSTINVERT, ~d & 0xFFFFFF},
      {PATINVERT, p ^ d}, {MERGECOPY, p & s},          {0x00B8074A, ((s & (p ^ d)) ^ p) & 0xFFFFFF},
  };
  for (const Case& c : cases) {
    Canvas src(2, 2, s);
    Canvas dst(2, 2, d);
    HBRUSH brush = CreateSolidBrush(p);
    HGDIOBJ old = SelectObject(dst.dc(), brush);
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 2, 2, src.dc(), 0, 0, c.rop));
    SelectObject(dst.dc(), old);
    DeleteObject(brush);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x) EXPECT_EQ(dst.At(x, y), c.expected) << std::hex << c.rop;
  }
}

}  // namespace
