#include "forms/units/groupbox/GroupBoxUnit.h"

namespace forms {

namespace {

class GroupBoxUnit : public ControlUnit {
 public:
  GroupBoxUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties)
      : ControlUnit(windowId, unitId, std::move(properties), {kGroupBoxCaption, kGroupBoxFont}) {}

 protected:
  int32_t Apply(uint32_t property) override {
    HWND h = Handle();
    if (property == kGroupBoxCaption) {
      SetWindowTextA(h, Properties().Text(kGroupBoxCaption).c_str());
    } else if (property == kGroupBoxFont) {
      SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    }
    InvalidateRect(h, nullptr, TRUE);
    return 0;
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_NCHITTEST: {
        LRESULT hit = Default(message, wParam, lParam);
        return hit == HTTRANSPARENT ? HTCLIENT : hit;
      }
      case kReflectedBase + WM_CTLCOLORSTATIC:
        return ControlColors(reinterpret_cast<HDC>(wParam),
                             Properties().Word(kGroupBoxTextColor) & 0x00FFFFFF,
                             ResolveColor(Properties().Word(kGroupBoxBackColor), COLOR_BTNFACE));
      default:
        return UnitObject::HandleMessage(message, wParam, lParam);
    }
  }
};

UnitObject* CreateGroupBox(const UnitCreateArgs& args) {
  std::optional<TypeBlock> block = ReadCreateBlock(kTypeGroupBox, args.typeBlock);
  if (!block) return nullptr;
  auto* unit = new GroupBoxUnit(args.windowId, args.unitId, std::move(*block));
  const std::string caption = unit->Properties().Text(kGroupBoxCaption);
  // The units it frames are its children; it must not paint over them.
  return CreateControlWindow(args, "BUTTON", caption.c_str(), BS_GROUPBOX | WS_CLIPCHILDREN, 0,
                             unit);
}

}  // namespace

void* GroupBoxInterface(int32_t operation) {
  if (operation == kOpCreate) return reinterpret_cast<void*>(&CreateGroupBox);
  return ControlUnitOperation(operation);
}

}  // namespace forms
