// What a window surface records as drawn: the list of rectangles merges as intended, and
// every primitive records an area that holds every pixel it changed (a pixel changed
// outside the record would stay stale on the screen) and little more.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/SurfaceDamage.h"
#include "platform/wingdi.h"

namespace platform::gdi {
namespace {

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Show(const std::vector<RECT>& rects) {
  std::ostringstream out;
  for (const RECT& r : rects)
    out << '{' << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom << '}';
  return out.str();
}

struct MergeCase {
  const char* what;
  std::vector<RECT> added;
  std::vector<RECT> expected;  // in any order
};

TEST(SurfaceDamageTest, MergesWhatIsCheapToMergeAndKeepsApartWhatIsNot) {
  const std::vector<MergeCase> cases = {
      {"empty rectangles are ignored", {{5, 5, 5, 9}, {3, 3, 1, 8}}, {}},
      {"one rectangle", {{1, 2, 3, 4}}, {{1, 2, 3, 4}}},
      {"a rectangle inside another adds nothing",
       {{0, 0, 50, 50}, {10, 10, 20, 20}},
       {{0, 0, 50, 50}}},
      {"a rectangle that covers earlier ones replaces them",
       {{10, 10, 20, 20}, {300, 300, 310, 310}, {0, 0, 400, 400}},
       {{0, 0, 400, 400}}},
      {"side by side they become one", {{0, 0, 10, 10}, {10, 0, 20, 10}}, {{0, 0, 20, 10}}},
      {"overlapping ones become one", {{0, 0, 10, 10}, {5, 5, 15, 15}}, {{0, 0, 15, 15}}},
      {"a small gap is copied rather than kept apart",
       {{0, 0, 10, 10}, {14, 0, 24, 10}},
       {{0, 0, 24, 10}}},
      {"far apart they stay apart",
       {{0, 0, 10, 10}, {500, 400, 510, 410}},
       {{0, 0, 10, 10}, {500, 400, 510, 410}}},
      {"a merge that reaches a third rectangle takes it along",
       {{0, 0, 100, 10}, {0, 40, 100, 50}, {0, 10, 100, 40}},
       {{0, 0, 100, 50}}},
      {"a caret in two far corners of a wide window",
       {{2, 2, 3, 20}, {1180, 680, 1181, 698}, {2, 2, 3, 20}},
       {{2, 2, 3, 20}, {1180, 680, 1181, 698}}},
  };
  for (const MergeCase& c : cases) {
    SurfaceDamage damage;
    for (const RECT& r : c.added) damage.Add(r);
    std::vector<RECT> got = damage.Take();
    EXPECT_TRUE(damage.empty()) << c.what;
    bool same = got.size() == c.expected.size();
    for (const RECT& e : c.expected) {
      same = same &&
             std::any_of(got.begin(), got.end(), [&](const RECT& g) { return SameRect(g, e); });
    }
    EXPECT_TRUE(same) << c.what << ": got " << Show(got) << ", expected " << Show(c.expected);
  }
}

TEST(SurfaceDamageTest, SaysWhenTheRecordStopsBeingEmptyAndStaysShort) {
  SurfaceDamage damage;
  EXPECT_TRUE(damage.Add({0, 0, 1, 1}));
  EXPECT_FALSE(damage.Add({900, 900, 901, 901}));
  damage.Take();
  EXPECT_TRUE(damage.Add({3, 3, 4, 4}));
  damage.Take();
  // Scattered pixels over a wide area: the list is bounded and still holds every one.
  std::vector<RECT> added;
  for (int i = 0; i < 200; ++i) {
    const LONG x = (i * 397) % 1185, y = (i * 211) % 701;
    added.push_back({x, y, x + 1, y + 1});
    damage.Add(added.back());
  }
  const std::vector<RECT> kept = damage.Take();
  EXPECT_LE(kept.size(), SurfaceDamage::kMaxRects);
  for (const RECT& p : added) {
    const bool covered = std::any_of(kept.begin(), kept.end(), [&](const RECT& k) {
      return p.left >= k.left && p.top >= k.top && p.right <= k.right && p.bottom <= k.bottom;
    });
    ASSERT_TRUE(covered) << "pixel " << p.left << "," << p.top << " was dropped";
  }
}

// A tracked surface behind a DC that draws straight onto it, filled with a pattern that no
// primitive below reproduces, so that every pixel drawn also changes.
class TrackedTarget {
 public:
  static constexpr int kWidth = 160, kHeight = 120;

  TrackedTarget() {
    surface_ = Surface::Create(kWidth, kHeight, 32, true);
    surface_->TrackDamage([this] { ++firstDamage_; });
    dc_ = CreateWindowDC(surface_, POINT{0, 0}, std::nullopt, nullptr);
  }
  ~TrackedTarget() { DeleteDC(dc_); }

  HDC dc() const { return dc_; }
  int firstDamageCalls() const { return firstDamage_; }

  void Scramble() {
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        surface_->WriteRaw(x, y, 0x00010203u * static_cast<uint32_t>(x * 7 + y * 13));
  }
  std::vector<uint32_t> Pixels() const {
    std::vector<uint32_t> out;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) out.push_back(surface_->ReadRaw(x, y));
    return out;
  }
  std::vector<RECT> TakeDamage() {
    std::lock_guard lock(surface_->lock());
    return surface_->TakeDamage();
  }

