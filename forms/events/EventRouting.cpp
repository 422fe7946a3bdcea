#include "forms/events/EventRouting.h"

#include <algorithm>

#include "forms/FormsMessages.h"
#include "forms/RuntimeLink.h"
#include "forms/units/UnitTypes.h"
#include "forms/windows/WindowList.h"
#include "runtime/values/TypeCode.h"

namespace forms {

namespace {

// A unit of the same window and type whose bindings a unit uses instead of its own; a
// chain that loops is followed no further than the window has units.
size_t FollowSharedEvents(const FormTemplate& form, size_t index) {
  for (size_t steps = 0; steps < form.UnitCount(); ++steps) {
    if (form.IsMenuItem(index)) break;
    UnitRecordView unit = form.Unit(index);
    UnitId shared = unit.SharedEventsUnit();
    if (shared == 0) break;
    std::optional<size_t> next = form.FindUnit(shared);
    if (!next || *next == index || form.IsMenuItem(*next)) break;
    if (form.Unit(*next).Type() != unit.Type()) break;
    index = *next;
  }
  return index;
}

UnitTypeId TypeOf(const FormTemplate& form, size_t index) {
  return form.IsMenuItem(index) ? form.MenuItem(index).Type() : form.Unit(index).Type();
}

void PushTwo(std::vector<uint32_t>& words, uint64_t value) {
  words.push_back(static_cast<uint32_t>(value));
  words.push_back(static_cast<uint32_t>(value >> 32));
}

bool IsTwoWordKind(rt::TypeCode type) {
  if (rt::IsArray(type)) return true;  // an array block's address
  switch (rt::BaseKind(type)) {
    case rt::kTypeDateTime:
    case rt::kTypeLong:
    case rt::kTypeDouble:
    case rt::kTypeEightBytes:
    case rt::kTypeMenu:
    // Addresses take two words in this process.
    case rt::kTypeText:
    case rt::kTypeByteSet:
    case rt::kTypeSubroutine:
      return true;
    default:
      return false;
  }
}

intptr_t CallHandler(rt::EventHandler handler, const std::vector<uint32_t>& words,
                     uint32_t* resultPresent, uint64_t* result) {
  link::SetHandlerRunning(true);
  rt::HandlerResult r = handler(words.data(), static_cast<int32_t>(words.size()));
  link::SetHandlerRunning(false);
  if (r.returned) {
    *resultPresent = 1;
    *result = r.value;
  }
  return 1;
}

}  // namespace

rt::EventHandler FindEventHandler(uint32_t windowId, uint32_t unitId, int32_t event) {
  if (link::EventsSuppressed()) return nullptr;
  FormTemplate* form = FindLoadedWindow(windowId);
  if (form == nullptr) link::Fail(msg::kEventWindowMissing);
  std::optional<size_t> found = form->FindUnit(unitId);
  if (!found) link::Fail(msg::kEventUnitMissing);
  size_t index = FollowSharedEvents(*form, *found);
  const rt::DataTypeDescriptor* type = FindUnitType(TypeOf(*form, index));
  if (!TypeHasState(type, rt::kTypeStateWindowed | rt::kTypeStateMenu)) {
    link::Fail(msg::kEventUnitInvalid);
  }
  rt::EventHandler handler = form->FindHandler(index, event);
  if (handler == nullptr) return nullptr;
  link::SetEventSource(windowId, unitId == 0 ? form->UnitIdAt(0) : unitId);
  return handler;
}

std::vector<uint32_t> TypedArgumentWords(const TypedEventRecord& record) {
  std::vector<uint32_t> words;
  uint32_t count = std::min(record.argumentCount, kMaxTypedArguments);
  for (uint32_t i = 0; i < count; ++i) {
    const TypedArgument& a = record.arguments[i];
    if ((a.flags & kArgumentByReference) != 0 || (a.flags & kArgumentTwoWords) != 0 ||
        IsTwoWordKind(a.type)) {
      PushTwo(words, a.value);
    } else if (a.type == rt::kTypeByte) {
      words.push_back(static_cast<uint8_t>(a.value));
    } else if (a.type == rt::kTypeShort) {
      words.push_back(static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(a.value))));
    } else {
      words.push_back(static_cast<uint32_t>(a.value));
    }
  }
  return words;
}

intptr_t RaiseWordEvent(EventRecord* record) {
  if (record == nullptr) return 0;
  rt::EventHandler handler = FindEventHandler(record->windowId, record->unitId, record->event);
  if (handler == nullptr) return 0;
  uint32_t count = std::min(record->argumentCount, kMaxWordArguments);
  std::vector<uint32_t> words(record->arguments, record->arguments + count);
  uint64_t result = 0;
  intptr_t called = CallHandler(handler, words, &record->resultPresent, &result);
  if (record->resultPresent != 0) record->result = static_cast<uint32_t>(result);
  return called;
}

intptr_t RaiseTypedEvent(TypedEventRecord* record) {
  if (record == nullptr) return 0;
  rt::EventHandler handler = FindEventHandler(record->windowId, record->unitId, record->event);
  if (handler == nullptr) return 0;
  return CallHandler(handler, TypedArgumentWords(*record), &record->resultPresent, &record->result);
}

}  // namespace forms
