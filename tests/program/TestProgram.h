// The test program: its windows (compiled from tests/forms/program), its handlers, the
// image header that ties them to the support libraries, and what the handlers saw.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/image/ImageHeader.h"

namespace testprogram {

inline constexpr uint32_t kStartWindow = 0x52000001;
inline constexpr uint32_t kModalButton = 0x16000002;
inline constexpr uint32_t kOkButton = 0x16000003;
inline constexpr uint32_t kTypingBox = 0x16000004;
inline constexpr uint32_t kBetaButton = 0x16000005;
inline constexpr uint32_t kOtherWindow = 0x52000010;
inline constexpr uint32_t kOtherButton = 0x16000011;
inline constexpr uint32_t kModalWindow = 0x52000020;

// How the handlers answer, set by each test before it acts.
enum class LookupFailure { None, UnknownWindow, UnknownUnit };
struct Behaviour {
  bool refuseClose = false;       // the start window's close handler returns false
  bool consumeBetaPress = false;  // the beta button's press handler returns 0
  bool typeLetterA = false;       // the typing box's character handler returns 65
  LookupFailure lookupFailure = LookupFailure::None;
};
Behaviour& Behave();

// One line per handler call, in call order.
std::vector<std::string>& Seen();

// The image header of the test program (libraries, form data, handler table).
const rt::ImageHeader& ProgramHeader();

// Puts the program together: the forms engine, the test unit types. Call once per process,
// before InitRuntime.
void AssembleProgram();
// AssembleProgram on the first call only.
void AssembleOnce();
// AssembleOnce, then the runtime started from the program's header.
void StartProgram();

}  // namespace testprogram
