// The timer: a hidden window that raises its event 0 every period while the period is above
// 0. The period is its only property; setting it again to the value it has leaves a running
// timer's rhythm alone.
#pragma once

#include "forms/units/ControlUnit.h"

namespace forms {

inline constexpr uint32_t kTimerPeriod = 8;
// The id of the platform timer behind every timer unit.
inline constexpr UINT_PTR kTimerId = 1000;

class TimerUnit : public ControlUnit {
 public:
  TimerUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties)
      : ControlUnit(windowId, unitId, std::move(properties), {}) {}

  static UnitObject* Create(const UnitCreateArgs& args);
  int32_t SetProperty(uint32_t property, const PropertyValue& value) override;

 protected:
  int32_t Apply(uint32_t) override { return 0; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Start();
  bool running_ = false;
};

void* TimerInterface(int32_t operation);

}  // namespace forms
