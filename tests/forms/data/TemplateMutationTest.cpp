// Changes the forms engine makes to a loaded template: records that grow or shrink inside
// the unit table (tag, cursor data, menu caption), in-place writes, units removed and added
// at run time. After each change every other record must read back exactly as before, the
// run-time state must stay with its unit, and the table must still read as form data.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "forms/data/FormData.h"

namespace {

using forms::UnitRecordFields;

rt::HandlerResult Handler(const uint32_t*, int32_t) {
  return {};
}
const rt::HandlerEntry kHandlers[] = {{Handler}, {Handler}};

constexpr uint32_t kOwn = 0x06000001, kBox = 0x16000002, kA = 0x16000003, kB = 0x16000004,
                   kItem = 0x26000005;

UnitRecordFields Unit(forms::UnitTypeId type, std::string name, uint32_t container,
                      std::vector<uint32_t> children = {}) {
  UnitRecordFields f;
  f.type = type;
  f.name = std::move(name);
  f.container = container;
  f.children = std::move(children);
  f.left = 3;
  f.width = 40;
  f.tag = "tag of " + f.name;
  f.bindings = {{-1, 0}, {0, forms::kNoHandler}};
  f.typeBlock = {1, 0, 0, 0, 9, 9, 9, 9};
  return f;
}

forms::FormData Load() {
  forms::MenuItemFields item;
  item.caption = "Open";
  item.handlerOffset = 8;
  forms::WindowImage w;
  w.windowId = 0x52000009;
  w.units = {{kOwn, forms::BuildUnitRecord(Unit(forms::kTypeWindow, "", 0))},
             {kBox, forms::BuildUnitRecord(Unit(forms::kTypePicBox, "box", 0, {kA, 0, kB}))},
             {kA, forms::BuildUnitRecord(Unit(forms::kTypeButton, "a", kBox))},
             {kB, forms::BuildUnitRecord(Unit(forms::kTypeButton, "b", kBox))},
             {kItem, forms::BuildMenuItemRecord(item)}};
  auto bytes = forms::BuildFormData(std::span(&w, 1));
  forms::FormData data;
  EXPECT_TRUE(data.Read(bytes.data(), bytes.size(), {kHandlers, 2}));
  return data;
}

// Every record as fields, by unit id, menu items as their caption.
std::vector<std::pair<uint32_t, UnitRecordFields>> Snapshot(const forms::FormTemplate& t) {
  std::vector<std::pair<uint32_t, UnitRecordFields>> all;
  for (size_t i = 0; i < t.UnitCount(); ++i) {
    UnitRecordFields f;
    if (t.IsMenuItem(i)) {
      f.name = std::string(t.MenuItem(i).Caption());
    } else {
      f = t.Unit(i).Fields();
    }
    all.emplace_back(t.UnitIdAt(i), f);
  }
  return all;
}

// The template written out and read again, as the next program start would see it.
std::vector<std::pair<uint32_t, UnitRecordFields>> Reread(const forms::FormData& data) {
  auto bytes = data.Write();
  forms::FormData again;
  EXPECT_TRUE(again.Read(bytes.data(), bytes.size(), {kHandlers, 2}));
  return again.WindowCount() == 1 ? Snapshot(again.WindowAt(0))
                                  : std::vector<std::pair<uint32_t, UnitRecordFields>>{};
}

TEST(TemplateMutation, ResizedFieldsLeaveOtherRecordsIntact) {
  struct Case {
    const char* what;
    uint32_t unit;
    std::function<void(forms::FormTemplate&, size_t)> change;
    std::function<void(UnitRecordFields&)> expected;  // what the changed record becomes
  } cases[] = {
      {"tag grows", kA, [](auto& t, size_t i) { t.SetTag(i, std::string(300, 'x')); },
       [](auto& f) { f.tag = std::string(300, 'x'); }},
      {"tag shrinks to empty", kBox, [](auto& t, size_t i) { t.SetTag(i, ""); },
       [](auto& f) { f.tag = ""; }},
      {"tag stops at a zero byte", kOwn,
       [](auto& t, size_t i) { t.SetTag(i, std::string("ab\0cd", 5)); },
       [](auto& f) { f.tag = "ab"; }},
      {"cursor data grows", kB,
       [](auto& t, size_t i) {
         std::vector<uint8_t> cursor(70, 7);
         t.SetCursorData(i, cursor);
       },
       [](auto& f) { f.cursor.assign(70, 7); }},
      {"cursor data emptied", kOwn, [](auto& t, size_t i) { t.SetCursorData(i, {}); },
       [](auto& f) { f.cursor.clear(); }},
      {"menu caption", kItem, [](auto& t, size_t i) { t.SetMenuCaption(i, "Open a photo..."); },
       [](auto& f) { f.name = "Open a photo..."; }},
      {"rectangle and flags in place", kA,
       [](auto& t, size_t i) {
         t.SetLeft(i, -32627);
         t.SetTop(i, 5);
         t.SetWidth(i, 32627);
         t.SetHeight(i, 0);
         t.SetStateFlags(i, forms::kUnitDisabled);
       },
       [](auto& f) {
         f.left = -32627;
         f.top = 5;
         f.width = 32627;
         f.height = 0;
         f.stateFlags = forms::kUnitDisabled;
       }},
  };
  for (const Case& c : cases) {
    forms::FormData data = Load();
    forms::FormTemplate& t = data.WindowAt(0);
    size_t index = *t.FindUnit(c.unit);
    t.Runtime(index).object = &data;  // run-time state must stay with its unit
    auto expected = Snapshot(t);
    c.change(t, index);
    c.expected(expected[index].second);
    EXPECT_EQ(Snapshot(t), expected) << c.what;
    EXPECT_EQ(Reread(data), expected) << c.what;
    EXPECT_EQ(t.Runtime(index).object, &data) << c.what;
    EXPECT_EQ(t.FindHandler(*t.FindUnit(kItem), 0), Handler) << c.what;
  }
}

TEST(TemplateMutation, MenuStateFlagsWriteInPlace) {
  forms::FormData data = Load();
  forms::FormTemplate& t = data.WindowAt(0);
  size_t item = *t.FindUnit(kItem);
  t.SetMenuStateFlags(item, forms::kMenuHidden | forms::kMenuChecked);
  EXPECT_TRUE(t.MenuItem(item).Hidden());
  EXPECT_TRUE(t.MenuItem(item).Checked());
  EXPECT_EQ(t.MenuItem(item).Caption(), "Open");
}

TEST(TemplateMutation, RemovingAUnitDropsItFromItsContainer) {
  forms::FormData data = Load();
  forms::FormTemplate& t = data.WindowAt(0);
  auto before = Snapshot(t);
  t.Runtime(*t.FindUnit(kB)).object = &before;
  ASSERT_TRUE(t.RemoveUnit(*t.FindUnit(kA)));
  EXPECT_FALSE(t.FindUnit(kA));
  ASSERT_EQ(t.UnitCount(), 4u);
  // The page separator stays: the remaining child keeps its page.
  EXPECT_EQ(t.Unit(*t.FindUnit(kBox)).Children(), (std::vector<uint32_t>{0, kB}));
  EXPECT_EQ(t.Runtime(*t.FindUnit(kB)).object, &before);
  auto expected = before;
  expected.erase(expected.begin() + 2);
  expected[1].second.children = {0, kB};
  EXPECT_EQ(Snapshot(t), expected);
  EXPECT_EQ(Reread(data), expected);
  EXPECT_FALSE(t.RemoveUnit(0));
  EXPECT_FALSE(t.RemoveUnit(t.UnitCount()));
}

TEST(TemplateMutation, AddingAUnitListsItWithItsContainer) {
  forms::FormData data = Load();
  forms::FormTemplate& t = data.WindowAt(0);
  auto before = Snapshot(t);
  UnitRecordFields added = Unit(forms::kTypeButton, "new", kBox);
  added.bindings = {{0, 8}};
  auto index = t.AddUnit(0x16000010, added);
  ASSERT_TRUE(index);
  EXPECT_EQ(*index, 5u);
  EXPECT_EQ(t.Unit(*index).Fields(), added);
  EXPECT_EQ(t.FindHandler(*index, 0), Handler);
  auto expected = before;
  expected[1].second.children.push_back(0x16000010);
  expected.emplace_back(0x16000010, added);
  EXPECT_EQ(Snapshot(t), expected);
  EXPECT_EQ(Reread(data), expected);

  struct Refused {
    const char* what;
    uint32_t id;
    uint32_t container;
    int32_t handler;
  } refused[] = {
      {"id already present", kA, kBox, 0},
      {"menu-item id", 0x26000011, kBox, 0},
      {"window id", 0x52000011, kBox, 0},
      {"own-unit id", 0x06000011, kBox, 0},
      {"unknown container", 0x16000011, 0x16000999, 0},
      {"handler past the table", 0x16000011, kBox, 16},
  };
  for (const Refused& r : refused) {
    UnitRecordFields f = Unit(forms::kTypeButton, "x", r.container);
    f.bindings = {{0, r.handler}};
    EXPECT_FALSE(t.AddUnit(r.id, f)) << r.what;
    EXPECT_EQ(Snapshot(t), expected) << r.what;
  }
  // A unit held by the window itself is listed nowhere.
  ASSERT_TRUE(t.AddUnit(0x16000012, Unit(forms::kTypeButton, "top", 0)));
  EXPECT_EQ(t.Unit(0).ChildCount(), 0u);
}

}  // namespace
