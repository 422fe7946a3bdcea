// What the engine tests share: a journal of what units, handlers and the loader did, a
// handler table of recording handlers, small test unit types, and forms built in memory and
// read the way the runtime reads them at start.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/data/FormTemplate.h"
#include "forms/data/TypeBlock.h"
#include "forms/data/UnitRecord.h"
#include "forms/units/UnitObject.h"
#include "runtime/image/HandlerTable.h"

namespace formtest {

using forms::UnitId;

// ---- Journal ------------------------------------------------------------------------------

// One line per thing that happened, e.g. "806F u3", "handler 2 (5,7) src u3".
std::vector<std::string>& Journal();
void Note(const std::string& line);
// The lines that start with one of the prefixes, in order.
std::vector<std::string> Lines(std::initializer_list<const char*> prefixes);
// "w" for a window's own unit, "uN" for unit serial N, "mN" for menu item serial N.
std::string UnitName(UnitId id);

// ---- Handlers -----------------------------------------------------------------------------

inline constexpr uint32_t kHandlerCount = 16;
// The table the forms are resolved against; handler i notes
// "handler i (args) src <unit>" and returns what is scripted for it.
const rt::HandlerEntry* HandlerTable();
void ScriptResult(uint32_t handler, std::optional<uint64_t> result);
// Runs inside the handler, after it noted its call.
void ScriptAction(uint32_t handler, std::function<void()> action);
void ClearHandlerScripts();
int32_t Offset(uint32_t handler);

// ---- Test unit types ----------------------------------------------------------------------

// A windowed unit of our own class; its block holds flags, a caption and a font.
inline constexpr uint32_t kProbeType = 0x00090001;
// The same unit as a paged container (its child list split by 0 entries).
inline constexpr uint32_t kPagedProbeType = 0x00090002;
// A non-visual unit (never shown).
inline constexpr uint32_t kHiddenProbeType = 0x00090003;
// A unit of no windowed or menu kind.
inline constexpr uint32_t kObjectType = 0x00090004;

// Probe block flags.
inline constexpr uint32_t kProbeDefaultButton = 0x1;
inline constexpr uint32_t kProbeFiltersQ = 0x2;  // its message filter consumes 'Q' keys
inline constexpr uint32_t kProbeDrags = 0x4;     // a press on it drags the window
inline constexpr uint32_t kProbeFailsCreate = 0x8;

// Probe property indexes (after the common eight).
inline constexpr int32_t kProbeCaption = 8;
inline constexpr int32_t kProbeStyle = 9;  // setting it re-creates the unit
inline constexpr int32_t kProbeFont = 10;
inline constexpr int32_t kProbeDefault = 11;

forms::Bytes ProbeBlock(uint32_t flags, const std::string& caption = "",
                        const LOGFONTA* font = nullptr, uint32_t style = 0);
void RegisterProbeTypes();

// ---- Forms --------------------------------------------------------------------------------

inline constexpr UnitId WindowIdOf(uint32_t serial) {
  return 0x52000000 | serial;
}
inline constexpr UnitId OwnUnitOf(uint32_t serial) {
  return 0x06000000 | serial;
}
inline constexpr UnitId UnitIdOf(uint32_t serial) {
  return 0x16000000 | serial;
}
inline constexpr UnitId MenuIdOf(uint32_t serial) {
  return 0x26000000 | serial;
}

class TestForm {
 public:
  // Window serial; the window sits at 50, 50 with a fixed border and the given caption.
  explicit TestForm(uint32_t serial, const std::string& caption = "Test");
  UnitId WindowId() const { return image_.windowId; }
  UnitId OwnUnit() const { return image_.units[0].id; }

  forms::UnitRecordFields& Window() { return window_; }
  forms::TypeBlock& WindowProperties() { return properties_; }
  forms::UnitRecordFields& AddUnit(uint32_t serial, uint32_t type, int left, int top, int width,
                                   int height, uint32_t probeFlags = 0,
                                   const std::string& caption = "");
  forms::MenuItemFields& AddMenuItem(uint32_t serial, uint32_t level, const std::string& caption);
  forms::WindowImage Image() const;

 private:
  forms::WindowImage image_;
  forms::UnitRecordFields window_;
  forms::TypeBlock properties_;
  // Deques: the references AddUnit and AddMenuItem hand out stay valid.
  std::deque<std::pair<UnitId, forms::UnitRecordFields>> units_;
  std::deque<std::pair<UnitId, forms::MenuItemFields>> menu_;
};

// Reads the forms as the program's form data (against HandlerTable()).
void ReadForms(const std::vector<TestForm>& forms);

// The engine installed on a fresh runtime; every window is destroyed afterwards.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Loads through notify 2005 (parent object may be null); true when loaded.
  static bool Load(UnitId windowId, bool modal = false, void* parent = nullptr);
  static HWND WindowHandle(UnitId windowId);
  static HWND UnitHandle(UnitId windowId, UnitId unitId);
  static forms::FormTemplate& Template(UnitId windowId);
};

}  // namespace formtest
