// Type blocks: bytes laid out by hand for each type and version read into the right
// properties; every layout written and read back; versions and fonts that must be refused.
#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "forms/data/TypeBlock.h"
#include "tests/forms/data/LittleEndianBytes.h"

namespace {

using forms::TypeBlock;
using formtest::Le;
using Value = std::variant<uint32_t, std::string>;

struct Expect {
  uint32_t property;
  Value value;
};

std::vector<uint8_t> Font(uint8_t fill) {
  return std::vector<uint8_t>(60, fill);
}

struct HandBuilt {
  const char* what;
  forms::UnitTypeId type;
  std::vector<uint8_t> bytes;
  std::vector<Expect> expected;
};

std::vector<HandBuilt> HandBuiltBlocks() {
  Le window6;
  window6.u32(6)
      .words({4, 12, 0x00112233, 1, 0, 1, 2, 19, 14, 1, 1, 0, 77, 26, 1, 28, 29, 30})
      .counted("MyClass")
      .counted("BMPICTURE")
      .counted("ICON")
      .counted("RIFFMUSIC")
      .counted("Caption")
      .counted("help.hlp");
  Le window1;
  window1.u32(1)
      .words({3, 0, 0xFF000000, 0, 1, 1, 0, 0, 0, 0, 0, 1, 5})
      .counted("")
      .counted("")
      .counted("")
      .counted("Old")
      .counted("");
  Le window5;
  window5.u32(5)
      .words({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 9})
      .counted("")
      .counted("")
      .counted("")
      .counted("Five")
      .counted("");
  return {
      {"window 6",
       forms::kTypeWindow,
       window6.b,
       {{9, 4u},      {12, 12u},         {10, 0x00112233u}, {16, 1u},        {17, 0u},
        {15, 1u},     {18, 2u},          {19, 19u},         {14, 14u},       {21, 1u},
        {22, 1u},     {23, 0u},          {25, 77u},         {26, 26u},       {27, 1u},
        {28, 28u},    {29, 29u},         {30, 30u},         {31, "MyClass"}, {11, "BMPICTURE"},
        {20, "ICON"}, {13, "RIFFMUSIC"}, {8, "Caption"},    {24, "help.hlp"}}},
      // Version 1 stops after 13 words and has no class name; later words keep defaults.
      {"window 1",
       forms::kTypeWindow,
       window1.b,
       {{9, 3u}, {25, 5u}, {26, 0u}, {27, 0u}, {31, ""}, {8, "Old"}}},
      {"window 5", forms::kTypeWindow, window5.b, {{9, 1u}, {27, 1u}, {30, 9u}, {8, "Five"}}},
      {"button",
       forms::kTypeButton,
       Le().words({1, 1, 2, 0}).counted("PIC").counted(Font(3)).counted("OK").b,
       {{9, 1u}, {11, 2u}, {12, 0u}, {8, "PIC"}, {13, std::string(60, '\3')}, {10, "OK"}}},
      {"picture box 1",
       forms::kTypePicBox,
       Le().words({1, 2, 0xFF000000, 1, 1}).counted("JPEG").b,
       {{8, 2u}, {9, 0xFF000000u}, {11, 1u}, {12, 1u}, {10, "JPEG"}, {13, ""}}},
      {"picture box 2",
       forms::kTypePicBox,
       Le().words({2, 0, 0, 3, 1}).counted("").counted("one").counted("two").b,
       {{11, 3u}, {10, ""}, {13, "one"}, {14, "two"}}},
      {"timer", forms::kTypeTimer, Le().words({1, 1500}).b, {{8, 1500u}}},
      {"html viewer",
       forms::kTypeHtmlViewer,
       Le().words({1, 4, 1, 0}).counted("http://127.0.0.1/").b,
       {{8, 4u}, {9, 1u}, {10, 0u}, {11, "http://127.0.0.1/"}}},
      {"progress bar",
       forms::kTypeProcessBar,
       Le().words({1, 0, 0, 1, 0, 100, 0}).b,
       {{10, 1u}, {12, 100u}, {13, 0u}}},
      {"common dialog",
       forms::kTypeCommonDlg,
       Le().words({1, 1, 2, 0, 0, 1, 0, 0, 0xFF, 1, 0, 0, 0, 12, 3, 4})
           .counted("Save")
           .counted("photo")
           .counted("JPG|*.jpg")
           .counted("")
           .counted("jpg")
           .counted("Face")
           .counted("")
           .b,
       {{8, 1u},
        {12, 2u},
        {17, 1u},
        {20, 0xFFu},
        {21, 1u},
        {26, 12u},
        {28, 3u},
        {29, 4u},
        {9, "Save"},
        {10, "photo"},
        {11, "JPG|*.jpg"},
        {14, "jpg"},
        {25, "Face"}}},
      {"empty block: defaults",
       forms::kTypeWindow,
       {},
       {{9, 2u}, {10, 0xFF000000u}, {15, 1u}, {8, ""}}},
  };
}

TEST(TypeBlock, ReadsHandBuiltBytes) {
  for (const HandBuilt& c : HandBuiltBlocks()) {
    const forms::TypeBlockLayout* layout = forms::FindTypeBlockLayout(c.type);
    ASSERT_NE(layout, nullptr) << c.what;
    TypeBlock block(*layout);
    ASSERT_TRUE(TypeBlock::Read(*layout, c.bytes, block)) << c.what;
    for (const Expect& e : c.expected) {
      if (const auto* word = std::get_if<uint32_t>(&e.value)) {
        EXPECT_EQ(block.Word(e.property), *word) << c.what << " property " << e.property;
      } else {
        EXPECT_EQ(block.Text(e.property), std::get<std::string>(e.value))
            << c.what << " property " << e.property;
      }
    }
  }
}

// Every layout: values different from the defaults in every field survive writing and
// reading, and the written size is exactly what the field list says.
TEST(TypeBlock, EveryLayoutRoundTrips) {
  for (const forms::TypeBlockLayout& layout : forms::AllTypeBlockLayouts()) {
    TypeBlock block(layout);
    size_t expectedSize = 4;
    for (size_t i = 0; i < layout.fields.size(); ++i) {
      const forms::BlockField& f = layout.fields[i];
      if (f.kind == forms::FieldKind::Word) {
        block.SetWordAt(i, f.defaultWord ^ (0x5A5A0000u + static_cast<uint32_t>(i)));
        expectedSize += 4;
      } else {
        std::vector<uint8_t> bytes =
            f.typeCode == forms::kPropFont ? Font(static_cast<uint8_t>(i)) : Le().u32(i).b;
        block.SetDataAt(i, bytes);
        expectedSize += 4 + bytes.size();
      }
    }
    auto bytes = block.Write();
    EXPECT_EQ(bytes.size(), expectedSize) << layout.englishName;
    TypeBlock back(layout);
    ASSERT_TRUE(TypeBlock::Read(layout, bytes, back)) << layout.englishName;
    EXPECT_TRUE(back == block) << layout.englishName;
    EXPECT_EQ(back.Version(), layout.version) << layout.englishName;
    EXPECT_EQ(forms::FindTypeBlockLayout(layout.type), &layout);
    EXPECT_EQ(forms::FindTypeBlockLayout(std::string(layout.englishName)), &layout);
  }
}

// Each property index appears once per type, in the block or as run-time only.
TEST(TypeBlock, LayoutsAccountForEachPropertyOnce) {
  for (const forms::TypeBlockLayout& layout : forms::AllTypeBlockLayouts()) {
    std::vector<int> seen(64);
    for (const auto& f : layout.fields) {
      if (f.property != forms::kKeptWord) ++seen.at(f.property);
    }
    for (const auto& p : layout.runTimeOnly) ++seen.at(p.property);
    uint32_t highest = 7;
    for (uint32_t p = 8; p < seen.size(); ++p) {
      EXPECT_LE(seen[p], 1) << layout.englishName << " " << p;
      if (seen[p]) highest = p;
    }
    for (uint32_t p = 8; p <= highest; ++p) EXPECT_EQ(seen[p], 1) << layout.englishName << " " << p;
  }
}

TEST(TypeBlock, RefusesWhatItCannotRead) {
  struct Case {
    const char* what;
    forms::UnitTypeId type;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"window version 7", forms::kTypeWindow, Le().u32(7).zeros(200).b},
      {"version 0", forms::kTypeTimer, Le().words({0, 10}).b},
      {"timer version 2", forms::kTypeTimer, Le().words({2, 10}).b},
      {"period missing", forms::kTypeTimer, Le().u32(1).b},
      {"half a version word", forms::kTypeTimer, {1, 0}},
      {"font of 59 bytes", forms::kTypeButton,
       Le().words({1, 0, 0, 0}).counted("").counted(std::vector<uint8_t>(59, 1)).counted("").b},
      {"buffer longer than the block", forms::kTypePicBox, Le().words({1, 0, 0, 0, 1, 99}).b},
  };
  for (const Case& c : cases) {
    const forms::TypeBlockLayout& layout = *forms::FindTypeBlockLayout(c.type);
    TypeBlock block(layout);
    block.SetWordAt(0, 12345);
    EXPECT_FALSE(TypeBlock::Read(layout, c.bytes, block)) << c.what;
    EXPECT_EQ(block.WordAt(0), 12345u) << c.what;  // left as it was
  }
  EXPECT_EQ(forms::FindTypeBlockLayout(forms::kTypeMenu), nullptr);
}

}  // namespace
