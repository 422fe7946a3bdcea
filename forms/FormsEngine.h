// Putting the forms engine into the program: the runtime's forms hooks, the property
// entries of the service table and the engine's own unit types.
#pragma once

#include <cstdint>

namespace forms {

void InstallFormsEngine();

// The RuntimeNotify codes whose services live here; sets *handled for them.
intptr_t FormsNotify(int32_t code, intptr_t arg1, intptr_t arg2, bool* handled);

// The destroy command's service: a window closes (at once, or from its own loop); a unit
// made at run time loses its window and, when that held no child windows, its record.
void DestroyUnit(void* object, bool atOnce);

}  // namespace forms
