// Raising an event: finding the handler that the form data binds to (window, unit, event),
// pushing the event's arguments as words and calling it, and handing its result back in the
// event record.
#pragma once

#include <cstdint>
#include <vector>

#include "forms/events/EventRecord.h"
#include "runtime/image/HandlerTable.h"

namespace forms {

// The handler for an event, or null (events suppressed, nothing bound). A window or unit
// that cannot be found, or a unit whose type is neither windowed nor a menu, is a runtime
// error. Sets the current event source when a handler is found.
rt::EventHandler FindEventHandler(uint32_t windowId, uint32_t unitId, int32_t event);

// Notify 2008 and 2031: 1 when a handler was called.
intptr_t RaiseWordEvent(EventRecord* record);
intptr_t RaiseTypedEvent(TypedEventRecord* record);

// The words a typed event pushes, argument 1 first.
std::vector<uint32_t> TypedArgumentWords(const TypedEventRecord& record);

}  // namespace forms
