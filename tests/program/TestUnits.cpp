#include "tests/program/TestUnits.h"

#include <iterator>
#include <string>

#include "forms/data/TypeBlock.h"
#include "forms/data/UnitId.h"
#include "forms/units/CommonProperties.h"
#include "forms/units/UnitInterface.h"
#include "forms/units/UnitObject.h"
#include "forms/units/UnitTypes.h"

namespace testprogram {

namespace {

constexpr uint32_t kKind = 9;
constexpr uint32_t kCaption = 10;

class TestButtonUnit : public forms::UnitObject {
 public:
  TestButtonUnit(uint32_t windowId, uint32_t unitId, bool isDefault, std::string caption)
      : UnitObject(windowId, unitId), isDefault_(isDefault), caption_(std::move(caption)) {}

  bool IsDefault() const { return isDefault_; }
  const std::string& Caption() const { return caption_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == forms::kReflectedBase + WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
      RaiseEvent(0);
      return 0;
    }
    return UnitObject::HandleMessage(message, wParam, lParam);
  }

 private:
  bool isDefault_;
  std::string caption_;
};

// Makes the control window of a unit and hands it to the unit object; null (and nothing
// left behind) when either step fails.
forms::UnitObject* MakeControl(const forms::UnitCreateArgs& args, const char* className,
                               const char* text, DWORD style, forms::UnitObject* unit) {
  HWND window = CreateWindowExA(0, className, text, args.style | WS_CHILD | WS_CLIPSIBLINGS | style,
                                args.left, args.top, args.width, args.height, args.parent,
                                reinterpret_cast<HMENU>(static_cast<uintptr_t>(args.controlId)),
                                nullptr, nullptr);
  if (window != nullptr && unit->Attach(window)) return unit;
  delete unit;
  if (window != nullptr) DestroyWindow(window);
  return nullptr;
}

forms::UnitObject* Create(const forms::UnitCreateArgs& args) {
  const forms::TypeBlockLayout* layout = forms::FindTypeBlockLayout(forms::kTypeButton);
  if (layout == nullptr) return nullptr;
  forms::TypeBlock block(*layout);
  if (!args.typeBlock.empty() && !forms::TypeBlock::Read(*layout, args.typeBlock, block)) {
    return nullptr;
  }
  const bool isDefault = block.Word(kKind) == 1;
  const std::string caption = block.Text(kCaption);
  return MakeControl(args, "BUTTON", caption.c_str(), isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
                     new TestButtonUnit(args.windowId, args.unitId, isDefault, caption));
}

int32_t IsDefaultButton(forms::UnitObject* unit) {
  auto* button = dynamic_cast<TestButtonUnit*>(unit);
  return button != nullptr && button->IsDefault() ? 1 : 0;
}

void ListTexts(forms::UnitObject* unit, forms::TextCallback callback, intptr_t user) {
  auto* button = dynamic_cast<TestButtonUnit*>(unit);
  if (button != nullptr && callback != nullptr) callback(button->Caption().c_str(), user);
}

void* Interface(int32_t operation) {
  switch (operation) {
    case forms::kOpCreate:
      return reinterpret_cast<void*>(&Create);
    case forms::kOpListTexts:
      return reinterpret_cast<void*>(&ListTexts);
    case forms::kOpIsDefaultButton:
      return reinterpret_cast<void*>(&IsDefaultButton);
    default:
      return nullptr;
  }
}

class TestEditUnit : public forms::UnitObject {
 public:
  using UnitObject::UnitObject;
};

forms::UnitObject* CreateEdit(const forms::UnitCreateArgs& args) {
  return MakeControl(args, "EDIT", "", WS_BORDER | ES_AUTOHSCROLL,
                     new TestEditUnit(args.windowId, args.unitId));
}

void* EditInterface(int32_t operation) {
  return operation == forms::kOpCreate ? reinterpret_cast<void*>(&CreateEdit) : nullptr;
}

// The common property entries name their texts from the engine's message table.
namespace msg = forms::msg;

constexpr rt::PropertyEntry kEditProperties[] = {
    VELMORA_COMMON_UNIT_PROPERTIES,
    {nullptr, "content", nullptr, 1005, 0},
};

const rt::DataTypeDescriptor kEditType = {
    "test edit",
    "EditBox",
    nullptr,
    rt::kTypeStateWindowed,
    static_cast<uint32_t>(std::size(kEditProperties)),
    kEditProperties,
    1,
    0,
    &EditInterface,
};

constexpr rt::PropertyEntry kProperties[] = {
    VELMORA_COMMON_UNIT_PROPERTIES,        {nullptr, "picture", nullptr, 1009, 0},
    {nullptr, "kind", nullptr, 1006, 0},   {nullptr, "caption", nullptr, 1005, 0},
    {nullptr, "hAlign", nullptr, 1006, 0}, {nullptr, "vAlign", nullptr, 1006, 0},
    {nullptr, "font", nullptr, 1013, 0},
};

const rt::DataTypeDescriptor kButtonType = {
    "test button",
    "Button",
    nullptr,
    rt::kTypeStateWindowed,
    static_cast<uint32_t>(std::size(kProperties)),
    kProperties,
    1,
    0,
    &Interface,
};

}  // namespace

const rt::DataTypeDescriptor* TestButtonType() {
  return &kButtonType;
}

const rt::DataTypeDescriptor* TestEditType() {
  return &kEditType;
}

void RegisterTestUnits() {
  forms::RegisterUnitType(forms::kTypeButton, &kButtonType);
  forms::RegisterUnitType(forms::kTypeEditBox, &kEditType);
}

}  // namespace testprogram
