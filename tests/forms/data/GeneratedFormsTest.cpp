// The forms of this test program, compiled by formc during the build from forms/*.json and
// linked in with the handler table: read back as the runtime reads them at start, with the
// handlers resolved to these very functions.
#include <gtest/gtest.h>

#include <cstring>

#include "forms/data/FormData.h"
#include "forms/data/TypeBlock.h"
#include "forms_data_tests/Forms.h"
#include "platform/wingdi.h"
#include "tests/common/Gbk.h"

namespace formtest {
rt::HandlerResult OnCreated(const uint32_t*, int32_t) {
  return {true, 10};
}
rt::HandlerResult OnLabelPressed(const uint32_t*, int32_t) {
  return {true, 11};
}
rt::HandlerResult OnOpen(const uint32_t*, int32_t) {
  return {true, 12};
}
}  // namespace formtest
rt::HandlerResult OnGlobalQuit(const uint32_t*, int32_t) {
  return {true, 13};
}

namespace {

using testing_gbk::Gbk;

class GeneratedForms : public testing::Test {
 protected:
  // Read the way the runtime's hook reads: the table's length comes from its registration.
  void SetUp() override {
    ASSERT_TRUE(forms::ReadFormData(formtest::generated::kFormData,
                                    formtest::generated::kFormDataSize,
                                    formtest::generated::kHandlerTable));
  }
  void TearDown() override { forms::LoadedForms().Clear(); }
};

TEST_F(GeneratedForms, HeaderWordsAndDirectory) {
  EXPECT_EQ(formtest::generated::kHandlerCount, 4u);
  EXPECT_EQ(formtest::generated::kLastIdNumber, 0x013D4Bu);
  auto& loaded = forms::LoadedForms();
  ASSERT_EQ(loaded.WindowCount(), 2u);
  EXPECT_EQ(loaded.WindowAt(0).WindowId(), 0x52012752u);
  EXPECT_EQ(loaded.WindowAt(0).WordB(), 0x19012752u);
  EXPECT_EQ(loaded.WindowAt(1).UnitCount(), 1u);
}

TEST_F(GeneratedForms, RecordsAsTheSourceDescribesThem) {
  const forms::FormTemplate& t = *forms::LoadedForms().Find(0x52012752);
  ASSERT_EQ(t.UnitCount(), 9u);  // the window, four controls, four menu items in source order
  const uint32_t order[] = {0x06012751, 0x16013D4B, 0x16012975, 0x16013D4A, 0x16000100,
                            0x2601282D, 0x2601282E, 0x2601282F, 0x26012830};
  for (size_t i = 0; i < 9; ++i) EXPECT_EQ(t.UnitIdAt(i), order[i]);

  auto window = t.Unit(0);
  EXPECT_EQ(window.Width(), 499);
  forms::TypeBlock block(*forms::FindTypeBlockLayout(forms::kTypeWindow));
  ASSERT_TRUE(forms::TypeBlock::Read(block.Layout(), window.TypeBlock(), block));
  EXPECT_EQ(block.Text(8), Gbk("Velmora 首页"));
  EXPECT_EQ(block.Word(10), 0x00302010u);
  EXPECT_EQ(block.Word(9), 2u);  // the default border
  EXPECT_EQ(block.Word(27), 1u);
  EXPECT_EQ(block.Text(20), std::string("BM\x01\x02\x03\x04\x05\x06picture-bytes"));

  auto label = t.Unit(1);
  EXPECT_EQ(label.Name(), Gbk("透明标签6"));
  EXPECT_EQ(label.Container(), 0x16012975u);
  forms::TypeBlock labelBlock(*forms::FindTypeBlockLayout(forms::kTypeTransLabel));
  ASSERT_TRUE(forms::TypeBlock::Read(labelBlock.Layout(), label.TypeBlock(), labelBlock));
  LOGFONTA font;
  ASSERT_EQ(labelBlock.Data(10).size(), sizeof font);
  std::memcpy(&font, labelBlock.Data(10).data(), sizeof font);
  EXPECT_EQ(std::string(font.lfFaceName), Gbk("宋体"));
  EXPECT_EQ(font.lfHeight, -12);
  EXPECT_EQ(font.lfWeight, 700);

  auto picture = t.Unit(2);
  EXPECT_EQ(picture.Children(), (std::vector<uint32_t>{0x16013D4B, 0, 0x16013D4A}));
  EXPECT_EQ(std::vector<uint8_t>(picture.CursorData().begin(), picture.CursorData().end()),
            (std::vector<uint8_t>{0x00, 0x7F, 0, 0}));

  auto button = t.Unit(3);
  EXPECT_EQ(button.StateFlags(), forms::kUnitVisible | forms::kUnitDisabled | forms::kUnitTabStop);
  EXPECT_EQ(button.Tag(), Gbk("标记"));
  EXPECT_EQ(button.Container(), 0x16012975u);
  EXPECT_FALSE(t.Unit(4).Visible());

  auto open = t.MenuItem(6);
  EXPECT_EQ(open.Caption(), Gbk("打开(&O)"));
  EXPECT_EQ(open.Level(), 1u);
  EXPECT_EQ(open.Shortcut(), 3u);
  EXPECT_TRUE(t.MenuItem(8).Checked());
}

TEST_F(GeneratedForms, BindingsCallTheNamedHandlers) {
  const forms::FormTemplate& t = *forms::LoadedForms().Find(0x52012752);
  struct Case {
    size_t unit;
    int32_t event;
    uint64_t result;  // which handler answered; 0 = none bound
  } cases[] = {
      {0, 0, 10}, {0, 1, 0}, {1, -1, 11}, {2, -1, 0}, {3, 0, 13}, {5, 0, 0}, {6, 0, 12}, {8, 0, 13},
  };
  for (const Case& c : cases) {
    rt::EventHandler handler = t.FindHandler(c.unit, c.event);
    uint64_t result = handler ? handler(nullptr, 0).value : 0;
    EXPECT_EQ(result, c.result) << "unit " << c.unit << " event " << c.event;
  }
  // The explicitly unbound close event is stored, as −1.
  EXPECT_EQ(t.Unit(0).Binding(1), (forms::EventBinding{1, -1}));
}

// The generated source registered the table, so an offset one entry past it is refused.
TEST_F(GeneratedForms, TheGeneratedTableBoundsOffsets) {
  for (uint32_t entry : {3u, 4u}) {
    forms::UnitRecordFields own;
    own.type = forms::kTypeWindow;
    own.bindings = {{0, rt::HandlerOffset(entry)}};
    forms::WindowImage w;
    w.windowId = 0x52000001;
    w.units = {{0x06000002, forms::BuildUnitRecord(own)}};
    auto bytes = forms::BuildFormData(std::span(&w, 1));
    EXPECT_EQ(forms::ReadFormData(bytes.data(), static_cast<uint32_t>(bytes.size()),
                                  formtest::generated::kHandlerTable),
              entry < formtest::generated::kHandlerCount)
        << entry;
  }
}

}  // namespace
