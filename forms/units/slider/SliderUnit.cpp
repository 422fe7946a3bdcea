#include "forms/units/slider/SliderUnit.h"

#include <algorithm>

#include "forms/units/PropertyLimits.h"
#include "forms/units/UnitBorders.h"
#include "platform/commctrl.h"

namespace forms {

namespace {

constexpr uint32_t kLastTicks = 3;

DWORD StyleFor(const TypeBlock& p) {
  DWORD style = BorderStyles(p.Word(kSliderBorder)).style;
  if (p.Logical(kSliderVertical)) style |= TBS_VERT;
  constexpr DWORD kTicks[] = {TBS_BOTTOM, TBS_TOP, TBS_BOTH, TBS_NOTICKS};
  style |= kTicks[ClampChoice(p.Word(kSliderTicks), kLastTicks)];
  if (p.Logical(kSliderAutoTicks)) style |= TBS_AUTOTICKS;
  return style;
}

// What a property holds after a set of `word`; the limits hold for stored forms too.
uint32_t Limited(uint32_t property, uint64_t word) {
  switch (property) {
    case kSliderBorder:
      return ClampChoice(word, kLastBorder);
    case kSliderVertical:
    case kSliderAutoTicks:
      return static_cast<uint32_t>(word) != 0 ? 1 : 0;
    case kSliderTicks:
      return ClampChoice(word, kLastTicks);
    case kSliderPageSize:
    case kSliderLineSize:
      return static_cast<uint32_t>(word);
    default:
      return ClampToShort(word);
  }
}

bool RecreatesControl(uint32_t property) {
  return property == kSliderVertical || property == kSliderTicks || property == kSliderAutoTicks;
}

}  // namespace

UnitObject* SliderUnit::Create(const UnitCreateArgs& args) {
  std::optional<TypeBlock> block = ReadCreateBlock(kTypeSliderBar, args.typeBlock);
  if (!block) return nullptr;
  for (uint32_t property = kSliderBorder; property <= kSliderPosition; ++property) {
    block->SetWord(property, Limited(property, block->Word(property)));
  }
  const DWORD style = StyleFor(*block);
  const DWORD exStyle = BorderStyles(block->Word(kSliderBorder)).exStyle;
  auto* made = static_cast<SliderUnit*>(
      CreateControlWindow(args, TRACKBAR_CLASSA, "", style, exStyle,
                          new SliderUnit(args.windowId, args.unitId, std::move(*block))));
  if (made != nullptr) {
    for (uint32_t property :
         {kSliderMin, kSliderTickFrequency, kSliderPageSize, kSliderLineSize, kSliderPosition}) {
      made->Apply(property);
    }
  }
  return made;
}

int32_t SliderUnit::SetProperty(uint32_t property, const PropertyValue& value) {
  if (property < kSliderBorder || property > kSliderPosition) return 0;
  PropertyValue limited = value;
  limited.word = Limited(property, value.word);
  if (RecreatesControl(property) && Properties().Word(property) == limited.word) return 0;
  return ControlUnit::SetProperty(property, limited);
}

int32_t SliderUnit::Apply(uint32_t property) {
  const TypeBlock& p = Properties();
  if (RecreatesControl(property)) return 1;
  switch (property) {
    case kSliderBorder:
      ApplyBorder(Handle(), p.Word(property));
      break;
    case kSliderTickFrequency:
      SendMessageA(Handle(), TBM_SETTICFREQ, std::max<uint32_t>(1, p.Word(property)), 0);
      break;
    case kSliderPageSize:
      SendMessageA(Handle(), TBM_SETPAGESIZE, 0, p.Int(property));
      break;
    case kSliderLineSize:
      SendMessageA(Handle(), TBM_SETLINESIZE, 0, std::max<int32_t>(1, p.Int(property)));
      break;
    case kSliderMin:
    case kSliderMax: {
      const uint32_t a = p.Word(kSliderMin), b = p.Word(kSliderMax);
      SendMessageA(Handle(), TBM_SETRANGE, TRUE, MAKELPARAM(std::min(a, b), std::max(a, b)));
      break;
    }
    case kSliderPosition:
      SendMessageA(Handle(), TBM_SETPOS, TRUE, p.Int(property));
      break;
    default:
      break;
  }
  return 0;
}

int32_t SliderUnit::GetProperty(uint32_t property, PropertyValue* out) {
  // The user may have moved the thumb since the last notification reached us.
  if (property == kSliderPosition) {
    Properties().SetWord(property, static_cast<uint32_t>(SendMessageA(Handle(), TBM_GETPOS, 0, 0)));
  }
  return ControlUnit::GetProperty(property, out);
}

LRESULT SliderUnit::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kReflectedBase + WM_HSCROLL || message == kReflectedBase + WM_VSCROLL) {
    // The end of a drag or of a key press only closes what the earlier codes already said.
    if (LOWORD(wParam) == TB_ENDTRACK) return 0;
    const auto pos = static_cast<uint32_t>(SendMessageA(Handle(), TBM_GETPOS, 0, 0));
    Properties().SetWord(kSliderPosition, pos);
    RaiseEvent(0);
    return 0;
  }
  return ControlUnit::HandleMessage(message, wParam, lParam);
}

void* SliderInterface(int32_t operation) {
  if (operation == kOpCreate) return reinterpret_cast<void*>(&SliderUnit::Create);
  return ControlUnitOperation(operation);
}

}  // namespace forms
