#include "tests/velmora/VelmoraTestSupport.h"

#include "app/program/Globals.h"
#include "app/program/VelmoraProgram.h"
#include "commands/system/WindowCommands.h"
#include "platform/testing/Automation.h"
#include "platform/testing/DialogAutomation.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/loop/MessageLoop.h"

namespace velmoratest {

void StartVelmora() {
  // Each test starts with no message box on record and no scripted answer left over from
  // another, whatever order the tests run in.
  platform::testing::TakeMessageBoxLog();
  platform::testing::ClearMessageBoxScript();
  platform::testing::ClearDialogScripts();
  app::AssembleProgram();
  rt::InitRuntime(&app::ProgramHeader());
  app::CreateGlobals();
  rt::SetEndRoutine(&app::FreeGlobals);
}

void EndVelmora() {
  rt::EndProgram(0);
  Pump();
}

void OpenWindow(uint32_t window) {
  rt::Call(cmd::LoadWindow, {rt::Arg::Unit(window, 0, 0x00010001)});
  Pump();
}

HWND Handle(uint32_t window, uint32_t unit) {
  intptr_t object = rt::RuntimeNotify(cmd::kNotifyFindUnit, window, unit);
  if (object == 0) return nullptr;
  return reinterpret_cast<HWND>(rt::RuntimeNotify(cmd::kNotifyUnitWindowHandle, object, 0));
}

void Pump() {
  rt::HandleWaitingMessages();
}

}  // namespace velmoratest
