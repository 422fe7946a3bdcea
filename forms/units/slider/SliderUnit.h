// The slider bar: a system trackbar whose position the user moves. Its orientation, tick
// placement and automatic ticks are styles of the control, so changing them re-creates it;
// every other property goes to the live control at once. When the user moves the thumb the
// slider stores the control's position and raises its event 0.
#pragma once

#include "forms/units/ControlUnit.h"

namespace forms {

inline constexpr uint32_t kSliderBorder = 8;
inline constexpr uint32_t kSliderVertical = 9;  // 0 horizontal, 1 vertical
inline constexpr uint32_t kSliderTicks = 10;    // 0 below/right, 1 above/left, 2 both, 3 none
inline constexpr uint32_t kSliderTickFrequency = 11;
inline constexpr uint32_t kSliderAutoTicks = 12;  // a tick every tick-frequency steps
inline constexpr uint32_t kSliderSelStart = 13;   // kept with the unit
inline constexpr uint32_t kSliderSelEnd = 14;     // kept with the unit
inline constexpr uint32_t kSliderPageSize = 15;
inline constexpr uint32_t kSliderLineSize = 16;
inline constexpr uint32_t kSliderMin = 17;
inline constexpr uint32_t kSliderMax = 18;
inline constexpr uint32_t kSliderPosition = 19;

class SliderUnit : public ControlUnit {
 public:
  SliderUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties)
      : ControlUnit(windowId, unitId, std::move(properties), {}) {}

  static UnitObject* Create(const UnitCreateArgs& args);
  int32_t SetProperty(uint32_t property, const PropertyValue& value) override;
  int32_t GetProperty(uint32_t property, PropertyValue* out) override;

 protected:
  int32_t Apply(uint32_t property) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

void* SliderInterface(int32_t operation);

}  // namespace forms
