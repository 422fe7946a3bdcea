#include "tests/forms/units/UnitsTestSupport.h"

#include "forms/properties/UnitProperties.h"
#include "forms/units/UnitTypes.h"
#include "forms/windows/WindowList.h"
#include "libraries/ProgramLibraries.h"
#include "runtime/loop/MessageLoop.h"
#include "runtime/memory/RuntimeHeap.h"

namespace formtest {

void RegisterStandardUnitType(uint32_t type) {
  const uint32_t library = type >> 16, position = type & 0xFFFF;
  ASSERT_GE(library, 1u);
  ASSERT_LE(library, libs::kLibraryCount);
  const rt::LibraryDescriptor* d = libs::ProgramLibraryTable()[library - 1];
  ASSERT_LE(position, d->dataTypeCount);
  const rt::DataTypeDescriptor* descriptor =
      &static_cast<const rt::DataTypeDescriptor*>(d->dataTypes)[position - 1];
  ASSERT_NE(descriptor->interfaceRoutine, nullptr) << std::hex << type;
  forms::RegisterUnitType(type, descriptor);
}

forms::TypeBlock DefaultBlock(uint32_t type) {
  return forms::TypeBlock(*forms::FindTypeBlockLayout(type));
}

forms::UnitRecordFields& AddTypedUnit(TestForm& form, uint32_t serial,
                                      const forms::TypeBlock& block, RECT rect) {
  forms::UnitRecordFields& f = form.AddUnit(serial, block.Layout().type, rect.left, rect.top,
                                            rect.right - rect.left, rect.bottom - rect.top);
  f.typeBlock = block.Write();
  return f;
}

void UnitsTest::SetUp() {
  EngineTest::SetUp();
  for (uint32_t type :
       {forms::kTypeLabel, forms::kTypeTransLabel, forms::kTypeButton, forms::kTypeEditBox,
        forms::kTypeGroupBox, forms::kTypeCommonDlg, forms::kTypePicBox}) {
    RegisterStandardUnitType(type);
  }
}

void UnitsTest::LoadForm(const std::function<void(TestForm&)>& setup) {
  TestForm form(1);
  form.Window().width = 400;
  form.Window().height = 300;
  setup(form);
  ReadForms({form});
  ASSERT_TRUE(Load(W));
  Pump();
}

forms::UnitObject* UnitsTest::Object(uint32_t serial) const {
  return forms::FindUnitObject(W, U(serial));
}

void UnitsTest::Pump() {
  rt::HandleWaitingMessages();
}

void UnitsTest::SetWord(uint32_t serial, int32_t index, int32_t value) {
  forms::SetUnitProperty(W, UnitIdOf(serial), index, -1, static_cast<uint32_t>(value), 0);
}

int32_t UnitsTest::GetWord(uint32_t serial, int32_t index) {
  return static_cast<int32_t>(forms::GetUnitProperty(W, UnitIdOf(serial), index, -1));
}

void UnitsTest::SetText(uint32_t serial, int32_t index, const std::string& text) {
  const auto p = reinterpret_cast<uintptr_t>(text.c_str());
  forms::SetUnitProperty(W, UnitIdOf(serial), index, -1, static_cast<uint32_t>(p),
                         static_cast<uint32_t>(static_cast<uint64_t>(p) >> 32));
}

std::string UnitsTest::GetText(uint32_t serial, int32_t index) {
  auto* p = reinterpret_cast<char*>(
      static_cast<uintptr_t>(forms::GetUnitProperty(W, UnitIdOf(serial), index, -1)));
  std::string out = p != nullptr ? p : "";
  rt::FreeMem(p);
  return out;
}

}  // namespace formtest
