#include "tests/program/TestProgram.h"

#include <cstdio>

#include "commands/system/WindowCommands.h"
#include "forms/FormsEngine.h"
#include "forms/events/EventRecord.h"
#include "libraries/ProgramDllCommands.h"
#include "libraries/ProgramLibraries.h"
#include "program_tests/Forms.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/image/HandlerTable.h"
#include "tests/program/TestUnits.h"

namespace testprogram {

Behaviour& Behave() {
  static Behaviour behaviour;
  return behaviour;
}

std::vector<std::string>& Seen() {
  static std::vector<std::string> seen;
  return seen;
}

const rt::ImageHeader& ProgramHeader() {
  static const rt::ImageHeader header = [] {
    rt::ImageHeader h{};
    h.runMode = 3;
    h.lastIdNumber = kLastIdNumber;
    h.codeBase = kHandlerTable;
    h.formData = kFormData;
    h.formDataSize = kFormDataSize;
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
  forms::InstallFormsEngine();
  RegisterTestUnits();
}

void AssembleOnce() {
  static bool assembled = false;
  if (!assembled) AssembleProgram();
  assembled = true;
}

void StartProgram() {
  AssembleOnce();
  rt::InitRuntime(&ProgramHeader());
}

namespace {

rt::HandlerResult Nothing() {
  return {};
}
rt::HandlerResult Value(uint32_t v) {
  return {true, v};
}

void Note(const std::string& line) {
  Seen().push_back(line);
}

}  // namespace

rt::HandlerResult OnStartBuilt(const uint32_t*, int32_t) {
  Note("start 0");
  return Nothing();
}

rt::HandlerResult OnStartMoved(const uint32_t*, int32_t) {
  Note("start 3");
  return Nothing();
}

rt::HandlerResult OnStartResized(const uint32_t*, int32_t) {
  Note("start 4");
  return Nothing();
}

rt::HandlerResult OnStartClose(const uint32_t*, int32_t) {
  Note("start 1");
  return Behave().refuseClose ? Value(0) : Nothing();
}

rt::HandlerResult OnOpenModal(const uint32_t*, int32_t) {
  Note("modal opening");
  rt::ArgRecord loaded = rt::Call(cmd::LoadWindow, {rt::Arg::Unit(kModalWindow, 0, 0x00010001),
                                                    rt::Arg::Omitted(), rt::Arg::Bool(true)});
  Note("modal returned " + std::to_string(loaded.Low()));
  return Nothing();
}

rt::HandlerResult OnOkClicked(const uint32_t*, int32_t) {
  Note("ok");
  return Nothing();
}

rt::HandlerResult OnTypingChar(const uint32_t* words, int32_t count) {
  Note("char " + std::to_string(count > 0 ? words[0] : 0));
  return Behave().typeLetterA ? Value(65) : Nothing();
}

rt::HandlerResult OnBetaPress(const uint32_t*, int32_t) {
  Note("beta press");
  return Behave().consumeBetaPress ? Value(0) : Nothing();
}

rt::HandlerResult OnBetaClicked(const uint32_t*, int32_t) {
  Note("beta");
  return Nothing();
}

rt::HandlerResult OnMenuHello(const uint32_t*, int32_t) {
  Note("menu hello");
  return Nothing();
}

rt::HandlerResult OnModalBuilt(const uint32_t*, int32_t) {
  Note("modal 0");
  return Nothing();
}

rt::HandlerResult OnModalGone(const uint32_t*, int32_t) {
  Note("modal 2");
  return Nothing();
}

// Raises an event for a window or unit that does not exist, as a unit with a stale
// reference would.
rt::HandlerResult OnLookupFailure(const uint32_t*, int32_t) {
  forms::EventRecord record;
  switch (Behave().lookupFailure) {
    case LookupFailure::None:
      return Nothing();
    case LookupFailure::UnknownWindow:
      record.windowId = 0x52000099;
      break;
    case LookupFailure::UnknownUnit:
      record.windowId = kOtherWindow;
      record.unitId = 0x16000099;
      break;
  }
  rt::RuntimeNotify(forms::kNotifyRaiseEvent, reinterpret_cast<intptr_t>(&record), 0);
  Note("lookup failure survived");
  std::fputs("lookup failure survived\n", stderr);
  return Nothing();
}

}  // namespace testprogram
