// What the tests of the standard unit types share: the types taken from the program's
// library tables (so that the property tables the engine converts by are the real ones),
// forms holding units with real type blocks, and property access by index.
#pragma once

#include <string>

#include "forms/data/TypeBlock.h"
#include "tests/forms/engine/FormsTestSupport.h"

namespace formtest {

// The library descriptor of a type, registered with the engine.
void RegisterStandardUnitType(uint32_t type);

// A block of the type with its defaults, to change before AddTypedUnit.
forms::TypeBlock DefaultBlock(uint32_t type);
forms::UnitRecordFields& AddTypedUnit(TestForm& form, uint32_t serial,
                                      const forms::TypeBlock& block, RECT rect);

class UnitsTest : public EngineTest {
 protected:
  void SetUp() override;

  static constexpr UnitId W = WindowIdOf(1);
  static UnitId U(uint32_t serial) { return UnitIdOf(serial); }

  // Loads window 1 after `setup` has added its units.
  void LoadForm(const std::function<void(TestForm&)>& setup);
  HWND Window() const { return WindowHandle(W); }
  HWND Unit(uint32_t serial) const { return UnitHandle(W, U(serial)); }
  forms::UnitObject* Object(uint32_t serial) const;

  // Everything waiting goes through the runtime's loop, pre-translation included, as in
  // the program.
  static void Pump();

  static void SetWord(uint32_t serial, int32_t index, int32_t value);
  static int32_t GetWord(uint32_t serial, int32_t index);
  static void SetText(uint32_t serial, int32_t index, const std::string& text);
  static std::string GetText(uint32_t serial, int32_t index);
};

}  // namespace formtest
