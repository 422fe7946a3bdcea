// The classes that CoCreateInstance can make: a ProgID (matched without regard to case)
// and a CLSID per class, and the routine that makes an instance. Built-in classes register
// themselves when the session starts; tests add their own.
#pragma once

#include <string>

#include "platform/ole/ComTypes.h"

namespace platform::ole {

using ClassFactory = HRESULT (*)(REFIID riid, void** object);

struct ClassEntry {
  std::u16string progId;
  CLSID clsid;
  ClassFactory create;
  // Contexts whose presence in a request the class answers with E_INVALIDARG, as a machine
  // without remote activation does.
  DWORD refusedContexts = 0;
};

// Replaces an entry with the same CLSID.
void RegisterClass(const ClassEntry& entry);
void UnregisterClass(REFCLSID clsid);
const ClassEntry* FindClassByProgId(std::u16string_view progId);
const ClassEntry* FindClassByClsid(REFCLSID clsid);

// Objects of our own COM alive now (instances, type descriptions); tests end at 0.
long LiveObjectCount();

// Type libraries RegisterTypeLib recorded, forgotten by ForgetRegisteredTypeLibs (at end).
size_t RegisteredTypeLibCount();
void ForgetRegisteredTypeLibs();

bool OleSessionActive();

}  // namespace platform::ole
