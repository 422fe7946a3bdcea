// The horizontal and vertical scroll bars: system scroll bar controls over a range given in
// either order. The bar keeps its own position: a step from the user (an arrow, the track,
// the thumb, a key) moves it by the line or page change, within the range, and raises event 0
// when it actually moved; the handler reads the position back from property 12.
#pragma once

#include "forms/units/ControlUnit.h"

namespace forms {

inline constexpr uint32_t kScrollMin = 8;
inline constexpr uint32_t kScrollMax = 9;
inline constexpr uint32_t kScrollPageChange = 10;
inline constexpr uint32_t kScrollLineChange = 11;
inline constexpr uint32_t kScrollPosition = 12;
inline constexpr uint32_t kScrollSwitch = 13;  // kept with the unit

class ScrollBarUnit : public ControlUnit {
 public:
  ScrollBarUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties)
      : ControlUnit(windowId, unitId, std::move(properties), {}) {}

  static UnitObject* CreateHorizontal(const UnitCreateArgs& args);
  static UnitObject* CreateVertical(const UnitCreateArgs& args);
  int32_t SetProperty(uint32_t property, const PropertyValue& value) override;

 protected:
  int32_t Apply(uint32_t property) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  static UnitObject* Create(const UnitCreateArgs& args, UnitTypeId type, DWORD style);
  void OnScroll(int code);
};

void* HScrollBarInterface(int32_t operation);
void* VScrollBarInterface(int32_t operation);

}  // namespace forms
