// The form-data block read from bytes laid out by hand: the directory, template words and
// texts, unit tables whose records lie in any order behind their offsets, unit and menu-item
// records, handler offsets resolved against a handler table; and every way a block can be
// broken ending in a clean failure.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/data/FormData.h"
#include "tests/common/Gbk.h"
#include "tests/forms/data/LittleEndianBytes.h"

namespace {

using formtest::Le;
using testing_gbk::Gbk;

rt::HandlerResult First(const uint32_t*, int32_t) {
  return {true, 1};
}
rt::HandlerResult Second(const uint32_t*, int32_t) {
  return {true, 2};
}
rt::HandlerResult Third(const uint32_t*, int32_t) {
  return {true, 3};
}
const rt::HandlerEntry kHandlers[] = {{First}, {Second}, {Third}};

constexpr uint32_t kWindow = 0x52012752;
constexpr uint32_t kOwnUnit = 0x06012751;
constexpr uint32_t kLabel = 0x16013D4B;
constexpr uint32_t kPicture = 0x16012975;
constexpr uint32_t kMenuItem = 0x2601282D;

Le Head(uint32_t type) {
  return Le().words({type, 0, 0, 0, 0, 0});
}

// The window's own unit: no children, an empty cursor buffer, event 0 bound to offset 0.
std::vector<uint8_t> OwnUnitRecord() {
  return Head(0x00010001)
      .cstr("")
      .cstr("")
      .words({0, 50, 50, 499, 463, 0, 0, 0})  // slot, rect, cursor slot, container, K = 0
      .u32(0)                                 // empty cursor buffer
      .cstr("")
      .words({0, 1, 0, 1, 0, 0})  // reserved, visible, reserved, E = 1, (0 → offset 0)
      .zeros(20)
      .b;
}

std::vector<uint8_t> LabelRecord() {
  return Head(0x00020005)
      .cstr(Gbk("透明标签6"))
      .cstr("")
      .words({0, 336, 288, 160, 128, 0, kPicture, 0})
      .counted(std::vector<uint8_t>(4, 0))  // the standard cursor
      .cstr("tag")
      .words({0, 1 | 4, 0, 2})
      .words({0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFE, 8})  // −1 unbound, −2 → entry 1
      .zeros(20)
      .words({1, 1500})  // a type block, carried as bytes
      .b;
}

std::vector<uint8_t> PictureRecord() {
  return Head(0x00010006)
      .cstr(Gbk("图片框1"))
      .cstr("")
      .words({0, 0, 0, 496, 440, 0, 0, 3, kLabel, 0, 0x16013D4A})
      .counted(std::vector<uint8_t>{1, 2, 3, 4, 5, 6})
      .cstr("")
      .words({0, 0, 0, 0})
      .zeros(20)
      .b;
}

std::vector<uint8_t> MenuRecord() {
  return Head(0x00010003)
      .cstr("")
      .cstr("")
      .words({3, 1, 4})
      .cstr(Gbk("打开(&O)"))
      .u32(16)
      .zeros(16)
      .b;
}

// A unit table whose records are stored back to front, so that only the offsets find them.
std::vector<uint8_t> UnitTable(const std::vector<uint32_t>& ids,
                               const std::vector<std::vector<uint8_t>>& records) {
  Le t;
  for (uint32_t id : ids) t.u32(id);
  std::vector<uint32_t> offsets(ids.size());
  uint32_t at = 0;
  for (size_t i = records.size(); i-- > 0;) {
    offsets[i] = at;
    at += 4 + static_cast<uint32_t>(records[i].size());
  }
  for (uint32_t o : offsets) t.u32(o);
  for (size_t i = records.size(); i-- > 0;) t.counted(records[i]);
  return t.b;
}

Le Template(uint32_t wordA, const std::vector<uint8_t>& table, uint32_t unitCount) {
  return Le().words({wordA, 0x19000001}).u32(0).u32(0).u32(unitCount).counted(table);
}

std::vector<uint8_t> Block(const std::vector<uint32_t>& windowIds,
                           const std::vector<std::vector<uint8_t>>& templates) {
  Le directory;
  for (uint32_t id : windowIds) directory.u32(id);
  for (size_t i = 0; i < windowIds.size(); ++i) directory.u32(0xDEADBEEF);  // arbitrary slots
  Le block;
  block.counted(directory.b);
  for (const auto& t : templates) block.raw(t);
  return block.b;
}

std::vector<uint8_t> SampleBlock() {
  auto table = UnitTable({kOwnUnit, kLabel, kPicture, kMenuItem},
                         {OwnUnitRecord(), LabelRecord(), PictureRecord(), MenuRecord()});
  auto lone = UnitTable({0x06000010}, {OwnUnitRecord()});
  return Block({kWindow, 0x52000011}, {Template(7, table, 4).b, Template(8, lone, 1).b});
}

bool Read(forms::FormData& forms, const std::vector<uint8_t>& block, uint32_t handlerCount = 3) {
  return forms.Read(block.data(), block.size(), {kHandlers, handlerCount});
}

TEST(FormDataReader, WalksEveryFieldOfHandBuiltRecords) {
  forms::FormData forms;
  ASSERT_TRUE(Read(forms, SampleBlock()));
  ASSERT_EQ(forms.WindowCount(), 2u);
  forms::FormTemplate* t = forms.Find(kWindow);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->WordA(), 7u);
  EXPECT_EQ(t->WordB(), 0x19000001u);
  ASSERT_EQ(t->UnitCount(), 4u);