 private:
  std::shared_ptr<Surface> surface_;
  HDC dc_ = nullptr;
  int firstDamage_ = 0;
};

struct PrimitiveCase {
  const char* what;
  std::function<void(HDC)> draw;
  // Where the primitive may draw, when pixels it draws may keep their colour (the clear
  // parts of an icon); otherwise the record must hug the pixels that changed.
  RECT area = {0, 0, 0, 0};
};

TEST(SurfaceDamageTest, EveryPrimitiveRecordsEveryPixelItChangedAndLittleMore) {
  HBITMAP tileBitmap = CreateBitmap(16, 16, 1, 32, nullptr);
  HDC tile = CreateCompatibleDC(nullptr);
  SelectObject(tile, tileBitmap);
  PatBlt(tile, 0, 0, 16, 16, WHITENESS);
  HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
  const std::vector<PrimitiveCase> cases = {
      {"FillRect",
       [](HDC dc) {
         RECT r{10, 12, 30, 40};
         FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
       }},
      {"PatBlt reaching past the edge", [](HDC dc) { PatBlt(dc, 150, 100, 40, 40, BLACKNESS); }},
      {"BitBlt from a bitmap", [tile](HDC dc) { BitBlt(dc, 40, 50, 16, 16, tile, 0, 0, SRCCOPY); }},
      {"StretchBlt",
       [tile](HDC dc) { StretchBlt(dc, 5, 60, 50, 30, tile, 0, 0, 16, 16, SRCCOPY); }},
      {"BitBlt within the surface", [](HDC dc) { BitBlt(dc, 80, 10, 30, 20, dc, 0, 0, SRCCOPY); }},
      {"SetPixel", [](HDC dc) { SetPixel(dc, 77, 33, RGB(255, 0, 0)); }},
      {"LineTo",
       [](HDC dc) {
         MoveToEx(dc, 20, 100, nullptr);
         LineTo(dc, 90, 70);
       }},
      {"Ellipse", [](HDC dc) { Ellipse(dc, 100, 40, 150, 90); }},
      {"Rectangle through a moved viewport",
       [](HDC dc) {
         SetViewportOrgEx(dc, 30, 20, nullptr);
         Rectangle(dc, 0, 0, 25, 15);
         SetViewportOrgEx(dc, 0, 0, nullptr);
       }},
      {"TextOutA, opaque",
       [](HDC dc) {
         SetBkMode(dc, OPAQUE);
         TextOutA(dc, 12, 80, "Damage 12", 9);
       }},
      {"TextOutA, transparent",
       [](HDC dc) {
         SetBkMode(dc, TRANSPARENT);
         TextOutA(dc, 60, 5, "Wg", 2);
       }},
      {"DrawIconEx",
       [icon](HDC dc) { DrawIconEx(dc, 120, 2, icon, 32, 32, 0, nullptr, DI_NORMAL); },
       {120, 2, 152, 34}},
  };
  for (const PrimitiveCase& c : cases) {
    TrackedTarget target;
    target.Scramble();
    target.TakeDamage();
    const std::vector<uint32_t> before = target.Pixels();
    c.draw(target.dc());
    const std::vector<RECT> damage = target.TakeDamage();
    const std::vector<uint32_t> after = target.Pixels();
    RECT changed{TrackedTarget::kWidth, TrackedTarget::kHeight, 0, 0};
    int stale = 0;
    for (int y = 0; y < TrackedTarget::kHeight; ++y) {
      for (int x = 0; x < TrackedTarget::kWidth; ++x) {
        const size_t i = static_cast<size_t>(y) * TrackedTarget::kWidth + x;
        if (before[i] == after[i]) continue;
        changed = {std::min<LONG>(changed.left, x), std::min<LONG>(changed.top, y),
                   std::max<LONG>(changed.right, x + 1), std::max<LONG>(changed.bottom, y + 1)};
        const bool recorded = std::any_of(damage.begin(), damage.end(), [&](const RECT& r) {
          return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
        });
        stale += recorded ? 0 : 1;
      }
    }
    ASSERT_LT(changed.left, changed.right) << c.what << " drew nothing";
    EXPECT_EQ(stale, 0) << c.what << ": pixels changed outside the record " << Show(damage);
    // Little more: the record stays within two pixels of what changed.
    const RECT limit = c.area.right > c.area.left ? c.area
                                                  : RECT{changed.left - 2, changed.top - 2,
                                                         changed.right + 2, changed.bottom + 2};
    for (const RECT& r : damage) {
      EXPECT_TRUE(r.left >= limit.left && r.top >= limit.top && r.right <= limit.right &&
                  r.bottom <= limit.bottom)
          << c.what << ": recorded " << Show({r}) << " for changes within " << Show({changed});
    }
    EXPECT_EQ(target.firstDamageCalls(), 1) << c.what;
  }
  DeleteDC(tile);
  DeleteObject(tileBitmap);
}

TEST(SurfaceDamageTest, TheOwnerHearsOncePerBatchOfDrawing) {
  TrackedTarget target;
  target.TakeDamage();
  for (int i = 0; i < 50; ++i) PatBlt(target.dc(), i, i, 3, 3, BLACKNESS);
  EXPECT_EQ(target.firstDamageCalls(), 1);
  target.TakeDamage();
  PatBlt(target.dc(), 0, 0, 3, 3, WHITENESS);
  EXPECT_EQ(target.firstDamageCalls(), 2);
  // Drawing that lands nowhere records nothing.
  target.TakeDamage();
  PatBlt(target.dc(), -50, -50, 10, 10, BLACKNESS);
  EXPECT_TRUE(target.TakeDamage().empty());
}

}  // namespace
}  // namespace platform::gdi
