#include "forms/units/progress/ProgressUnit.h"

#include <algorithm>

#include "forms/units/PropertyLimits.h"
#include "forms/units/UnitBorders.h"
#include "platform/commctrl.h"

namespace forms {

namespace {

// What a property holds after a set of `word`.
uint32_t Limited(const TypeBlock& p, uint32_t property, uint64_t word) {
  switch (property) {
    case kProgressBorder:
      return ClampChoice(word, kLastBorder);
    case kProgressVertical:
    case kProgressSmooth:
      return ClampChoice(word, 1);
    case kProgressPosition:
      // Never above the larger end of the range.
      return std::min(ClampToShort(word), std::max(p.Word(kProgressMin), p.Word(kProgressMax)));
    default:
      return ClampToShort(word);
  }
}

}  // namespace

UnitObject* ProgressUnit::Create(const UnitCreateArgs& args) {
  std::optional<TypeBlock> block = ReadCreateBlock(kTypeProcessBar, args.typeBlock);
  if (!block) return nullptr;
  TypeBlock& p = *block;
  // A stored form keeps what it was given; the limits hold from the first moment on.
  for (uint32_t property = kProgressBorder; property <= kProgressPosition; ++property) {
    p.SetWord(property, Limited(p, property, p.Word(property)));
  }
  const BoxBorderStyles border = BorderStyles(p.Word(kProgressBorder));
  DWORD style = border.style;
  if (p.Logical(kProgressVertical)) style |= PBS_VERTICAL;
  if (p.Logical(kProgressSmooth)) style |= PBS_SMOOTH;
  auto* made = static_cast<ProgressUnit*>(
      CreateControlWindow(args, PROGRESS_CLASSA, "", style, border.exStyle,
                          new ProgressUnit(args.windowId, args.unitId, std::move(*block))));
  if (made != nullptr) {
    made->Apply(kProgressMin);
    made->Apply(kProgressPosition);
  }
  return made;
}

int32_t ProgressUnit::SetProperty(uint32_t property, const PropertyValue& value) {
  if (property < kProgressBorder || property > kProgressPosition) return 0;
  PropertyValue limited = value;
  limited.word = Limited(Properties(), property, value.word);
  // The style switches re-create the control, which only a new value is worth.
  const bool style = property == kProgressVertical || property == kProgressSmooth;
  if (style && Properties().Word(property) == limited.word) return 0;
  return ControlUnit::SetProperty(property, limited);
}

int32_t ProgressUnit::Apply(uint32_t property) {
  const TypeBlock& p = Properties();
  switch (property) {
    case kProgressBorder:
      ApplyBorder(Handle(), p.Word(property));
      return 0;
    case kProgressVertical:
    case kProgressSmooth:
      return 1;
    case kProgressMin:
    case kProgressMax: {
      const uint32_t a = p.Word(kProgressMin), b = p.Word(kProgressMax);
      SendMessageA(Handle(), PBM_SETRANGE, 0, MAKELPARAM(std::min(a, b), std::max(a, b)));
      return 0;
    }
    case kProgressPosition:
      SendMessageA(Handle(), PBM_SETPOS, p.Word(kProgressPosition), 0);
      return 0;
    default:
      return 0;
  }
}

void* ProgressInterface(int32_t operation) {
  if (operation == kOpCreate) return reinterpret_cast<void*>(&ProgressUnit::Create);
  return ControlUnitOperation(operation);
}

}  // namespace forms
