// Shows the unit sheet (tests/forms/units/sheet) as the program shows its windows: every
// standard unit type with a few combinations of properties, in a real window on the screen
// (or under xvfb-run). Runs until the window is closed, or for the seconds given as its
// argument.
#include <cstdio>
#include <cstdlib>

#include "forms/FormsEngine.h"
#include "libraries/ProgramLibraries.h"
#include "platform/presenters/ProgramPresenter.h"
#include "platform/user32.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/ServiceTable.h"
#include "unit_sheet/Forms.h"

namespace formtest::sheet {

rt::HandlerResult OnSheetClick(const uint32_t*, int32_t) {
  std::puts("button clicked");
  return {};
}

rt::HandlerResult OnSheetPress(const uint32_t*, int32_t) {
  std::puts("pressed");
  return {};
}

}  // namespace formtest::sheet

namespace {

constexpr uint32_t kSheet = 0x52000100;
UINT g_seconds = 0;

void CALLBACK EndNow(HWND, UINT, UINT_PTR, DWORD) {
  rt::EndProgram(0);
  std::exit(0);
}

int Entry() {
  rt::Services().auxDispatch(rt::kAuxInitRuntime, 0, 0, 0, 0);
  rt::Services().loadStartupWindow(kSheet);
  if (g_seconds > 0) SetTimer(nullptr, 0, g_seconds * 1000, EndNow);
  rt::Services().runMessageLoop();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) g_seconds = static_cast<UINT>(std::atoi(argv[1]));
  if (!platform::user::StartPresenterForProgram()) return 1;
  forms::InstallFormsEngine();
  static rt::ImageHeader header{};
  header.runMode = 3;
  header.lastIdNumber = formtest::sheet::kLastIdNumber;
  header.codeBase = formtest::sheet::kHandlerTable;
  header.formData = formtest::sheet::kFormData;
  header.formDataSize = formtest::sheet::kFormDataSize;
  header.libraryCount = libs::kLibraryCount;
  header.libraries = libs::ProgramLibraryTable();
  return rt::RunProgram(header, Entry);
}
