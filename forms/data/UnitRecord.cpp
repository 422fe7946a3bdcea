#include "forms/data/UnitRecord.h"

#include <algorithm>

namespace forms {
namespace {

void WriteHead(ArchiveWriter& w, UnitTypeId type, UnitId shared,
               const std::array<uint32_t, 4>& reserved) {
  w.WriteU32(type);
  w.WriteU32(shared);
  for (uint32_t word : reserved) w.WriteU32(word);
}

}  // namespace

Bytes BuildUnitRecord(const UnitRecordFields& f) {
  ArchiveWriter w;
  WriteHead(w, f.type, f.sharedEvents, f.reserved);
  w.WriteCString(f.name);
  w.WriteCString(f.remark);
  w.WriteU32(0);  // object slot: filled only in the run-time arrays
  w.WriteI32(f.left);
  w.WriteI32(f.top);
  w.WriteI32(f.width);
  w.WriteI32(f.height);
  w.WriteU32(0);  // cursor slot, likewise
  w.WriteU32(f.container);
  w.WriteU32(static_cast<uint32_t>(f.children.size()));
  for (UnitId child : f.children) w.WriteU32(child);
  w.WriteBuffer(f.cursor);
  w.WriteCString(f.tag);
  w.WriteU32(f.reservedBeforeFlags);
  w.WriteU32(f.stateFlags);
  w.WriteU32(f.reservedAfterFlags);
  w.WriteU32(static_cast<uint32_t>(f.bindings.size()));
  for (const EventBinding& b : f.bindings) {
    w.WriteI32(b.event);
    w.WriteI32(b.handlerOffset);
  }
  w.WriteBytes(f.tailReserved);
  w.WriteBytes(f.typeBlock);
  return w.Take();
}

Bytes BuildMenuItemRecord(const MenuItemFields& f) {
  ArchiveWriter w;
  WriteHead(w, f.type, f.sharedEvents, f.reserved);
  w.WriteCString(f.name);
  w.WriteCString(f.remark);
  w.WriteU32(f.shortcut);
  w.WriteU32(f.level);
  w.WriteU32(f.stateFlags);
  w.WriteCString(f.caption);
  w.WriteI32(f.handlerOffset);
  w.WriteBytes(f.tailReserved);
  return w.Take();
}

bool RecordViewBase::ParseHead(std::span<const uint8_t> record, ArchiveReader& r) {
  rec_ = record.data();
  size_ = record.size();
  std::string text;
  if (!r.Skip(kRecordHeadBytes) || !r.ReadCString(text)) return false;
  nameLength_ = text.size();
  remarkAt_ = r.Position();
  if (!r.ReadCString(text)) return false;
  remarkLength_ = text.size();
  return true;
}

bool UnitRecordView::Parse(std::span<const uint8_t> record, UnitRecordView& out) {
  UnitRecordView v;
  ArchiveReader r(record);
  std::string text;
  uint32_t cursorLength = 0;
  if (!v.ParseHead(record, r)) return false;
  v.slotAt_ = r.Position();
  // Slot, left, top, width, height, cursor slot, container, then the child count.
  if (!r.Skip(28) || !r.ReadU32(v.childCount_)) return false;
  if (!r.Skip(size_t{v.childCount_} * 4)) return false;
  v.cursorAt_ = r.Position();
  if (!r.ReadU32(cursorLength) || !r.Skip(cursorLength)) return false;
  v.cursorLength_ = cursorLength;
  v.tagAt_ = r.Position();
  if (!r.ReadCString(text)) return false;
  v.tagLength_ = text.size();
  if (!r.Skip(12) || !r.ReadU32(v.eventCount_)) return false;
  if (!r.Skip(size_t{v.eventCount_} * 8) || !r.Skip(kUnitTailReservedBytes)) return false;
  v.typeBlockAt_ = r.Position();
  out = v;
  return true;
}

std::vector<UnitId> UnitRecordView::Children() const {
  std::vector<UnitId> children(childCount_);
  for (size_t i = 0; i < childCount_; ++i) children[i] = Child(i);
  return children;
}

EventBinding UnitRecordView::Binding(size_t i) const {
  size_t at = BindingsOffset() + 8 * i;
  return {static_cast<int32_t>(Word(at)), static_cast<int32_t>(Word(at + 4))};
}

UnitRecordFields UnitRecordView::Fields() const {
  UnitRecordFields f;
  f.type = Type();
  f.sharedEvents = SharedEventsUnit();
  for (size_t i = 0; i < 4; ++i) f.reserved[i] = HeadReserved(i);
  f.name = Name();
  f.remark = Remark();
  f.left = Left();
  f.top = Top();
  f.width = Width();
  f.height = Height();
  f.container = Container();
  f.children = Children();
  auto cursor = CursorData();
  f.cursor.assign(cursor.begin(), cursor.end());
  f.tag = Tag();
  f.reservedBeforeFlags = Word(StateFlagsOffset() - 4);
  f.stateFlags = StateFlags();
  f.reservedAfterFlags = Word(StateFlagsOffset() + 4);
  f.bindings.resize(eventCount_);
  for (size_t i = 0; i < eventCount_; ++i) f.bindings[i] = Binding(i);
  const uint8_t* tail = rec_ + typeBlockAt_ - kUnitTailReservedBytes;
  std::copy(tail, tail + kUnitTailReservedBytes, f.tailReserved.begin());
  auto block = TypeBlock();
  f.typeBlock.assign(block.begin(), block.end());
  return f;
}

bool MenuItemRecordView::Parse(std::span<const uint8_t> record, MenuItemRecordView& out) {
  MenuItemRecordView v;
  ArchiveReader r(record);
  std::string text;
  if (!v.ParseHead(record, r)) return false;
  v.wordsAt_ = r.Position();
  if (!r.Skip(12) || !r.ReadCString(text)) return false;
  v.captionLength_ = text.size();
  if (!r.Skip(4) || !r.Skip(kMenuTailReservedBytes)) return false;
  out = v;
  return true;
}

MenuItemFields MenuItemRecordView::Fields() const {
  MenuItemFields f;
  f.type = Type();
  f.sharedEvents = SharedEventsUnit();
  for (size_t i = 0; i < 4; ++i) f.reserved[i] = HeadReserved(i);
  f.name = Name();
  f.remark = Remark();
  f.shortcut = Shortcut();
  f.level = Level();
  f.stateFlags = StateFlags();
  f.caption = Caption();
  f.handlerOffset = HandlerOffset();
  const uint8_t* tail = rec_ + HandlerFieldOffset() + 4;
  std::copy(tail, tail + kMenuTailReservedBytes, f.tailReserved.begin());
  return f;
}

}  // namespace forms
