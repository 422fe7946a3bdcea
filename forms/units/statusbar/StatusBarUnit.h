// The status bar: a system status bar split into parts, each with a text. The part list and
// the texts are the unit's own two data properties:
//   12  one 32-bit little-endian width in pixels per part, left to right; a width of 0 or
//       less makes that part reach the right edge and ends the list;
//   13  the texts of the parts, each zero-terminated GBK, in part order.
// With no parts the bar has one part across its whole width. Property 9 picks how the parts
// are drawn (0 sunken, 1 without borders, 2 raised), 10 gives the bar a size grip (a style,
// so it re-creates the control), 11 is its font and 8 its back colour.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "forms/units/ControlUnit.h"

namespace forms {

inline constexpr uint32_t kStatusBackColor = 8;
inline constexpr uint32_t kStatusPartLook = 9;
inline constexpr uint32_t kStatusSizeGrip = 10;
inline constexpr uint32_t kStatusFont = 11;
inline constexpr uint32_t kStatusParts = 12;
inline constexpr uint32_t kStatusTexts = 13;

// More parts than the control can show are dropped.
inline constexpr size_t kMaxStatusParts = 256;

// The two data properties as values and back.
std::vector<int32_t> ParsePartWidths(std::span<const uint8_t> data);
std::vector<std::string> ParsePartTexts(std::span<const uint8_t> data);
std::vector<uint8_t> PartWidthsData(const std::vector<int32_t>& widths);
std::vector<uint8_t> PartTextsData(const std::vector<std::string>& texts);

class StatusBarUnit : public ControlUnit {
 public:
  StatusBarUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties);

  static UnitObject* Create(const UnitCreateArgs& args);
  int32_t SetProperty(uint32_t property, const PropertyValue& value) override;
  // The part texts, then the font's face name.
  void ListTexts(TextCallback callback, intptr_t user) override;

  size_t PartCount() const;
  // False for a part the bar does not have.
  bool SetPartText(int32_t part, std::string_view text);

 protected:
  int32_t Apply(uint32_t property) override;

 private:
  void ApplyParts();
  void ApplyTexts();

  std::vector<int32_t> widths_;
  std::vector<std::string> texts_;
};

void* StatusBarInterface(int32_t operation);

}  // namespace forms
