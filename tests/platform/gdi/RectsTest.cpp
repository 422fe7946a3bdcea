// The rectangle helpers, including their edge rules and null pointers.
#include <gtest/gtest.h>

#include <climits>

#include "platform/wingdi.h"

namespace {

bool Same(const RECT& r, LONG l, LONG t, LONG rt, LONG b) {
  return r.left == l && r.top == t && r.right == rt && r.bottom == b;
}

TEST(RectsTest, IntersectAndUnionTreatEmptyRectanglesAsNothing) {
  RECT a{0, 0, 10, 10}, b{5, 5, 15, 15}, out;
  EXPECT_TRUE(IntersectRect(&out, &a, &b));
  EXPECT_TRUE(Same(out, 5, 5, 10, 10));
  RECT touching{10, 0, 20, 10};
  EXPECT_FALSE(IntersectRect(&out, &a, &touching));
  EXPECT_TRUE(Same(out, 0, 0, 0, 0));
  EXPECT_TRUE(UnionRect(&out, &a, &b));
  EXPECT_TRUE(Same(out, 0, 0, 15, 15));
  RECT empty{50, 50, 50, 60};
  EXPECT_TRUE(UnionRect(&out, &a, &empty));
  EXPECT_TRUE(Same(out, 0, 0, 10, 10));
  EXPECT_TRUE(UnionRect(&out, &empty, &b));
  EXPECT_TRUE(Same(out, 5, 5, 15, 15));
  EXPECT_FALSE(UnionRect(&out, &empty, &empty));
  EXPECT_FALSE(IntersectRect(&out, &a, &empty));
  EXPECT_FALSE(IntersectRect(nullptr, &a, &b));
  EXPECT_FALSE(UnionRect(&out, nullptr, &b));
}

TEST(RectsTest, PointsOnTheRightAndBottomEdgesAreOutside) {
  RECT r{1, 2, 4, 6};
  EXPECT_TRUE(PtInRect(&r, POINT{1, 2}));
  EXPECT_TRUE(PtInRect(&r, POINT{3, 5}));
  EXPECT_FALSE(PtInRect(&r, POINT{4, 5}));
  EXPECT_FALSE(PtInRect(&r, POINT{3, 6}));
  EXPECT_FALSE(PtInRect(nullptr, POINT{0, 0}));
  EXPECT_TRUE(IsRectEmpty(nullptr));
  RECT inverted{4, 2, 1, 6};
  EXPECT_TRUE(IsRectEmpty(&inverted));
  EXPECT_FALSE(IsRectEmpty(&r));
}

TEST(RectsTest, MovingAndGrowingWrapInsteadOfOverflowing) {
  RECT r;
  ASSERT_TRUE(SetRect(&r, 1, 2, 3, 4));
  EXPECT_TRUE(OffsetRect(&r, 10, -2));
  EXPECT_TRUE(Same(r, 11, 0, 13, 2));
  EXPECT_TRUE(InflateRect(&r, 1, 2));
  EXPECT_TRUE(Same(r, 10, -2, 14, 4));
  EXPECT_TRUE(InflateRect(&r, -2, -3));
  EXPECT_TRUE(IsRectEmpty(&r));
  RECT edge{INT_MAX - 1, 0, INT_MAX, 1};
  EXPECT_TRUE(OffsetRect(&edge, 2, 0));
  EXPECT_EQ(edge.left, INT_MIN);
  RECT copy;
  EXPECT_TRUE(CopyRect(&copy, &r));
  EXPECT_TRUE(EqualRect(&copy, &r));
  copy.bottom++;
  EXPECT_FALSE(EqualRect(&copy, &r));
  EXPECT_TRUE(SetRectEmpty(&copy));
  EXPECT_TRUE(Same(copy, 0, 0, 0, 0));
  EXPECT_FALSE(SetRect(nullptr, 0, 0, 1, 1));
  EXPECT_FALSE(OffsetRect(nullptr, 1, 1));
  EXPECT_FALSE(InflateRect(nullptr, 1, 1));
  EXPECT_FALSE(CopyRect(nullptr, &r));
  EXPECT_FALSE(EqualRect(&r, nullptr));
  EXPECT_FALSE(SetRectEmpty(nullptr));
}

}  // namespace
