// The progress bar: a system progress control showing a position between a minimum and a
// maximum, given in either order. Properties 9 and 10 pick the control's style (vertical,
// smooth) and so re-create it when they change.
#pragma once

#include "forms/units/ControlUnit.h"

namespace forms {

inline constexpr uint32_t kProgressBorder = 8;
inline constexpr uint32_t kProgressVertical = 9;
inline constexpr uint32_t kProgressSmooth = 10;
inline constexpr uint32_t kProgressMin = 11;
inline constexpr uint32_t kProgressMax = 12;
inline constexpr uint32_t kProgressPosition = 13;

class ProgressUnit : public ControlUnit {
 public:
  ProgressUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties)
      : ControlUnit(windowId, unitId, std::move(properties), {}) {}

  static UnitObject* Create(const UnitCreateArgs& args);
  int32_t SetProperty(uint32_t property, const PropertyValue& value) override;

 protected:
  int32_t Apply(uint32_t property) override;
};

void* ProgressInterface(int32_t operation);

}  // namespace forms
