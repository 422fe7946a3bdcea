// The units whose properties are their type block (every standard unit but the window): the
// block holds the current values, a set stores the value and then lets the type apply it,
// and the operations the types share (set, get, the whole block, texts, default button) are
// answered here for all of them. A type adds its create operation and
// what a change of each property does to its control.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "forms/data/TypeBlock.h"
#include "forms/units/BlockProperties.h"
#include "forms/units/UnitInterface.h"
#include "forms/units/UnitObject.h"

namespace forms {

// The properties a type names for operation 9 and for its font; 0 where it has none.
struct ControlTraits {
  uint32_t caption = 0;
  uint32_t font = 0;
};

class ControlUnit : public UnitObject {
 public:
  ControlUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties, ControlTraits traits);
  ~ControlUnit() override;

  TypeBlock& Properties() { return properties_; }
  const TypeBlock& Properties() const { return properties_; }

  // Operation 4: 1 when the unit must be re-created for the change to show. A type whose
  // properties have limits or act only on a change overrides it and passes the limited value
  // on.
  virtual int32_t SetProperty(uint32_t property, const PropertyValue& value);
  // Operation 6: 1 when the property is known.
  virtual int32_t GetProperty(uint32_t property, PropertyValue* out);
  // Operation 5: the block as it stands, with what lives only in the control read back.
  virtual std::vector<uint8_t> CurrentBlock();
  // Operation 9: the caption, then the face name of the font when one is set.
  virtual void ListTexts(TextCallback callback, intptr_t user);
  // The caption as it stands (a control the user types into holds a newer one than the
  // block).
  virtual std::string Caption() { return properties_.Text(traits_.caption); }
  // Operation 10.
  virtual bool IsDefaultButton() const { return false; }

  // The font the control shows: the font property when set, else the interface font.
  HFONT Font();

 protected:
  // What a stored change does to the control; 1 asks for re-creation.
  virtual int32_t Apply(uint32_t property) = 0;
  // A property that the block does not keep (read from the control); false when unknown.
  virtual bool SetRunTimeProperty(uint32_t /*property*/, const PropertyValue& /*value*/) {
    return false;
  }
  // Answers a get with a text of the unit's own.
  int32_t ReturnText(std::string text, PropertyValue* out);
  // Makes the font again after the font property changed.
  void RefreshFont();
  // Answers a WM_CTLCOLOR* question with the unit's colours: a brush of `back` that the
  // unit keeps until the colour changes.
  LRESULT ControlColors(HDC dc, COLORREF text, COLORREF back);

 private:
  TypeBlock properties_;
  ControlTraits traits_;
  HFONT font_ = nullptr;  // owned; null while the interface font is used
  HBRUSH brush_ = nullptr;
  COLORREF brushColor_ = 0;
  ReadKeeper keeper_;
};

// The block the create operation was given, read with the type's layout (an empty block
// gives the defaults); nullopt for a block that cannot be read.
std::optional<TypeBlock> ReadCreateBlock(UnitTypeId type, std::span<const uint8_t> bytes);

// Makes a child control for a unit (hidden, WS_CHILD | WS_CLIPSIBLINGS and `style`, with the
// disabled and tab-stop bits of the record) and hands it to the unit. On failure nothing is
// left behind: the unit is deleted and null returned.
UnitObject* CreateControlWindow(const UnitCreateArgs& args, const char* className, const char* text,
                                DWORD style, DWORD exStyle, ControlUnit* unit);

// Registers a window class of our own for units that draw themselves (DefWindowProcA, the
// arrow cursor, no background brush, double clicks); false when it cannot.
bool EnsureUnitClass(const char* className);

// The shared operations (4, 5, 6, 9, 10) for any ControlUnit; null for the others. A
// type's interface routine answers create itself and passes every other number here.
void* ControlUnitOperation(int32_t operation);

// 0x00BBGGRR of a colour property that may hold the system default.
COLORREF ResolveColor(uint32_t value, int systemColor);

}  // namespace forms
