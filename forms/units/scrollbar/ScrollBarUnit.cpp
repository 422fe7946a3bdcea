#include "forms/units/scrollbar/ScrollBarUnit.h"

#include <algorithm>

namespace forms {

namespace {

constexpr int32_t kMaxChange = 32767;

int32_t ChangeLimited(uint64_t word) {
  const auto v = static_cast<int32_t>(static_cast<uint32_t>(word));
  return std::clamp(v, 1, kMaxChange);
}

struct Range {
  int32_t low;
  int32_t high;
};

Range RangeOf(const TypeBlock& p) {
  const int32_t a = p.Int(kScrollMin), b = p.Int(kScrollMax);
  return {std::min(a, b), std::max(a, b)};
}

}  // namespace

UnitObject* ScrollBarUnit::CreateHorizontal(const UnitCreateArgs& args) {
  return Create(args, kTypeHScrollBar, SBS_HORZ);
}

UnitObject* ScrollBarUnit::CreateVertical(const UnitCreateArgs& args) {
  return Create(args, kTypeVScrollBar, SBS_VERT);
}

UnitObject* ScrollBarUnit::Create(const UnitCreateArgs& args, UnitTypeId type, DWORD style) {
  std::optional<TypeBlock> block = ReadCreateBlock(type, args.typeBlock);
  if (!block) return nullptr;
  TypeBlock& p = *block;
  for (uint32_t change : {kScrollPageChange, kScrollLineChange}) {
    p.SetWord(change, static_cast<uint32_t>(ChangeLimited(p.Word(change))));
  }
  p.SetWord(kScrollPosition,
            static_cast<uint32_t>(std::min(p.Int(kScrollPosition), RangeOf(p).high)));
  auto* made = static_cast<ScrollBarUnit*>(
      CreateControlWindow(args, "SCROLLBAR", "", style, 0,
                          new ScrollBarUnit(args.windowId, args.unitId, std::move(*block))));
  if (made != nullptr) {
    made->Apply(kScrollMin);
    made->Apply(kScrollPosition);
  }
  return made;
}

int32_t ScrollBarUnit::SetProperty(uint32_t property, const PropertyValue& value) {
  PropertyValue limited = value;
  const auto word = static_cast<int32_t>(static_cast<uint32_t>(value.word));
  switch (property) {
    case kScrollPageChange:
    case kScrollLineChange:
      limited.word = static_cast<uint32_t>(ChangeLimited(value.word));
      break;
    case kScrollPosition:
      limited.word = static_cast<uint32_t>(std::min(word, RangeOf(Properties()).high));
      break;
    case kScrollSwitch:
      limited.word = word != 0 ? 1 : 0;
      break;
    default:
      break;
  }
  return ControlUnit::SetProperty(property, limited);
}

int32_t ScrollBarUnit::Apply(uint32_t property) {
  switch (property) {
    case kScrollMin:
    case kScrollMax: {
      const Range r = RangeOf(Properties());
      SetScrollRange(Handle(), SB_CTL, r.low, r.high, TRUE);
      break;
    }
    case kScrollPosition:
      SetScrollPos(Handle(), SB_CTL, Properties().Int(kScrollPosition), TRUE);
      break;
    default:
      break;
  }
  return 0;
}

void ScrollBarUnit::OnScroll(int code) {
  const TypeBlock& p = Properties();
  const Range r = RangeOf(p);
  const int64_t now = p.Int(kScrollPosition);
  int64_t next = now;
  switch (code) {
    case SB_LINEUP:
      next = now - p.Int(kScrollLineChange);
      break;
    case SB_LINEDOWN:
      next = now + p.Int(kScrollLineChange);
      break;
    case SB_PAGEUP:
      next = now - p.Int(kScrollPageChange);
      break;
    case SB_PAGEDOWN:
      next = now + p.Int(kScrollPageChange);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      // The message carries only 16 bits of the position; the bar knows all of it.
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      if (!GetScrollInfo(Handle(), SB_CTL, &info)) return;
      next = info.nTrackPos;
      break;
    }
    case SB_TOP:
      next = r.low;
      break;
    case SB_BOTTOM:
      next = r.high;
      break;
    default:
      return;
  }
  next = std::clamp<int64_t>(next, r.low, r.high);
  if (next == now) return;
  Properties().SetWord(kScrollPosition, static_cast<uint32_t>(next));
  Apply(kScrollPosition);
  RaiseEvent(0);
}

LRESULT ScrollBarUnit::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kReflectedBase + WM_HSCROLL || message == kReflectedBase + WM_VSCROLL) {
    OnScroll(LOWORD(wParam));
    return 0;
  }
  return ControlUnit::HandleMessage(message, wParam, lParam);
}

void* HScrollBarInterface(int32_t operation) {
  if (operation == kOpCreate) return reinterpret_cast<void*>(&ScrollBarUnit::CreateHorizontal);
  return ControlUnitOperation(operation);
}

void* VScrollBarInterface(int32_t operation) {
  if (operation == kOpCreate) return reinterpret_cast<void*>(&ScrollBarUnit::CreateVertical);
  return ControlUnitOperation(operation);
}

}  // namespace forms
