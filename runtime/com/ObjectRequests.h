// The requests other libraries make about OLE Automation values: releasing an object
// (2035) and the interface identifier of a data type (2036).
#pragma once

#include <cstdint>

#include "platform/ole/ComTypes.h"

namespace rt {

// Releases the ObjectValue block's interface (or record) and empties it.
void ReleaseObjectRequest(void* objectValue);
// Writes the identifier into *iid: IID_IUnknown and 1 for the object type; other types are
// answered by their library (LibraryNotify code 8 with the type number - 1); 0 when none.
intptr_t InterfaceIdRequest(uint32_t typeCode, IID* iid);

}  // namespace rt
