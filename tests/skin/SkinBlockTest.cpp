// The skin block format: what is written reads back the same, and a damaged block is
// refused however it is damaged, by the reader and by the library's entry alike.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "skin/SkinFormat.h"

namespace {

using skin::Skin;

Skin Sample() {
  Skin s;
  s.name = "Test \xB2\xE2\xCA\xD4";  // GBK bytes pass through untouched
  for (int i = 0; i < 31; ++i) s.palette.push_back(RGB(i, 2 * i, 255 - i));
  s.metrics = {6, 7, 3, 5, 24, 18, 21, 30, 16};
  for (int i = 0; i < skin::kStyleColorCount; ++i) s.style.colors[i] = RGB(10 * i, 255 - i, i);
  s.style.captionFill = skin::CaptionFill::Glossy;
  s.style.buttonFill = skin::ButtonFill::Flat;
  s.style.captionButtons = skin::CaptionButtons::Round;
  s.style.captionAlign = skin::CaptionAlign::Centre;
  s.style.corner = 5;
  return s;
}

// Byte offsets inside the sample's block, found by tag so the cases below do not hang on
// the order the writer happens to use.
size_t BodyOf(const std::vector<uint8_t>& block, const char* tag) {
  for (size_t at = 16; at + 8 <= block.size();) {
    size_t size = block[at + 4] | block[at + 5] << 8 | block[at + 6] << 16 | block[at + 7] << 24;
    if (std::memcmp(&block[at], tag, 4) == 0) return at + 8;
    at += 8 + size;
  }
  ADD_FAILURE() << "no section " << tag;
  return 0;
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(SkinBlock, ReadsBackWhatWasWritten) {
  const Skin s = Sample();
  const std::vector<uint8_t> block = skin::EncodeSkin(s);
  auto back = skin::DecodeSkin(block.data(), block.size());
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->name, s.name);
  EXPECT_EQ(back->palette, s.palette);
  EXPECT_EQ(0, std::memcmp(&back->metrics, &s.metrics, sizeof s.metrics));
  EXPECT_EQ(0, std::memcmp(back->style.colors, s.style.colors, sizeof s.style.colors));
  EXPECT_EQ(back->style.captionFill, s.style.captionFill);
  EXPECT_EQ(back->style.buttonFill, s.style.buttonFill);
  EXPECT_EQ(back->style.captionButtons, s.style.captionButtons);
  EXPECT_EQ(back->style.captionAlign, s.style.captionAlign);
  EXPECT_EQ(back->style.corner, s.style.corner);

  // A section this reader does not know is passed over, wherever it sits.
  std::vector<uint8_t> longer(block.begin(), block.begin() + 16);
  const char extra[] = "XTRA\x03\0\0\0abc";
  longer.insert(longer.end(), extra, extra + 11);
  longer.insert(longer.end(), block.begin() + 16, block.end());
  longer[6] = 5;
  Put32(longer, 8, static_cast<uint32_t>(longer.size()));
  ASSERT_TRUE(skin::SealSkin(longer.data(), longer.size()));
  EXPECT_TRUE(skin::DecodeSkin(longer.data(), longer.size()).has_value());

  // A block made before the bars had inks of their own writes its bars with the text inks.
  std::vector<uint8_t> older = block;
  const size_t style = BodyOf(older, "STYL");
  const size_t barInks = style + 4 + 4 * skin::kOlderStyleColorCount;
  older.erase(older.begin() + static_cast<long>(barInks),
              older.begin() + static_cast<long>(barInks) + 8);
  Put32(older, style, skin::kOlderStyleColorCount);
  Put32(older, style - 4, 4 + 4 * skin::kOlderStyleColorCount + 5);
  Put32(older, 8, static_cast<uint32_t>(older.size()));
  ASSERT_TRUE(skin::SealSkin(older.data(), older.size()));
  auto old = skin::DecodeSkin(older.data(), older.size());
  ASSERT_TRUE(old.has_value());
  EXPECT_EQ(old->style[skin::kBarInk], s.style[skin::kInk]);
  EXPECT_EQ(old->style[skin::kBarDimInk], s.style[skin::kDimInk]);
  EXPECT_EQ(old->style.corner, s.style.corner);
}

TEST(SkinBlock, RefusesEveryKindOfDamage) {
  const std::vector<uint8_t> good = skin::EncodeSkin(Sample());
  // Each case spoils a copy of the good block; `reseal` gives it a correct checksum again so
  // that the rule behind the checksum is what is tested.
  struct Case {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> spoil;
    bool reseal;
  };
  const Case cases[] = {
      {"empty", [](auto& b) { b.clear(); }, false},
      {"header cut short", [](auto& b) { b.resize(12); }, false},
      {"wrong magic", [](auto& b) { b[0] = 'X'; }, true},
      {"later version", [](auto& b) { b[4] = 2; }, true},
      {"one byte missing", [](auto& b) { b.pop_back(); }, false},
      {"length field too long", [&](auto& b) { Put32(b, 8, static_cast<uint32_t>(b.size() + 1)); },
       true},
      {"a flipped bit", [](auto& b) { b[b.size() / 2] ^= 0x10; }, false},
      {"trailing bytes",
       [&](auto& b) { b.push_back(0), Put32(b, 8, static_cast<uint32_t>(b.size())); }, true},
      {"more sections than present", [](auto& b) { b[6] = 9; }, true},
      {"a section longer than the block",
       [&](auto& b) { Put32(b, BodyOf(b, "STYL") - 4, 0x7FFFFFF0u); }, true},
      {"section count zero", [](auto& b) { b[6] = 0; }, true},
      {"metrics missing", [&](auto& b) { std::memcpy(&b[BodyOf(b, "METR") - 8], "MXTR", 4); },
       true},
      {"a section twice",
       [&](auto& b) {
         const size_t name = BodyOf(b, "NAME") - 8, size = b[name + 4];
         std::vector<uint8_t> copy(b.begin() + name, b.begin() + name + 8 + size);
         b.insert(b.end(), copy.begin(), copy.end());
         b[6] = 5;
         Put32(b, 8, static_cast<uint32_t>(b.size()));
       },
       true},
      {"palette count over 31", [&](auto& b) { Put32(b, BodyOf(b, "PALT"), 32); }, true},
      {"palette count short of its body", [&](auto& b) { Put32(b, BodyOf(b, "PALT"), 30); }, true},
      {"palette count zero", [&](auto& b) { Put32(b, BodyOf(b, "PALT"), 0); }, true},
      {"palette colour with a top byte", [&](auto& b) { b[BodyOf(b, "PALT") + 7] = 1; }, true},
      {"caption height not 24", [&](auto& b) { Put32(b, BodyOf(b, "METR") + 16, 30); }, true},
      {"fixed border not 6", [&](auto& b) { Put32(b, BodyOf(b, "METR"), 4); }, true},
      {"scroll bar too thin", [&](auto& b) { Put32(b, BodyOf(b, "METR") + 32, 2); }, true},
      {"negative menu bar", [&](auto& b) { Put32(b, BodyOf(b, "METR") + 24, 0xFFFFFFF0u); }, true},
      {"style colour count wrong", [&](auto& b) { Put32(b, BodyOf(b, "STYL"), 24); }, true},
      {"unknown caption fill",
       [&](auto& b) { b[BodyOf(b, "STYL") + 4 + 4 * skin::kStyleColorCount] = 4; }, true},
      {"corner too large",
       [&](auto& b) { b[BodyOf(b, "STYL") + 4 + 4 * skin::kStyleColorCount + 4] = 7; }, true},
      {"name with a NUL", [&](auto& b) { b[BodyOf(b, "NAME")] = 0; }, true},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> block = good;
    c.spoil(block);
    if (c.reseal) skin::SealSkin(block.data(), block.size());
    EXPECT_FALSE(skin::DecodeSkin(block.data(), block.size()).has_value()) << c.what;
  }
  EXPECT_FALSE(skin::DecodeSkin(nullptr, 100).has_value());
}

}  // namespace
