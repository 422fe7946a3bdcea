#include "forms/units/timer/TimerUnit.h"

namespace forms {

namespace {

constexpr char kTimerClass[] = "VelmoraTimerUnit";

}  // namespace

UnitObject* TimerUnit::Create(const UnitCreateArgs& args) {
  std::optional<TypeBlock> block = ReadCreateBlock(kTypeTimer, args.typeBlock);
  if (!block || !EnsureUnitClass(kTimerClass)) return nullptr;
  auto* timer = static_cast<TimerUnit*>(CreateControlWindow(
      args, kTimerClass, "", 0, 0, new TimerUnit(args.windowId, args.unitId, std::move(*block))));
  // The window exists now, which is when a timer with a period starts.
  if (timer != nullptr) timer->Start();
  return timer;
}

void TimerUnit::Start() {
  const int32_t period = Properties().Int(kTimerPeriod);
  running_ = period > 0 && SetTimer(Handle(), kTimerId, static_cast<UINT>(period), nullptr) != 0;
}

int32_t TimerUnit::SetProperty(uint32_t property, const PropertyValue& value) {
  if (property != kTimerPeriod) return ControlUnit::SetProperty(property, value);
  const auto asked = static_cast<int32_t>(static_cast<uint32_t>(value.word));
  const auto period = static_cast<uint32_t>(asked < 0 ? 0 : asked);
  if (Properties().Word(kTimerPeriod) == period) return 0;
  Properties().SetWord(kTimerPeriod, period);
  if (running_) KillTimer(Handle(), kTimerId);
  Start();
  return 0;
}

LRESULT TimerUnit::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kTimerId) {
    LRESULT r = ControlUnit::HandleMessage(message, wParam, lParam);
    RaiseEvent(0);
    return r;
  }
  return ControlUnit::HandleMessage(message, wParam, lParam);
}

void* TimerInterface(int32_t operation) {
  if (operation == kOpCreate) return reinterpret_cast<void*>(&TimerUnit::Create);
  return ControlUnitOperation(operation);
}

}  // namespace forms
