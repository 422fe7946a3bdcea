#include "app/program/VelmoraProgram.h"

#include "app/program/Globals.h"
#include "app/program/WindowIds.h"
#include "forms/FormsEngine.h"
#include "libraries/ProgramDllCommands.h"
#include "libraries/ProgramLibraries.h"
#include "platform/presenters/ProgramPresenter.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/loop/MessageLoop.h"
#include "sound/SoundService.h"
#include "velmora_app/Forms.h"

namespace app {

const rt::ImageHeader& ProgramHeader() {
  static const rt::ImageHeader header = [] {
    rt::ImageHeader h{};
    h.runMode = 3;
    h.lastIdNumber = forms_data::kLastIdNumber;
    h.codeBase = forms_data::kHandlerTable;
    h.formData = forms_data::kFormData;
    h.formDataSize = forms_data::kFormDataSize;
    h.libraryCount = libs::kLibraryCount;
    h.libraries = libs::ProgramLibraryTable();
    h.dllCommandCount = libs::kDllCommandCount;
    h.dllModuleNames = libs::DllModuleNames();
    h.dllFunctionNames = libs::DllFunctionNames();
    return h;
  }();
  return header;
}

void AssembleProgram() {
  static bool assembled = false;
  if (assembled) return;
  assembled = true;
  forms::InstallFormsEngine();
  snd::InstallSoundService();
}

int EntryRoutine() {
  rt::AuxDispatch(rt::kAuxInitRuntime, 0, 0, 0, 0);
  CreateGlobals();
  rt::AuxDispatch(rt::kAuxSetEndRoutine, reinterpret_cast<intptr_t>(&FreeGlobals), 0, 0, 0);
  rt::LoadStartupWindow(kHomeWindow);
  rt::RunMessageLoop();
  return 0;
}

int RunVelmora() {
  if (!platform::user::StartPresenterForProgram()) return 1;
  AssembleProgram();
  return rt::RunProgram(ProgramHeader(), EntryRoutine);
}

}  // namespace app