  auto own = t->Unit(0);
  EXPECT_EQ(own.Type(), forms::kTypeWindow);
  EXPECT_EQ(own.Name(), "");
  EXPECT_EQ(std::vector<int32_t>({own.Left(), own.Top(), own.Width(), own.Height()}),
            std::vector<int32_t>({50, 50, 499, 463}));
  EXPECT_EQ(own.ChildCount(), 0u);
  EXPECT_TRUE(own.CursorData().empty());
  EXPECT_EQ(own.Tag(), "");
  EXPECT_TRUE(own.Visible());
  EXPECT_TRUE(own.TypeBlock().empty());

  auto label = t->Unit(*t->FindUnit(kLabel));
  EXPECT_EQ(label.Type(), forms::kTypeTransLabel);
  EXPECT_EQ(label.Name(), Gbk("透明标签6"));
  EXPECT_EQ(label.Container(), kPicture);
  EXPECT_EQ(label.CursorData().size(), 4u);
  EXPECT_EQ(label.Tag(), "tag");
  EXPECT_TRUE(label.Visible() && label.TabStop() && !label.Disabled());
  ASSERT_EQ(label.EventCount(), 2u);
  EXPECT_EQ(label.Binding(1), (forms::EventBinding{-2, 8}));
  EXPECT_EQ(std::vector<uint8_t>(label.TypeBlock().begin(), label.TypeBlock().end()),
            Le().words({1, 1500}).b);

  auto picture = t->Unit(2);
  EXPECT_EQ(picture.Children(), (std::vector<uint32_t>{kLabel, 0, 0x16013D4A}));
  EXPECT_EQ(picture.CursorData().size(), 6u);
  EXPECT_EQ(picture.StateFlags(), 0u);

  ASSERT_TRUE(t->IsMenuItem(3));
  auto item = t->MenuItem(3);
  EXPECT_EQ(item.Caption(), Gbk("打开(&O)"));
  EXPECT_EQ(item.Shortcut(), 3u);
  EXPECT_EQ(item.Level(), 1u);
  EXPECT_TRUE(item.Checked() && !item.Hidden() && !item.Disabled());

  // A unit table holding only the window's own unit is an empty window.
  EXPECT_EQ(forms.WindowAt(1).UnitCount(), 1u);
  EXPECT_EQ(forms.WindowAt(1).WindowId(), 0x52000011u);
}

TEST(FormDataReader, ResolvesHandlerOffsetsAgainstTheTable) {
  forms::FormData forms;
  ASSERT_TRUE(Read(forms, SampleBlock()));
  forms::FormTemplate& t = forms.WindowAt(0);
  struct Case {
    uint32_t unit;
    int32_t event;
    rt::EventHandler expected;
  } cases[] = {
      {kOwnUnit, 0, First},    // offset 0 is the handler at the code base itself
      {kOwnUnit, 1, nullptr},  // not bound
      {kLabel, -1, nullptr},   // bound to −1: no handler
      {kLabel, -2, Second},   {kMenuItem, 0, Third},  // a menu item's single handler
      {0, 0, First},                                  // unit id 0 is the window's own unit
  };
  for (const Case& c : cases) {
    auto index = t.FindUnit(c.unit);
    ASSERT_TRUE(index) << std::hex << c.unit;
    EXPECT_EQ(t.FindHandler(*index, c.event), c.expected) << std::hex << c.unit << " " << c.event;
  }
  EXPECT_FALSE(t.FindUnit(0x16FFFFFF));
}

TEST(FormDataReader, SizeZeroReadsNoWindows) {
  forms::FormData forms;
  ASSERT_TRUE(Read(forms, SampleBlock()));
  EXPECT_TRUE(forms.Read(nullptr, 0, {kHandlers, 3}));
  EXPECT_EQ(forms.WindowCount(), 0u);
  EXPECT_EQ(forms.Find(kWindow), nullptr);
}

