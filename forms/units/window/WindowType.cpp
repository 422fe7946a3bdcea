// The window type and the menu-item type: their descriptors, property tables and the
// window's interface routine.
#include <iterator>

#include "forms/units/CommonProperties.h"
#include "forms/units/UnitTypes.h"
#include "forms/units/window/WindowUnit.h"

namespace forms {

namespace {

constexpr auto kWindowProperties = WithCommonProperties({
    {msg::kCaption, "caption", nullptr, 1005, 0}, {nullptr, "border", nullptr, 1006, 0},
    {nullptr, "BackColor", nullptr, 1017, 0},     {nullptr, "BackPicture", nullptr, 1009, 0},
    {nullptr, "option12", nullptr, 1006, 0},      {nullptr, "music", nullptr, 1012, 0},
    {nullptr, "option14", nullptr, 1006, 0},      {nullptr, "ControlBox", nullptr, 1003, 0},
    {nullptr, "MaxButton", nullptr, 1003, 0},     {nullptr, "MinButton", nullptr, 1003, 0},
    {nullptr, "WindowState", nullptr, 1006, 0},   {nullptr, "switch19", nullptr, 1003, 0},
    {nullptr, "icon", nullptr, 1010, 0},          {nullptr, "EnterMovesFocus", nullptr, 1003, 0},
    {nullptr, "EscCloses", nullptr, 1003, 0},     {nullptr, "F1OpensHelp", nullptr, 1003, 0},
    {nullptr, "HelpFile", nullptr, 1016, 0},      {nullptr, "HelpContext", nullptr, 1001, 0},
    {nullptr, "switch26", nullptr, 1003, 0},      {nullptr, "DragByClient", nullptr, 1003, 0},
    {nullptr, "option28", nullptr, 1006, 0},      {nullptr, "switch29", nullptr, 1003, 0},
    {nullptr, "switch30", nullptr, 1003, 0},      {nullptr, "ClassName", nullptr, 1005, 0},
});
static_assert(kWindowProperties.size() == 32);

WindowUnit* AsWindow(UnitObject* unit) {
  return dynamic_cast<WindowUnit*>(unit);
}

int32_t SetWindowProperty(UnitObject* unit, int32_t index, const PropertyValue& value, uint32_t*) {
  WindowUnit* window = AsWindow(unit);
  if (window == nullptr || index < 0) return 0;
  return window->SetProperty(static_cast<uint32_t>(index) + kFirstTypeProperty, value);
}

int32_t GetWindowProperty(UnitObject* unit, int32_t index, PropertyValue* out) {
  WindowUnit* window = AsWindow(unit);
  if (window == nullptr || index < 0) return 0;
  return window->GetProperty(static_cast<uint32_t>(index) + kFirstTypeProperty, out);
}

bool GetWindowData(UnitObject* unit, std::vector<uint8_t>* block) {
  WindowUnit* window = AsWindow(unit);
  if (window == nullptr) return false;
  *block = window->Properties().Write();
  return true;
}

void ListWindowTexts(UnitObject* unit, TextCallback callback, intptr_t user) {
  WindowUnit* window = AsWindow(unit);
  if (window == nullptr || callback == nullptr) return;
  callback(window->Properties().Text(kWindowCaption).c_str(), user);
}

void* WindowInterface(int32_t operation) {
  switch (operation) {
    case kOpCreate:
      return reinterpret_cast<void*>(&WindowUnit::Create);
    case kOpSetProperty:
      return reinterpret_cast<void*>(&SetWindowProperty);
    case kOpGetAllData:
      return reinterpret_cast<void*>(&GetWindowData);
    case kOpGetProperty:
      return reinterpret_cast<void*>(&GetWindowProperty);
    case kOpListTexts:
      return reinterpret_cast<void*>(&ListWindowTexts);
    default:
      return nullptr;
  }
}

constexpr rt::PropertyEntry kMenuProperties[] = {
    {msg::kCaption, "caption", nullptr, 1005, 0},
    {msg::kChecked, "checked", nullptr, 1003, 0},
    {msg::kDisabled, "disable", nullptr, 1003, 0},
    {msg::kVisible, "visible", nullptr, 1003, 0},
};

const rt::DataTypeDescriptor kWindowType = {
    msg::kWindowTypeName,
    "window",
    nullptr,
    rt::kTypeStateWindowed,
    static_cast<uint32_t>(kWindowProperties.size()),
    kWindowProperties.data(),
    12,
    0,
    &WindowInterface,
};

const rt::DataTypeDescriptor kMenuType = {
    msg::kMenuTypeName,
    "menu",
    nullptr,
    rt::kTypeStateMenu,
    static_cast<uint32_t>(std::size(kMenuProperties)),
    kMenuProperties,
    1,
    0,
    nullptr,
};

}  // namespace

const rt::DataTypeDescriptor* WindowTypeDescriptor() {
  return &kWindowType;
}
const rt::DataTypeDescriptor* MenuTypeDescriptor() {
  return &kMenuType;
}

}  // namespace forms
