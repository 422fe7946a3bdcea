#include "forms/units/ControlUnit.h"

#include <cstring>

#include "forms/units/CommonProperties.h"

namespace forms {

ControlUnit::ControlUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties,
                         ControlTraits traits)
    : UnitObject(windowId, unitId), properties_(std::move(properties)), traits_(traits) {
  RefreshFont();
}

ControlUnit::~ControlUnit() {
  if (font_ != nullptr) DeleteObject(font_);
  if (brush_ != nullptr) DeleteObject(brush_);
}

LRESULT ControlUnit::ControlColors(HDC dc, COLORREF text, COLORREF back) {
  SetTextColor(dc, text);
  SetBkColor(dc, back);
  if (brush_ == nullptr || brushColor_ != back) {
    if (brush_ != nullptr) DeleteObject(brush_);
    brush_ = CreateSolidBrush(back);
    brushColor_ = back;
  }
  return reinterpret_cast<LRESULT>(brush_);
}

int32_t ControlUnit::SetProperty(uint32_t property, const PropertyValue& value) {
  if (!StoreBlockProperty(properties_, property, value)) {
    SetRunTimeProperty(property, value);
    return 0;
  }
  if (property == traits_.font && traits_.font != 0) RefreshFont();
  return Apply(property);
}

int32_t ControlUnit::GetProperty(uint32_t property, PropertyValue* out) {
  return ReadBlockProperty(properties_, property, out, keeper_) ? 1 : 0;
}

int32_t ControlUnit::ReturnText(std::string text, PropertyValue* out) {
  keeper_.text = std::move(text);
  out->data = keeper_.text.c_str();
  out->size = static_cast<uint32_t>(keeper_.text.size());
  return 1;
}

std::vector<uint8_t> ControlUnit::CurrentBlock() {
  return properties_.Write();
}

void ControlUnit::ListTexts(TextCallback callback, intptr_t user) {
  if (callback == nullptr) return;
  if (traits_.caption != 0) callback(Caption().c_str(), user);
  if (traits_.font == 0) return;
  std::span<const uint8_t> font = properties_.Data(traits_.font);
  if (font.size() != sizeof(LOGFONTA)) return;
  LOGFONTA lf;
  std::memcpy(&lf, font.data(), sizeof lf);
  lf.lfFaceName[LF_FACESIZE - 1] = '\0';
  callback(lf.lfFaceName, user);
}

HFONT ControlUnit::Font() {
  return font_ != nullptr ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void ControlUnit::RefreshFont() {
  if (font_ != nullptr) DeleteObject(font_);
  font_ = nullptr;
  if (traits_.font == 0) return;
  std::span<const uint8_t> bytes = properties_.Data(traits_.font);
  if (bytes.size() != sizeof(LOGFONTA)) return;
  LOGFONTA lf;
  std::memcpy(&lf, bytes.data(), sizeof lf);
  lf.lfFaceName[LF_FACESIZE - 1] = '\0';
  font_ = CreateFontIndirectA(&lf);
}

std::optional<TypeBlock> ReadCreateBlock(UnitTypeId type, std::span<const uint8_t> bytes) {
  const TypeBlockLayout* layout = FindTypeBlockLayout(type);
  if (layout == nullptr) return std::nullopt;
  TypeBlock block(*layout);
  if (!bytes.empty() && !TypeBlock::Read(*layout, bytes, block)) return std::nullopt;
  return block;
}

UnitObject* CreateControlWindow(const UnitCreateArgs& args, const char* className, const char* text,
                                DWORD style, DWORD exStyle, ControlUnit* unit) {
  const DWORD fromRecord = args.style & (WS_DISABLED | WS_TABSTOP);
  HWND window = CreateWindowExA(
      exStyle, className, text, WS_CHILD | WS_CLIPSIBLINGS | fromRecord | style, args.left,
      args.top, args.width, args.height, args.parent,
      reinterpret_cast<HMENU>(static_cast<uintptr_t>(args.controlId)), nullptr, nullptr);
  if (window == nullptr || !unit->Attach(window)) {
    delete unit;
    if (window != nullptr) DestroyWindow(window);
    return nullptr;
  }
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(unit->Font()), FALSE);
  return unit;
}

bool EnsureUnitClass(const char* className) {
  WNDCLASSA existing{};
  if (GetClassInfoA(nullptr, className, &existing)) return true;
  WNDCLASSA c{};
  c.style = CS_DBLCLKS;
  c.lpfnWndProc = DefWindowProcA;
  c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  c.lpszClassName = className;
  return RegisterClassA(&c) != 0;
}

COLORREF ResolveColor(uint32_t value, int systemColor) {
  return value == kSystemDefaultColor ? GetSysColor(systemColor) : (value & 0x00FFFFFF);
}

namespace {

ControlUnit* AsControl(UnitObject* unit) {
  return dynamic_cast<ControlUnit*>(unit);
}

int32_t SetShared(UnitObject* unit, int32_t index, const PropertyValue& value, uint32_t*) {
  ControlUnit* control = AsControl(unit);
  if (control == nullptr || index < 0) return 0;
  return control->SetProperty(static_cast<uint32_t>(index) + kFirstTypeProperty, value);
}

int32_t GetShared(UnitObject* unit, int32_t index, PropertyValue* out) {
  ControlUnit* control = AsControl(unit);
  if (control == nullptr || index < 0) return 0;
  return control->GetProperty(static_cast<uint32_t>(index) + kFirstTypeProperty, out);
}

bool GetAllShared(UnitObject* unit, std::vector<uint8_t>* block) {
  ControlUnit* control = AsControl(unit);
  if (control == nullptr) return false;
  *block = control->CurrentBlock();
  return true;
}

void ListTextsShared(UnitObject* unit, TextCallback callback, intptr_t user) {
  if (ControlUnit* control = AsControl(unit)) control->ListTexts(callback, user);
}

int32_t IsDefaultShared(UnitObject* unit) {
  ControlUnit* control = AsControl(unit);
  return control != nullptr && control->IsDefaultButton() ? 1 : 0;
}

}  // namespace

void* ControlUnitOperation(int32_t operation) {
  switch (operation) {
    case kOpSetProperty:
      return reinterpret_cast<void*>(&SetShared);
    case kOpGetAllData:
      return reinterpret_cast<void*>(&GetAllShared);
    case kOpGetProperty:
      return reinterpret_cast<void*>(&GetShared);
    case kOpListTexts:
      return reinterpret_cast<void*>(&ListTextsShared);
    case kOpIsDefaultButton:
      return reinterpret_cast<void*>(&IsDefaultShared);
    default:
      return nullptr;
  }
}

}  // namespace forms