// The runtime's hook passes only the code base; a registered length bounds the offsets.
TEST(FormDataReader, RegisteredLengthBoundsTheHookRead) {
  auto block = SampleBlock();  // its highest offset names entry 2
  auto size = static_cast<uint32_t>(block.size());
  forms::RegisterHandlerTable(kHandlers, 2);
  EXPECT_FALSE(forms::ReadFormData(block.data(), size, kHandlers));
  EXPECT_EQ(forms::LoadedForms().WindowCount(), 0u);
  forms::RegisterHandlerTable(kHandlers, 3);
  EXPECT_TRUE(forms::ReadFormData(block.data(), size, kHandlers));
  EXPECT_EQ(forms::LoadedForms().WindowCount(), 2u);
  forms::LoadedForms().Clear();
}

TEST(FormDataReader, EveryTruncationFails) {
  auto block = SampleBlock();
  forms::FormData forms;
  for (size_t size = 1; size < block.size(); ++size) {
    std::vector<uint8_t> cut(block.begin(), block.begin() + static_cast<ptrdiff_t>(size));
    EXPECT_FALSE(Read(forms, cut)) << size;
    EXPECT_EQ(forms.WindowCount(), 0u);
  }
}

TEST(FormDataReader, RejectsMalformedTables) {
  auto own = OwnUnitRecord();
  auto withBinding = [](int32_t offset) {
    auto r = OwnUnitRecord();
    // The only binding's offset sits 24 bytes before the end (then 20 reserved bytes).
    forms::StoreU32(r.data() + r.size() - 24, static_cast<uint32_t>(offset));
    return r;
  };
  auto windowTyped = [](uint32_t type) {
    auto r = OwnUnitRecord();
    forms::StoreU32(r.data(), type);
    return r;
  };
  struct Case {
    const char* what;
    std::vector<uint8_t> block;
  } cases[] = {
      {"no units", Block({kWindow}, {Template(0, {}, 0).b})},
      {"more units than the table holds",
       Block({kWindow}, {Template(0, UnitTable({kOwnUnit}, {own}), 2).b})},
      {"entry 0 is a menu item",
       Block({kWindow}, {Template(0, UnitTable({kMenuItem}, {MenuRecord()}), 1).b})},
      {"entry 0 is not of the window type",
       Block({kWindow}, {Template(0, UnitTable({kOwnUnit}, {windowTyped(0x0001000B)}), 1).b})},
      {"entry 0 has a control's id",
       Block({kWindow}, {Template(0, UnitTable({kLabel}, {own}), 1).b})},
      {"an id of window kind in the table",
       Block({kWindow}, {Template(0, UnitTable({kOwnUnit, kWindow}, {own, own}), 2).b})},
      {"handler offset not on an entry",
       Block({kWindow}, {Template(0, UnitTable({kOwnUnit}, {withBinding(4)}), 1).b})},
      {"handler offset past the table",
       Block({kWindow}, {Template(0, UnitTable({kOwnUnit}, {withBinding(24)}), 1).b})},
      {"negative handler offset other than -1",
       Block({kWindow}, {Template(0, UnitTable({kOwnUnit}, {withBinding(-8)}), 1).b})},
      {"record too short for its fields",
       Block({kWindow},
             {Template(0, UnitTable({kOwnUnit}, {std::vector<uint8_t>(own.begin(), own.end() - 1)}),
                       1)
                  .b})},
  };
  for (const Case& c : cases) {
    forms::FormData forms;
    EXPECT_FALSE(Read(forms, c.block)) << c.what;
  }
  // The same handler offsets pass when they name entries.
  forms::FormData forms;
  EXPECT_TRUE(
      Read(forms, Block({kWindow}, {Template(0, UnitTable({kOwnUnit}, {withBinding(16)}), 1).b})));
}

TEST(FormDataReader, RejectsOverlappingAndStrayOffsets) {
  auto own = OwnUnitRecord();
  // Two entries whose offsets name the same record: a later change to one would corrupt
  // the other.
  Le shared;
  shared.words({kOwnUnit, kLabel, 0, 0}).counted(own);
  // An offset pointing past the table.
  Le stray;
  stray.words({kOwnUnit, 1000}).counted(own);
  for (const auto& table : {shared.b, stray.b}) {
    forms::FormData forms;
    uint32_t count = table == shared.b ? 2 : 1;
    EXPECT_FALSE(Read(forms, Block({kWindow}, {Template(0, table, count).b})));
  }
}

}  // namespace
